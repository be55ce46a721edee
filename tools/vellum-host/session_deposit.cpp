// The session's first phase: the whole site deposited through IVellum, channel lists in
// batches of kBatch records per call as a client pages them in.
#include <algorithm>

#include "host_records.h"
#include "session.h"

Session::Session(IVellum& vellum, const InstanceFuncTable& tables, const SiteIndex& index,
                 const ModuleSettings& settings, uint64_t seed, Progress& progress)
    : m_vellum(vellum),
      m_tables(tables),
      m_index(index),
      m_site(index.Data()),
      m_settings(settings),
      m_random(seed),
      m_progress(progress) {
    m_online.reserve(m_site.cameras.size());
    for (const SiteCamera& camera : m_site.cameras) m_online.push_back(camera.online ? 1 : 0);
}

void Session::Run() {
    Deposit();
    QueryCells();
    QueryCameras();
    QueryChannels();
    QueryStorage();
    QueryViewsAndCrowds();
    CheckDepositedStatistics();
    PlayStatusBurst();
    CompareRollUpWithRecount();
}

bool Session::Passed() const {
    for (const CheckStats& check : m_checks.All())
        if (check.failed != 0) return false;
    return true;
}

std::vector<std::size_t> Session::Sample(std::size_t count, std::size_t limit) {
    std::vector<std::size_t> positions;
    if (count <= limit) {
        for (std::size_t i = 0; i < count; ++i) positions.push_back(i);
    } else {
        for (std::size_t i = 0; i < limit; ++i) positions.push_back(m_random.Below(count));
    }
    return positions;
}

// Deposits `items` in lists of `batch` records (>= 1). `call(head)` deposits one linked batch and
// returns what the operation returns (true for the operations that return nothing); `fill(item,
// record)` fills one record.
template <class Record, class Item, class Fill, class Call>
void Session::DepositInBatches(const char* operation, const std::vector<Item>& items,
                               std::size_t batch, Fill fill, Call call) {
    OpStats& op = m_ops[operation];
    CheckStats& accepted = m_checks["deposits are accepted"];
    m_progress.Begin(std::string("depositing with ") + operation, items.size());
    for (std::size_t begin = 0; begin < items.size(); begin += batch) {
        const std::size_t count = std::min(batch, items.size() - begin);
        RecordList<Record> records(count);
        for (std::size_t i = 0; i < count; ++i) fill(items[begin + i], records[i]);
        Record* head = records.Link();
        const bool result = Timed(op, [&] { return call(head); });
        accepted.Expect(result, [&] {
            return std::string(operation) + " returned false for records " + std::to_string(begin) +
                   " to " + std::to_string(begin + count - 1);
        });
        op.records += count;
        m_progress.Advance(count);
    }
    m_progress.End();
}

void Session::Deposit() {
    // The client deposits its whole tree in one list, then the statistics entries.
    DepositInBatches<CELL_INFO>(
        "SetCellList", m_site.cells, m_site.cells.size(),
        [](const SiteCell& c, CELL_INFO& r) { FillRecord(c, r); },
        [&](const CELL_INFO* head) {
            m_vellum.SetCellList(head);
            return true;
        });
    DepositStatistics();
    DepositInBatches<DEVICE_INFO>(
        "SetDeviceList", m_site.devices, kBatch,
        [](const SiteDevice& d, DEVICE_INFO& r) { FillRecord(d, r); },
        [&](const DEVICE_INFO* head) { return m_vellum.SetDeviceList(head); });
    DepositInBatches<CAMERA_INFO>(
        "SetCameraList", m_site.cameras, kBatch,
        [](const SiteCamera& c, CAMERA_INFO& r) { FillRecord(c, r); },
        [&](const CAMERA_INFO* head) { return m_vellum.SetCameraList(head, 0); });
    DepositInBatches<IO_INFO>(
        "SetIOList", m_site.ioChannels, kBatch,
        [](const SiteIoChannel& io, IO_INFO& r) { FillRecord(io, r); },
        [&](const IO_INFO* head) { return m_vellum.SetIOList(head); });
    DepositInBatches<TALK_CHANNEL>(
        "SetTalkChannelList", m_site.talkChannels, kBatch,
        [](const SiteTalkChannel& t, TALK_CHANNEL& r) { FillRecord(t, r); },
        [&](const TALK_CHANNEL* head) { return m_vellum.SetTalkChannelList(head); });
    DepositStorage();
    DepositViews();
    DepositCrowds();
}

