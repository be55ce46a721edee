// The context blocks, the keyed records and the two integer registers: host data the
// module only copies in and out. The block and register copies take no lock. A null
// buffer or record is ignored: the host's pointer is the only thing these trust.
#include <cstdint>
#include <cstring>

#include "store/DataOper.h"
#include "libs/records/RecordText.h"

void CDataOper::GetInstanceContext(void* buffer788) {
    if (buffer788 == nullptr) return;
    std::memcpy(buffer788, m_instanceContext, sizeof m_instanceContext);
}

void CDataOper::SetInstanceContext(const void* buffer788) {
    if (buffer788 == nullptr) return;
    std::memcpy(m_instanceContext, buffer788, sizeof m_instanceContext);
}

void CDataOper::SetTransientContext(const void* buffer528) {
    if (buffer528 == nullptr) return;
    std::memcpy(m_transientContext, buffer528, sizeof m_transientContext);
}

void CDataOper::GetTransientContext(void* buffer528) {
    if (buffer528 == nullptr) return;
    std::memcpy(buffer528, m_transientContext, sizeof m_transientContext);
}

bool CDataOper::GetKeyedInfo(KEYED_INFO* out, int key) {
    if (out == nullptr) return false;
    StoreLock lock(&m_lock);
    auto found = m_mapKeyedInfo.find(key);
    if (found == m_mapKeyedInfo.end()) return false;
    CopyRecordOut(out, found->second);
    return true;
}

void CDataOper::SetKeyedInfoList(const KEYED_INFO* list) {
    StoreLock lock(&m_lock);
    for (const KEYED_INFO* record = list; record != nullptr; record = record->next)
        m_mapKeyedInfo[record->key] = *record;
}

void CDataOper::SetLevelCount(int levelCount) { m_nLevelCount = levelCount; }

// Wraps as the client's 32-bit arithmetic does (INT_MIN gives INT_MAX) instead of
// overflowing.
int CDataOper::GetMaxLevel() {
    return static_cast<int32_t>(static_cast<uint32_t>(m_nLevelCount) - 1u);
}

void CDataOper::SetHostValue(int value) { m_nHostValue = value; }

int CDataOper::GetHostValue() { return m_nHostValue; }
