// Encoding devices: the DEVICEINFO table. No query returns a list of devices, so every
// DEVICE_INFO crossing the interface stays the host's.
#include "channels/DeviceTable.h"

#include <cstring>

#include "channels/ChannelSchema.h"
#include "channels/ColumnText.h"
#include "channels/IndexCode.h"
#include "channels/TextConversion.h"
#include "libs/records/RecordText.h"

namespace {

// DEVICEINFO's columns in table order: the insert names them in this order and the
// queries select them all, so one position serves both.
enum Column { kId, kDevName, kIndexCode, kIp, kPort, kDomainId, kUserName, kPassword, kDevType };

// Fills `device` from the current DEVICEINFO row, zeroing it first (so `next` is
// null). REQUIRES: the instance lock held, a row current.
void ReadDeviceRow(CDataStorage& storage, DEVICE_INFO* device) {
    std::memset(static_cast<void*>(device), 0, sizeof *device);
    std::string text;
    storage.ReadIntegerByIndex(kId, device->ID);
    CopyNameToField(device->DEVNAME, ColumnText(storage, kDevName, text));
    CopyToField(device->INDEXCODE, ColumnText(storage, kIndexCode, text));
    CopyToField(device->IP, ColumnText(storage, kIp, text));
    storage.ReadIntegerByIndex(kPort, device->PORT);
    storage.ReadIntegerByIndex(kDomainId, device->DOMAINID);  // the table has DOMAINID before DEVTYPE
    CopyToField(device->USERNAME, ColumnText(storage, kUserName, text));
    CopyToField(device->PASSWORD, ColumnText(storage, kPassword, text));
    storage.ReadIntegerByIndex(kDevType, device->DEVTYPE);
}

// The first row of `sql` into `device`; false and `device` untouched when none.
bool ReadOneDevice(CDataStorage& storage, DEVICE_INFO* device, const char* sql,
                   std::initializer_list<SqlParam> params) {
    if (device == nullptr) return false;
    bool found = false;
    if (storage.BeginRead(sql, params) && storage.ReadNext()) {
        ReadDeviceRow(storage, device);
        found = true;
    }
    storage.EndRead();
    return found;
}

}  // namespace

bool DeviceTable::SetDeviceList(const DEVICE_INFO* list) {
    if (list == nullptr) return false;
    // One transaction and one prepared statement; a rejected row (a duplicate ID keeps
    // the stored one) does not stop the others and is no failure. A transaction that
    // cannot be committed (no database open, a full disk) is. The password is stored
    // as given.
    // Without a transaction (no database open) the COMMIT fails and so does the
    // deposit; a statement that cannot be prepared makes every row's ExecuteBind fail,
    // as a rejected row does.
    (void)m_storage.TransBegin();
    (void)m_storage.BeginBind(channel_sql::kDeviceInsert);
    for (const DEVICE_INFO* device = list; device != nullptr; device = device->next) {
        m_storage.BindInteger(kId, device->ID);
        m_storage.BindString(kDevName, AnsiToUtf8(FieldText(device->DEVNAME).c_str()));
        m_storage.BindString(kIndexCode, FieldText(device->INDEXCODE));
        m_storage.BindString(kIp, FieldText(device->IP));
        m_storage.BindInteger(kPort, device->PORT);
        m_storage.BindInteger(kDomainId, device->DOMAINID);
        m_storage.BindString(kUserName, FieldText(device->USERNAME));
        m_storage.BindString(kPassword, FieldText(device->PASSWORD));
        m_storage.BindInteger(kDevType, device->DEVTYPE);
        (void)m_storage.ExecuteBind();  // a rejected row is no failure
    }
    m_storage.EndBind();
    return m_storage.TransCommit();
}

bool DeviceTable::GetDeviceByID(DEVICE_INFO* device, int id) {
    return ReadOneDevice(m_storage, device, channel_sql::kDeviceById, {id});
}

bool DeviceTable::GetDeviceByIndexCode(DEVICE_INFO* device, const char* indexCode) {
    if (!FitsIndexCodeField(indexCode)) return false;
    return ReadOneDevice(m_storage, device, channel_sql::kDeviceByIndexCode,
                         {std::string(indexCode)});
}
