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
