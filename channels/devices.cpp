// Encoding devices: the DEVICEINFO table. No query returns a list of devices, so every
// DEVICE_INFO crossing the interface stays the host's.
#include <cstring>

#include "channels/ChannelSchema.h"
#include "channels/index_code.h"
#include "channels/text_conversion.h"
#include "store/DataOper.h"
#include "store/RecordText.h"

namespace {

// Fills `device` from the current DEVICEINFO row, zeroing it first (so `next` is
// null). REQUIRES: the instance lock held, a row current.
void ReadDeviceRow(CDataStorage& storage, DEVICE_INFO* device) {
    std::memset(static_cast<void*>(device), 0, sizeof *device);
    std::string text;
    storage.ReadIntegerByIndex(0, device->ID);
    storage.ReadStringByIndex(1, text);
    CopyToField(device->DEVNAME, Utf8ToAnsi(text.c_str()));
    storage.ReadStringByIndex(2, text);
    CopyToField(device->INDEXCODE, text);
    storage.ReadStringByIndex(3, text);
    CopyToField(device->IP, text);
    storage.ReadIntegerByIndex(4, device->PORT);
    storage.ReadIntegerByIndex(5, device->DOMAINID);  // the table has DOMAINID before DEVTYPE
    storage.ReadStringByIndex(6, text);
    CopyToField(device->USERNAME, text);
    storage.ReadStringByIndex(7, text);
    CopyToField(device->PASSWORD, text);
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

bool CDataOper::SetDeviceList(const DEVICE_INFO* list) {
    StoreLock lock(&m_lock);
    if (list == nullptr) return false;
    // One transaction and one prepared statement; a rejected row (a duplicate ID keeps
    // the stored one) does not stop the others, and nothing is reported. The password
    // is stored as given.
    m_storage.TransBegin();
    m_storage.BeginBind(channel_sql::kDeviceInsert);
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
        m_storage.ExecuteBind();
    }
    m_storage.EndBind();
    m_storage.TransCommit();
    return true;
}

bool CDataOper::GetDeviceByID(DEVICE_INFO* device, int id) {
    StoreLock lock(&m_lock);
    return ReadOneDevice(m_storage, device, channel_sql::kDeviceById, {id});
}

bool CDataOper::GetDeviceByIndexCode(DEVICE_INFO* device, const char* indexCode) {
    StoreLock lock(&m_lock);
    if (!FitsIndexCodeField(indexCode)) return false;
    return ReadOneDevice(m_storage, device, channel_sql::kDeviceByIndexCode,
                         {std::string(indexCode)});
}
