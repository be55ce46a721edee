// IOINFO, the alarm IO channels: the deposit and the queries, which answer channels of
// IOTYPE 0 only.
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call,
// which also covers the storage.
#ifndef VELLUM_CHANNELS_IOTABLE_H
#define VELLUM_CHANNELS_IOTABLE_H

#include "libs/storage/DataStorage.h"
#include "vellum/records.h"

class IoTable {
public:
    // The table, as CREATE TABLE IF NOT EXISTS.
    static constexpr const char kDefinition[] =
        "CREATE TABLE IF NOT EXISTS IOINFO(ID NUMERIC NOT NULL,DEVID INTEGER NOT NULL,CELLID "
        "INTEGER NOT NULL,IOTYPE INTEGER NOT NULL,INDEXCODE TEXT NOT NULL,IONAME TEXT NOT "
        "NULL,PRIMARY KEY(ID));";

    explicit IoTable(CDataStorage& storage) : m_storage(storage) {}  // the owner's
    IoTable(const IoTable&) = delete;
    IoTable& operator=(const IoTable&) = delete;

    bool SetIOList(const IO_INFO* list);
    bool GetIOList(IO_INFO** list, int cellId);
    bool GetIOByID(IO_INFO* io, int id);
    bool GetIOByIndexCode(IO_INFO* io, const char* indexCode);

private:
    CDataStorage& m_storage;
};

#endif  // VELLUM_CHANNELS_IOTABLE_H
