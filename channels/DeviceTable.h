// DEVICEINFO, the encoding devices: the deposit and the two look-ups.
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call,
// which also covers the storage.
#ifndef VELLUM_CHANNELS_DEVICETABLE_H
#define VELLUM_CHANNELS_DEVICETABLE_H

#include "libs/storage/DataStorage.h"
#include "vellum/records.h"

class DeviceTable {
public:
    // The table, as CREATE TABLE IF NOT EXISTS.
    static constexpr const char kDefinition[] =
        "CREATE TABLE IF NOT EXISTS DEVICEINFO(ID NUMERIC NOT NULL,DEVNAME TEXT NULL,"
        "INDEXCODE TEXT NULL,IP TEXT NULL,PORT INTEGER NULL,DOMAINID INTEGER NULL,USERNAME "
        "TEXT NULL,PASSWORD TEXT NULL,DEVTYPE INTEGER NOT NULL,PRIMARY KEY(ID));";

    explicit DeviceTable(CDataStorage& storage) : m_storage(storage) {}  // the owner's
    DeviceTable(const DeviceTable&) = delete;
    DeviceTable& operator=(const DeviceTable&) = delete;

    bool SetDeviceList(const DEVICE_INFO* list);
    bool GetDeviceByID(DEVICE_INFO* device, int id);
    bool GetDeviceByIndexCode(DEVICE_INFO* device, const char* indexCode);

private:
    CDataStorage& m_storage;
};

#endif  // VELLUM_CHANNELS_DEVICETABLE_H
