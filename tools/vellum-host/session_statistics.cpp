// The session's statistics phases. The entries deposited hold, for every cell, its
// cameras and those below it, with the online ones; a burst of status changes then
// moves the online counts up the tree (the roll-up). A recount rebuilds a type-2 cell's
// entry from the camera table (rows with STATUS 1) and its type-2 children's entries,
// then walks up; recounting every type-2 cell without type-2 children rebuilds each
// type-2 cell after all cells below it, so its final entry is a full recount from the
// table. The burst sends only 0 and 1: a status of 2 would count online in the roll-up
// but not in the recount. Type-1 recounts add only type-1 children (no cameras stand
// in type-1 cells), so their results are reported, not compared.
#include <algorithm>

#include "host_records.h"
#include "session.h"

std::vector<SiteIndex::Count> Session::ReadStatistics(const char* label, std::vector<char>* found) {
    OpStats& op = m_ops["GetUserOrgStat"];
    std::vector<SiteIndex::Count> counts(m_site.cells.size());
    found->assign(m_site.cells.size(), 0);
    m_progress.Begin(label, m_site.cells.size());
    for (std::size_t i = 0; i < m_site.cells.size(); ++i) {
        int online = -1;
        int total = -1;
        const bool present =
            Timed(op, [&] { return m_vellum.GetUserOrgStat(m_site.cells[i].id, &online, &total); });
        op.records += present ? 1 : 0;
        (*found)[i] = present ? 1 : 0;
        counts[i] = {online, total};
        m_progress.Advance();
    }
    m_progress.End();
    return counts;
}

namespace {

std::string CountText(const SiteIndex::Count& count) {
    return std::to_string(count.online) + " of " + std::to_string(count.total) + " online";
}

}  // namespace

void Session::CheckDepositedStatistics() {
    const std::vector<SiteIndex::Count> expected = m_index.CountCameras(m_online);
    std::vector<char> found;
    const std::vector<SiteIndex::Count> stored = ReadStatistics("reading the statistics", &found);
    CheckStats& check = m_checks["statistics as deposited"];
    for (std::size_t i = 0; i < stored.size(); ++i)
        check.Expect(found[i] != 0 && stored[i] == expected[i], [&] {
            return "GetUserOrgStat(" + std::to_string(m_site.cells[i].id) +
                   "): " + (found[i] != 0 ? CountText(stored[i]) : "no entry") + ", deposited " +
                   CountText(expected[i]);
        });
}

void Session::PlayStatusBurst() {
    const std::size_t cameras = m_site.cameras.size();
    if (cameras == 0) return;
    // A tenth of the cameras report, at least a hundred times; one report in four
    // repeats the status the camera has, as devices do when they reconnect.
    const std::size_t changes = std::max<std::size_t>(100, cameras / 10);
    OpStats& op = m_ops["UpdateCameraStatus"];
    m_progress.Begin("status burst", changes);
    for (std::size_t sent = 0; sent < changes; sent += kStatusBatch) {
        const std::size_t count = std::min(kStatusBatch, changes - sent);
        RecordList<CAMERA_STATUS> list(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t position = m_random.Below(cameras);
            const bool was = m_online[position] != 0;
            const bool now = m_random.Chance(0.75) ? !was : was;
            list[i].ID = m_site.cameras[position].id;
            list[i].STATUS = now ? 1 : 0;
            m_online[position] = now ? 1 : 0;
            if (now == was)
                ++m_statistics.unchanged;
            else if (now)
                ++m_statistics.wentOnline;
            else
                ++m_statistics.wentOffline;
        }
        const CAMERA_STATUS* head = list.Link();
        Timed(op, [&] { m_vellum.UpdateCameraStatus(head); });
        op.records += count;
        m_progress.Advance(count);
    }
    m_progress.End();
    m_statistics.statusChanges = changes;
    m_statistics.camerasOnline =
        static_cast<uint64_t>(std::count(m_online.begin(), m_online.end(), 1));

    // The table holds the statuses sent, as the camera look-up reads them back.
    CheckStats& check = m_checks["camera statuses after the burst"];
    OpStats& byId = m_ops["GetCameraByID"];
    for (std::size_t position : Sample(cameras, kSample)) {
        CAMERA_INFO record;
        const bool found = Timed(
            byId, [&] { return m_vellum.GetCameraByID(&record, m_site.cameras[position].id); });
        byId.records += found ? 1 : 0;
        check.Expect(found && record.STATUS == (m_online[position] != 0), [&] {
            return "GetCameraByID(" + std::to_string(m_site.cameras[position].id) +
                   "): " + (found ? (record.STATUS ? "online" : "offline") : "not found") +
                   " after the burst";
        });
    }
}