// One entry per cell, with the counts of its cameras and of all cameras below it, as the
// client keeps them; the roll-up keeps them right from here on.
void Session::DepositStatistics() {
    const std::vector<SiteIndex::Count> counts = m_index.CountCameras(m_online);
    RecordList<USER_ORG> records(m_site.cells.size());
    for (std::size_t i = 0; i < m_site.cells.size(); ++i) {
        records[i].orgId = m_site.cells[i].id;
        records[i].cameraCount = static_cast<int32_t>(counts[i].total);
        records[i].onlineCount = static_cast<int32_t>(counts[i].online);
        records[i].listKey = m_site.cells[i].type;
    }
    const USER_ORG* head = records.Link();
    OpStats& op = m_ops["SetUserOrgStatList"];
    Timed(op, [&] { m_vellum.SetUserOrgStatList(head); });
    op.records += records.size();
}

void Session::DepositStorage() {
    RecordList<STORE_FOLDER> folders(m_site.storeFolders.size());
    for (std::size_t i = 0; i < folders.size(); ++i) FillRecord(m_site.storeFolders[i], folders[i]);
    const STORE_FOLDER* head = folders.Link();
    OpStats& setFolders = m_ops["SetStoreFolderList"];
    Timed(setFolders, [&] { m_vellum.SetStoreFolderList(head); });
    setFolders.records += folders.size();

    // One list per folder: the module files a list under its first record's folder.
    OpStats& setResources = m_ops["SetStoreResList"];
    CheckStats& accepted = m_checks["deposits are accepted"];
    for (const SiteStoreFolder& folder : m_site.storeFolders) {
        if (folder.resources.empty()) continue;
        RecordList<STORE_RES> resources(folder.resources.size());
        for (std::size_t i = 0; i < resources.size(); ++i)
            FillStoreRes(folder, folder.resources[i], resources[i]);
        const STORE_RES* resourceHead = resources.Link();
        const bool result =
            Timed(setResources, [&] { return m_vellum.SetStoreResList(resourceHead); });
        accepted.Expect(result, [&] {
            return "SetStoreResList returned false for folder " + std::to_string(folder.id);
        });
        setResources.records += resources.size();
    }
}

void Session::DepositViews() {
    RecordList<CUSTOM_VIEW> views(m_site.views.size());
    std::size_t nodeCount = 0;
    for (std::size_t i = 0; i < views.size(); ++i) {
        FillRecord(m_site.views[i], views[i]);
        nodeCount += m_site.views[i].nodes.size();
    }
    const CUSTOM_VIEW* viewHead = views.Link();
    OpStats& setViews = m_ops["SetCustomViewList"];
    Timed(setViews, [&] { m_vellum.SetCustomViewList(viewHead); });
    setViews.records += views.size();

    RecordList<CUSTOM_VIEW_ORG> nodes(nodeCount);
    std::size_t at = 0;
    for (const SiteView& view : m_site.views)
        for (const SiteViewNode& node : view.nodes) FillViewNode(view, node, nodes[at++]);
    const CUSTOM_VIEW_ORG* nodeHead = nodes.Link();
    OpStats& setNodes = m_ops["SetCustomViewOrgList"];
    Timed(setNodes, [&] { m_vellum.SetCustomViewOrgList(nodeHead); });
    setNodes.records += nodes.size();

    // A view's resources, of all its nodes, under the view's id as the key.
    OpStats& setResources = m_ops["SetCustomViewResList"];
    for (const SiteView& view : m_site.views) {
        std::size_t count = 0;
        for (const SiteViewNode& node : view.nodes) count += node.resources.size();
        RecordList<CUSTOM_VIEW_RES> resources(count);
        std::size_t r = 0;
        for (const SiteViewNode& node : view.nodes)
            for (const SiteViewResource& resource : node.resources)
                FillViewRes(node, resource,
                            m_site.cameras[m_index.FindCamera(resource.camera)].indexCode,
                            resources[r++]);
        const CUSTOM_VIEW_RES* head = resources.Link();
        Timed(setResources, [&] { m_vellum.SetCustomViewResList(head, view.id); });
        setResources.records += count;
    }
}

void Session::DepositCrowds() {
    RecordList<CROWD_FOLDER> folders(m_site.crowdFolders.size());
    for (std::size_t i = 0; i < folders.size(); ++i) FillRecord(m_site.crowdFolders[i], folders[i]);
    const CROWD_FOLDER* folderHead = folders.Link();
    OpStats& setFolders = m_ops["SetCrowdFolderList"];
    Timed(setFolders, [&] { m_vellum.SetCrowdFolderList(folderHead); });
    setFolders.records += folders.size();

    OpStats& setResources = m_ops["SetCrowdResList"];
    for (const SiteCrowdFolder& folder : m_site.crowdFolders) {
        RecordList<CROWD_RES> resources(folder.resources.size());
        for (std::size_t i = 0; i < resources.size(); ++i)
            FillRecord(folder.resources[i], resources[i]);
        const CROWD_RES* head = resources.Link();
        Timed(setResources, [&] { m_vellum.SetCrowdResList(head, folder.id); });
        setResources.records += resources.size();
    }
}
