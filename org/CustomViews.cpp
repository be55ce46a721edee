// Custom views: the views, their organisation nodes and their resources filed under a
// client-given key, kept in deposit order.
#include "org/CustomViews.h"

#include <algorithm>
#include <vector>

#include "libs/objfactory/ObjFactory.h"
#include "org/ListCopy.h"

// Appends a copy of every record; nothing earlier is replaced.
void CustomViews::SetCustomViewList(const CUSTOM_VIEW* list) {
    for (const CUSTOM_VIEW* view = list; view != nullptr; view = view->next)
        m_vecCustomView.push_back(*view);
}

// Every view in deposit order, as factory-made records the client frees with
// FreeCustomViewList. True when *head holds a list.
bool CustomViews::GetCustomViewList(CUSTOM_VIEW** head) const {
    if (head == nullptr) return false;
    ListAppender<CUSTOM_VIEW> list(head);
    for (const CUSTOM_VIEW& view : m_vecCustomView) AppendCopy(list, of_newCustomView(), view);
    return list.HasRecords();
}

// Appends a copy of every record; nothing earlier is replaced.
void CustomViews::SetCustomViewOrgList(const CUSTOM_VIEW_ORG* list) {
    for (const CUSTOM_VIEW_ORG* node = list; node != nullptr; node = node->next)
        m_vecCustomViewOrg.push_back(*node);
}

// Every node of this owner in ascending sortIndex, nodes of equal sortIndex in deposit
// order, as factory-made records the client frees with FreeCustomViewOrgList. The order
// is settled before any record is made, so every record made is handed out.
bool CustomViews::GetCustomViewOrgList(CUSTOM_VIEW_ORG** head, int ownerId) const {
    if (head == nullptr) return false;
    std::vector<const CUSTOM_VIEW_ORG*> nodes;
    for (const CUSTOM_VIEW_ORG& node : m_vecCustomViewOrg)
        if (node.ownerId == ownerId) nodes.push_back(&node);
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const CUSTOM_VIEW_ORG* a, const CUSTOM_VIEW_ORG* b) {
                         return a->sortIndex < b->sortIndex;
                     });
    ListAppender<CUSTOM_VIEW_ORG> list(head);
    for (const CUSTOM_VIEW_ORG* node : nodes) AppendCopy(list, of_newCustomViewOrg(), *node);
    return list.HasRecords();
}

// Holds a sequence under `key` from now on, also for a null list, and appends a copy of
// every record to it; earlier records under the key stay, as with the other per-key
// deposits.
void CustomViews::SetCustomViewResList(const CUSTOM_VIEW_RES* list, int key) {
    std::vector<CUSTOM_VIEW_RES>& resources = m_mapCustomViewRes[key];
    for (const CUSTOM_VIEW_RES* resource = list; resource != nullptr; resource = resource->next)
        resources.push_back(*resource);
}

// The first record, in ascending key and then deposit order, of this resId and ownerId,
// copied with a null next. A miss, or a null `out`, writes nothing.
bool CustomViews::GetCustomViewRes(CUSTOM_VIEW_RES* out, int resId, int ownerId) const {
    if (out == nullptr) return false;
    for (const auto& [key, resources] : m_mapCustomViewRes) {
        for (const CUSTOM_VIEW_RES& resource : resources) {
            if (resource.resId == resId && resource.ownerId == ownerId) {
                CopyRecordOut(out, resource);
                return true;
            }
        }
    }
    return false;
}

// The records under `key` in deposit order, as factory-made records the client frees
// with FreeCustomViewResList. True when *head holds a list.
bool CustomViews::GetCustomViewResList(CUSTOM_VIEW_RES** head, int key) const {
    if (head == nullptr) return false;
    ListAppender<CUSTOM_VIEW_RES> list(head);
    auto resources = m_mapCustomViewRes.find(key);
    if (resources != m_mapCustomViewRes.end()) {
        for (const CUSTOM_VIEW_RES& resource : resources->second)
            AppendCopy(list, of_newCustomViewRes(), resource);
    }
    return list.HasRecords();
}

void CustomViews::Clear() {
    m_vecCustomView.clear();
    m_vecCustomViewOrg.clear();
    m_mapCustomViewRes.clear();
}