void Session::CompareRollUpWithRecount() {
    const std::vector<SiteIndex::Count> expected = m_index.CountCameras(m_online);
    std::vector<char> found;
    const std::vector<SiteIndex::Count> rolledUp =
        ReadStatistics("reading the rolled-up statistics", &found);
    CheckStats& rollUp = m_checks["rolled-up counts match the site"];
    for (std::size_t i = 0; i < rolledUp.size(); ++i)
        rollUp.Expect(found[i] != 0 && rolledUp[i] == expected[i], [&] {
            return "GetUserOrgStat(" + std::to_string(m_site.cells[i].id) +
                   ") after the burst: " + (found[i] != 0 ? CountText(rolledUp[i]) : "no entry") +
                   ", expected " + CountText(expected[i]);
        });

    std::vector<int32_t> leaves;
    for (std::size_t i = 0; i < m_site.cells.size(); ++i)
        if (m_index.IsType2Leaf(i)) leaves.push_back(m_site.cells[i].id);
    OpStats& recount = m_ops["RecountUserOrgStat"];
    m_progress.Begin("recounting", leaves.size());
    for (int32_t id : leaves) {
        Timed(recount, [&] { m_vellum.RecountUserOrgStat(id, 2); });
        m_progress.Advance();
    }
    m_progress.End();
    m_statistics.recountCalls = leaves.size();

    const std::vector<SiteIndex::Count> recounted =
        ReadStatistics("reading the recounted statistics", &found);
    CheckStats& same = m_checks["rolled-up equal recounted, type-2 cells"];
    for (std::size_t i = 0; i < m_site.cells.size(); ++i) {
        if (m_site.cells[i].type != 2) continue;
        ++m_statistics.type2Cells;
        const bool equal = found[i] != 0 && recounted[i] == rolledUp[i];
        const std::string difference = equal ? std::string()
                                             : "cell " + std::to_string(m_site.cells[i].id) +
                                                   ": rolled up " + CountText(rolledUp[i]) +
                                                   ", recounted " + CountText(recounted[i]);
        if (equal)
            ++m_statistics.type2Equal;
        else if (m_statistics.firstDifferences.size() < kDifferencesKept)
            m_statistics.firstDifferences.push_back(difference);
        same.Expect(equal, [&] { return difference; });
    }

    // The roots, each followed by its type-1 children.
    auto addTopCell = [&](std::size_t i) {
        if (m_statistics.topCells.size() == kTopCellsShown) {
            ++m_statistics.topCellsOmitted;
            return;
        }
        const SiteCell& cell = m_site.cells[i];
        m_statistics.topCells.push_back(
            {cell.id, cell.type, cell.name, m_index.Level(i), rolledUp[i], recounted[i]});
    };
    for (std::size_t i = 0; i < m_site.cells.size(); ++i) {
        if (m_site.cells[i].type != 1 || m_site.cells[i].parentId != 0) continue;
        addTopCell(i);
        for (std::size_t child : m_index.Children(i))
            if (m_site.cells[child].type == 1) addTopCell(child);
    }
}
