// The user-organisation records, held in deposit order and listed by list key.
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call.
#ifndef VELLUM_ORG_USERORGS_H
#define VELLUM_ORG_USERORGS_H

#include <vector>

#include "vellum/records.h"

class UserOrgs {
public:
    void SetUserOrgList(const USER_ORG* list);
    bool GetUserOrgList(USER_ORG** out, int listKey) const;
    void Clear() { m_vecUserOrg.clear(); }

private:
    std::vector<USER_ORG> m_vecUserOrg;
};

#endif  // VELLUM_ORG_USERORGS_H
