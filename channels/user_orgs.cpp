// User-organisation records (slots 15, 16) and the statistics map's deposit and query
// (slots 67, 68). The counting itself is in camera_status.cpp.
#include "libs/objfactory/ObjFactory.h"
#include "store/DataOper.h"
#include "libs/records/ListAppender.h"
#include "libs/records/RecordText.h"

void CDataOper::SetUserOrgList(const USER_ORG* list) {
    StoreLock lock(&m_lock);
    // Appends: a record deposited twice is held, and listed, twice.
    for (const USER_ORG* org = list; org != nullptr; org = org->next) m_vecUserOrg.push_back(*org);
}

// The list belongs to the caller, who frees it with FreeUserOrgList.
bool CDataOper::GetUserOrgList(USER_ORG** out, int listKey) {
    StoreLock lock(&m_lock);
    if (out == nullptr) return false;
    ListAppender<USER_ORG> appender(out);
    for (const USER_ORG& org : m_vecUserOrg) {
        if (org.listKey != listKey) continue;
        USER_ORG* copy = of_newUserOrg();
        if (copy == nullptr) continue;  // that record is skipped
        CopyRecordOut(copy, org);
        appender.Append(copy);
    }
    return appender.HasRecords();
}

void CDataOper::SetUserOrgStatList(const USER_ORG* list) {
    StoreLock lock(&m_lock);
    // The whole entry is replaced, counts included.
    for (const USER_ORG* org = list; org != nullptr; org = org->next)
        m_mapUserOrgStat[org->orgId] = *org;
}

bool CDataOper::GetUserOrgStat(int orgId, int* onlineCount, int* cameraCount) {
    StoreLock lock(&m_lock);
    auto entry = m_mapUserOrgStat.find(orgId);
    if (entry == m_mapUserOrgStat.end()) return false;
    *onlineCount = entry->second.onlineCount;
    *cameraCount = entry->second.cameraCount;
    return true;
}
