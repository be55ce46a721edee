// The session's queries of the storage folders and resources, the custom views and the
// crowd data.
#include <algorithm>
#include <map>
#include <utility>

#include "host_records.h"
#include "session.h"
#include "session_support.h"

void Session::QueryStorage() {
    CheckStats& check = m_checks["storage folders and resources"];
    m_progress.Begin("querying storage", m_site.storeFolders.size());

    // Each folder's children by (sortIndex, id), and those of 0 (the top).
    std::map<int32_t, std::vector<std::pair<std::pair<int32_t, int32_t>, int32_t>>> children;
    children[0];
    for (const SiteStoreFolder& folder : m_site.storeFolders) {
        children[folder.id];
        children[folder.parentId].push_back({{folder.sortIndex, folder.id}, folder.id});
    }
    OpStats& folderList = m_ops["GetStoreFolderList"];
    for (auto& entry : children) {
        std::sort(entry.second.begin(), entry.second.end());
        std::vector<int32_t> expected;
        for (const auto& child : entry.second) expected.push_back(child.second);
        HandedList<STORE_FOLDER> list(m_tables.FreeStoreFolderList);
        const bool any =
            Timed(folderList, [&] { return m_vellum.GetStoreFolderList(list.Out(), entry.first); });
        const std::vector<int32_t> ids =
            ListValues(list.Head(), [](const STORE_FOLDER& r) { return r.id; });
        folderList.records += ids.size();
        check.Expect(any == !expected.empty() && ids == expected, [&] {
            return ListMismatch("GetStoreFolderList(" + std::to_string(entry.first) + ")", ids,
                                expected);
        });
    }

    // Each folder's resources by (sortIndex, resId); records equal in both come in any order.
    OpStats& resList = m_ops["GetStoreResList"];
    OpStats& resCount = m_ops["GetStoreResCount"];
    std::map<std::pair<std::string, int32_t>, int32_t>
        firstFolder;  // (code, type) -> least folder id
    for (const SiteStoreFolder& folder : m_site.storeFolders) {
        std::vector<std::string> expected;
        for (const SiteStoreResource& resource : folder.resources) {
            expected.push_back(resource.indexCode);
            auto known = firstFolder.emplace(std::make_pair(resource.indexCode, resource.resType),
                                             folder.id);
            if (!known.second) known.first->second = std::min(known.first->second, folder.id);
        }
        std::sort(expected.begin(), expected.end());
        HandedList<STORE_RES> list(m_tables.FreeStoreResList);
        const bool any =
            Timed(resList, [&] { return m_vellum.GetStoreResList(list.Out(), folder.id); });
        std::vector<std::string> codes;
        bool ordered = true;
        const STORE_RES* previous = nullptr;
        for (const STORE_RES* r = list.Head(); r != nullptr; previous = r, r = r->next) {
            codes.push_back(FieldText(r->indexCode));
            if (r->folderId != folder.id) ordered = false;
            if (previous != nullptr && std::make_pair(previous->sortIndex, previous->resId) >
                                           std::make_pair(r->sortIndex, r->resId))
                ordered = false;
        }
        resList.records += codes.size();
        std::sort(codes.begin(), codes.end());
        check.Expect(any == !expected.empty() && ordered && codes == expected, [&] {
            return "GetStoreResList(" + std::to_string(folder.id) +
                   "): " + std::to_string(codes.size()) + " resources" +
                   (ordered ? "" : " out of order") + ", expected " +
                   std::to_string(expected.size());
        });
        const int count = Timed(resCount, [&] { return m_vellum.GetStoreResCount(folder.id); });
        check.Expect(count == static_cast<int>(folder.resources.size()), [&] {
            return "GetStoreResCount(" + std::to_string(folder.id) + "): " + std::to_string(count) +
                   ", expected " + std::to_string(folder.resources.size());
        });
        m_progress.Advance();
    }
    m_progress.End();

    // Look-ups across folders find a resource in the folder with the least id.
    std::vector<std::pair<const SiteStoreFolder*, const SiteStoreResource*>> resources;
    for (const SiteStoreFolder& folder : m_site.storeFolders)
        for (const SiteStoreResource& resource : folder.resources)
            resources.emplace_back(&folder, &resource);
    OpStats& byCode = m_ops["GetStoreResByIndexCode"];
    OpStats& exists = m_ops["IsStoreResExist"];
    for (std::size_t position : Sample(resources.size(), kSample)) {
        const SiteStoreResource& resource = *resources[position].second;
        const int32_t folder = firstFolder.at({resource.indexCode, resource.resType});
        STORE_RES record;
        const bool found = Timed(byCode, [&] {
            return m_vellum.GetStoreResByIndexCode(&record, resource.indexCode.c_str(),
                                                   resource.resType);
        });
        byCode.records += found ? 1 : 0;
        check.Expect(
            found && record.folderId == folder && record.resType == resource.resType &&
                FieldText(record.indexCode) == resource.indexCode && record.next == nullptr,
            [&] {
                return "GetStoreResByIndexCode(" + resource.indexCode + ", " +
                       std::to_string(resource.resType) +
                       "): " + (found ? "folder " + std::to_string(record.folderId) : "not found") +
                       ", expected folder " + std::to_string(folder);
            });
        const bool there = Timed(exists, [&] {
            return m_vellum.IsStoreResExist(resource.indexCode.c_str(), resource.resType);
        });
        check.Expect(there, [&] { return "IsStoreResExist(" + resource.indexCode + "): false"; });
    }
    const bool phantom =
        Timed(exists, [&] { return m_vellum.IsStoreResExist("NO-SUCH-RESOURCE", 1); });
    check.Expect(!phantom,
                 [] { return std::string("IsStoreResExist(NO-SUCH-RESOURCE, 1): true"); });
}

