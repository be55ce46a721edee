#include "org/UserOrgs.h"

#include "libs/objfactory/ObjFactory.h"
#include "libs/records/ListAppender.h"
#include "libs/records/RecordText.h"

void UserOrgs::SetUserOrgList(const USER_ORG* list) {
    // Appends: a record deposited twice is held, and listed, twice.
    for (const USER_ORG* org = list; org != nullptr; org = org->next) m_vecUserOrg.push_back(*org);
}

// The list belongs to the caller, who frees it with FreeUserOrgList.
bool UserOrgs::GetUserOrgList(USER_ORG** out, int listKey) const {
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
