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

// Fills `device` from the current DEVICEINFO row, zeroing it first (so `next` is
// null). REQUIRES: the instance lock held, a row current.
void ReadDeviceRow(CDataStorage& storage, DEVICE_INFO* device) {
    std::memset(static_cast<void*>(device), 0, sizeof *device);
    std::string text;
    storage.ReadIntegerByIndex(0, device->ID);
    CopyNameToField(device->DEVNAME, ColumnText(storage, 1, text));
    CopyToField(device->INDEXCODE, ColumnText(storage, 2, text));
    CopyToField(device->IP, ColumnText(storage, 3, text));
    storage.ReadIntegerByIndex(4, device->PORT);
    storage.ReadIntegerByIndex(5, device->DOMAINID);  // the table has DOMAINID before DEVTYPE
    CopyToField(device->USERNAME, ColumnText(storage, 6, text));
    CopyToField(device->PASSWORD, ColumnText(storage, 7, text));
    storage.ReadIntegerByIndex(8, device->DEVTYPE);
}

// The first row of `sql` into `device`; false and `device` untouched when none.
bool ReadOneDevice(CDataStorage& storage, DEVICE_INFO* device, const char* sql,
                   std::initializer_list<SqlParam> params) {
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
        m_storage.BindInteger(0, device->ID);
        m_storage.BindString(1, AnsiToUtf8(FieldText(device->DEVNAME).c_str()));
        m_storage.BindString(2, FieldText(device->INDEXCODE));
        m_storage.BindString(3, FieldText(device->IP));
        m_storage.BindInteger(4, device->PORT);
        m_storage.BindInteger(5, device->DOMAINID);
        m_storage.BindString(6, FieldText(device->USERNAME));
        m_storage.BindString(7, FieldText(device->PASSWORD));
        m_storage.BindInteger(8, device->DEVTYPE);
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