void Session::QueryViewsAndCrowds() {
    CheckStats& views = m_checks["custom views"];
    HandedList<CUSTOM_VIEW> viewList(m_tables.FreeCustomViewList);
    OpStats& listViews = m_ops["GetCustomViewList"];
    const bool anyView =
        Timed(listViews, [&] { return m_vellum.GetCustomViewList(viewList.Out()); });
    std::vector<int32_t> got =
        ListValues(viewList.Head(), [](const CUSTOM_VIEW& r) { return PackedId(r.viewData); });
    listViews.records += got.size();
    std::vector<int32_t> expected;
    for (const SiteView& view : m_site.views) expected.push_back(view.id);
    views.Expect(anyView == !expected.empty() && got == expected,
                 [&] { return ListMismatch("GetCustomViewList", got, expected); });

    OpStats& listNodes = m_ops["GetCustomViewOrgList"];
    OpStats& listResources = m_ops["GetCustomViewResList"];
    OpStats& oneResource = m_ops["GetCustomViewRes"];
    std::vector<std::pair<const SiteViewNode*, const SiteViewResource*>> viewResources;
    for (const SiteView& view : m_site.views) {
        // Nodes by sortIndex, in deposit order among equals.
        std::vector<const SiteViewNode*> nodes;
        for (const SiteViewNode& node : view.nodes) nodes.push_back(&node);
        std::stable_sort(nodes.begin(), nodes.end(),
                         [](const SiteViewNode* a, const SiteViewNode* b) {
                             return a->sortIndex < b->sortIndex;
                         });
        expected.clear();
        for (const SiteViewNode* node : nodes) expected.push_back(node->id);
        HandedList<CUSTOM_VIEW_ORG> nodeList(m_tables.FreeCustomViewOrgList);
        const bool anyNode = Timed(
            listNodes, [&] { return m_vellum.GetCustomViewOrgList(nodeList.Out(), view.id); });
        got = ListValues(nodeList.Head(), [](const CUSTOM_VIEW_ORG& r) { return r.id; });
        listNodes.records += got.size();
        views.Expect(anyNode == !expected.empty() && got == expected, [&] {
            return ListMismatch("GetCustomViewOrgList(" + std::to_string(view.id) + ")", got,
                                expected);
        });

        expected.clear();
        for (const SiteViewNode& node : view.nodes)
            for (const SiteViewResource& resource : node.resources) {
                expected.push_back(resource.id);
                viewResources.emplace_back(&node, &resource);
            }
        HandedList<CUSTOM_VIEW_RES> resourceList(m_tables.FreeCustomViewResList);
        const bool anyResource = Timed(listResources, [&] {
            return m_vellum.GetCustomViewResList(resourceList.Out(), view.id);
        });
        got = ListValues(resourceList.Head(), [](const CUSTOM_VIEW_RES& r) { return r.id; });
        listResources.records += got.size();
        views.Expect(anyResource == !expected.empty() && got == expected, [&] {
            return ListMismatch("GetCustomViewResList(" + std::to_string(view.id) + ")", got,
                                expected);
        });
    }
    // Node ids are unique across views, so the first match is the node's first resource
    // naming that camera.
    for (std::size_t position : Sample(viewResources.size(), kSample)) {
        const SiteViewNode& node = *viewResources[position].first;
        const int32_t camera = viewResources[position].second->camera;
        int32_t first = 0;
        for (const SiteViewResource& resource : node.resources)
            if (resource.camera == camera && first == 0) first = resource.id;
        CUSTOM_VIEW_RES record;
        const bool found =
            Timed(oneResource, [&] { return m_vellum.GetCustomViewRes(&record, camera, node.id); });
        oneResource.records += found ? 1 : 0;
        views.Expect(found && record.id == first && record.next == nullptr, [&] {
            return "GetCustomViewRes(" + std::to_string(camera) + ", " + std::to_string(node.id) +
                   "): " + (found ? "resource " + std::to_string(record.id) : "not found") +
                   ", expected " + std::to_string(first);
        });
    }

    CheckStats& crowds = m_checks["crowd folders and resources"];
    OpStats& folderById = m_ops["GetCrowdFolderByID"];
    OpStats& resourceList = m_ops["GetCrowdResList"];
    std::map<std::pair<int32_t, int32_t>, std::vector<int32_t>> foldersOf;  // (type, id) -> folders
    std::vector<const SiteCrowdFolder*> byId;
    for (const SiteCrowdFolder& folder : m_site.crowdFolders) byId.push_back(&folder);
    std::sort(byId.begin(), byId.end(),
              [](const SiteCrowdFolder* a, const SiteCrowdFolder* b) { return a->id < b->id; });
    for (const SiteCrowdFolder* folder : byId) {
        CROWD_FOLDER record;
        const bool found =
            Timed(folderById, [&] { return m_vellum.GetCrowdFolderByID(folder->id, &record); });
        folderById.records += found ? 1 : 0;
        crowds.Expect(
            found && record.id == folder->id && FieldText(record.name) == folder->name, [&] {
                return "GetCrowdFolderByID(" + std::to_string(folder->id) +
                       "): " + (found ? "\"" + FieldText(record.name) + "\"" : "not found");
            });
        expected.clear();
        for (const SiteCrowdResource& resource : folder->resources) {
            expected.push_back(resource.resId);
            foldersOf[{resource.resType, resource.resId}].push_back(folder->id);
        }
        HandedList<CROWD_RES> list(m_tables.FreeCrowdResList);
        const bool listed =
            Timed(resourceList, [&] { return m_vellum.GetCrowdResList(folder->id, list.Out()); });
        got = ListValues(list.Head(), [](const CROWD_RES& r) { return r.resId; });
        resourceList.records += got.size();
        crowds.Expect(listed && got == expected, [&] {
            return ListMismatch("GetCrowdResList(" + std::to_string(folder->id) + ")", got,
                                expected);
        });
    }
    OpStats& foldersByRes = m_ops["GetCrowdFolderListByRes"];
    std::size_t asked = 0;
    for (const auto& entry : foldersOf) {
        if (asked++ == kSample) break;
        HandedList<CROWD_FOLDER> list(m_tables.FreeCrowdFolderList);
        const bool listed = Timed(foldersByRes, [&] {
            return m_vellum.GetCrowdFolderListByRes(entry.first.first, entry.first.second,
                                                    list.Out());
        });
        got = ListValues(list.Head(), [](const CROWD_FOLDER& r) { return r.id; });
        foldersByRes.records += got.size();
        crowds.Expect(listed && got == entry.second, [&] {
            return ListMismatch("GetCrowdFolderListByRes(" + std::to_string(entry.first.first) +
                                    ", " + std::to_string(entry.first.second) + ")",
                                got, entry.second);
        });
    }
}
