// Alarm IO channels: the IOINFO table. Every query answers channels of IOTYPE 0 only;
// other types are stored but never returned.
#include "channels/IoTable.h"

#include <cstring>

#include "channels/ChannelSchema.h"
#include "channels/ColumnText.h"
#include "channels/IndexCode.h"
#include "channels/TextConversion.h"
#include "libs/objfactory/ObjFactory.h"
#include "libs/records/ListAppender.h"
#include "libs/records/RecordText.h"

namespace {

// IOINFO's columns in table order: the insert names them in this order and the queries
// select them all, so one position serves both.
enum Column { kId, kDevId, kCellId, kIoType, kIndexCode, kIoName };

// Fills `io` from the current IOINFO row, zeroing it first (so `next` is null).
// REQUIRES: the instance lock held, a row current.
void ReadIORow(CDataStorage& storage, IO_INFO* io) {
    std::memset(static_cast<void*>(io), 0, sizeof *io);
    std::string text;
    storage.ReadIntegerByIndex(kId, io->ID);
    storage.ReadIntegerByIndex(kDevId, io->DEVID);
    storage.ReadIntegerByIndex(kCellId, io->CELLID);
    storage.ReadIntegerByIndex(kIoType, io->IOTYPE);
    CopyToField(io->INDEXCODE, ColumnText(storage, kIndexCode, text));
    CopyNameToField(io->IONAME, ColumnText(storage, kIoName, text));
}

// The first row of `sql` into `io`; false and `io` untouched when there is none.
bool ReadOneIO(CDataStorage& storage, IO_INFO* io, const char* sql,
               std::initializer_list<SqlParam> params) {
    if (io == nullptr) return false;
    bool found = false;
    if (storage.BeginRead(sql, params) && storage.ReadNext()) {
        ReadIORow(storage, io);
        found = true;
    }
    storage.EndRead();
    return found;
}

}  // namespace

bool IoTable::SetIOList(const IO_INFO* list) {
    if (list == nullptr) return false;
    // One transaction and one prepared statement; a rejected row (a duplicate ID keeps
    // the stored one) does not stop the others and is no failure. A transaction that
    // cannot be committed (no database open, a full disk) is.
    // Without a transaction (no database open) the COMMIT fails and so does the
    // deposit; a statement that cannot be prepared makes every row's ExecuteBind fail,
    // as a rejected row does.
    (void)m_storage.TransBegin();
    (void)m_storage.BeginBind(channel_sql::kIOInsert);
    for (const IO_INFO* io = list; io != nullptr; io = io->next) {
        m_storage.BindInteger(kId, io->ID);
        m_storage.BindInteger(kDevId, io->DEVID);
        m_storage.BindInteger(kCellId, io->CELLID);
        m_storage.BindInteger(kIoType, io->IOTYPE);
        m_storage.BindString(kIndexCode, FieldText(io->INDEXCODE));
        m_storage.BindString(kIoName, AnsiToUtf8(FieldText(io->IONAME).c_str()));
        (void)m_storage.ExecuteBind();  // a rejected row is no failure
    }
    m_storage.EndBind();
    return m_storage.TransCommit();
}

// The list, in ascending ID order, belongs to the caller, who frees it with
// FreeIOInfoList.
bool IoTable::GetIOList(IO_INFO** list, int cellId) {
    if (list == nullptr) return false;
    ListAppender<IO_INFO> appender(list);
    if (m_storage.BeginRead(channel_sql::kIOListByCell, {cellId})) {
        while (m_storage.ReadNext()) {
            IO_INFO* io = of_newIOInfo();
            if (io == nullptr) break;  // the records linked so far stay
            ReadIORow(m_storage, io);
            appender.Append(io);
        }
    }
    m_storage.EndRead();
    return appender.HasRecords();
}

bool IoTable::GetIOByID(IO_INFO* io, int id) {
    return ReadOneIO(m_storage, io, channel_sql::kIOById, {id});
}

bool IoTable::GetIOByIndexCode(IO_INFO* io, const char* indexCode) {
    if (!FitsIndexCodeField(indexCode)) return false;
    return ReadOneIO(m_storage, io, channel_sql::kIOByIndexCode, {std::string(indexCode)});
}
