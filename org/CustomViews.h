// The custom views, their organisation nodes and their resources filed under a
// client-given key, kept in deposit order.
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call.
#ifndef VELLUM_ORG_CUSTOMVIEWS_H
#define VELLUM_ORG_CUSTOMVIEWS_H

#include <cstdint>
#include <map>
#include <vector>

#include "vellum/records.h"

class CustomViews {
public:
    void SetCustomViewList(const CUSTOM_VIEW* list);
    bool GetCustomViewList(CUSTOM_VIEW** head) const;
    void SetCustomViewOrgList(const CUSTOM_VIEW_ORG* list);
    bool GetCustomViewOrgList(CUSTOM_VIEW_ORG** head, int ownerId) const;
    void SetCustomViewResList(const CUSTOM_VIEW_RES* list, int key);
    bool GetCustomViewRes(CUSTOM_VIEW_RES* out, int resId, int ownerId) const;
    bool GetCustomViewResList(CUSTOM_VIEW_RES** head, int key) const;
    void Clear();

private:
    std::vector<CUSTOM_VIEW> m_vecCustomView;
    std::vector<CUSTOM_VIEW_ORG> m_vecCustomViewOrg;
    std::map<int32_t, std::vector<CUSTOM_VIEW_RES>> m_mapCustomViewRes;
};

#endif  // VELLUM_ORG_CUSTOMVIEWS_H
