// The session's camera queries: each cell's cameras in display order, single cameras by
// id, index code and matrix code (and misses), lists by ids and by codes, privileges.
#include <algorithm>

#include "host_records.h"
#include "session.h"
#include "session_support.h"

namespace {

// The privilege code searched for in PRIVILEGE, by privilege type; other types search
// for "-1".
int PrivilegeCode(int type) {
    switch (type) {
        case 10001:
            return 1;
        case 10003:
            return 5;
        case 10004:
            return 3;
        case 10005:
            return 4;
        case 10006:
            return 2;
        case 10015:
            return 6;
        default:
            return -1;
    }
}

// The six mapped types and one that is not.
const int kPrivilegeTypes[] = {10001, 10003, 10004, 10005, 10006, 10015, 10002};

bool PrivilegeAllowed(const std::string& privilege, int type) {
    return privilege.find(std::to_string(PrivilegeCode(type))) != std::string::npos ||
           privilege.find('0') != std::string::npos;
}

constexpr std::size_t kListLength = 20;  // ids or codes per list query
constexpr int kMisses = 10;              // look-ups of cameras that are not there

}  // namespace

std::string Session::CameraDifference(const CAMERA_INFO& r, std::size_t position) const {
    const SiteCamera& c = m_site.cameras[position];
    auto text = [](const char* field, const std::string& got) {
        return std::string(field) + " \"" + got + "\"";
    };
    if (r.ID != c.id) return "ID " + std::to_string(r.ID);
    if (r.DEVID != c.device) return "DEVID " + std::to_string(r.DEVID);
    if (r.CELLID != c.cell) return "CELLID " + std::to_string(r.CELLID);
    if (r.CELLTYPE != 2) return "CELLTYPE " + std::to_string(r.CELLTYPE);
    if (r.CHANNELNO != c.channelNo) return "CHANNELNO " + std::to_string(r.CHANNELNO);
    if (FieldText(r.INDEXCODE) != c.indexCode) return text("INDEXCODE", FieldText(r.INDEXCODE));
    if (FieldText(r.CAMNAME) != c.name) return text("CAMNAME", FieldText(r.CAMNAME));
    if (r.CAMTYPE != c.type) return "CAMTYPE " + std::to_string(r.CAMTYPE);
    if (FieldText(r.MATRIXCODE) != std::to_string(c.matrixCode))
        return text("MATRIXCODE", FieldText(r.MATRIXCODE));
    if (r.SEQINDEX != c.seqIndex) return "SEQINDEX " + std::to_string(r.SEQINDEX);
    if (r.STATUS != (m_online[position] != 0))
        return std::string("STATUS ") + (r.STATUS ? "online" : "offline");
    if (FieldText(r.RECLOC) != c.recordLocation) return text("RECLOC", FieldText(r.RECLOC));
    if (FieldText(r.PRIVILEGE) != c.privilege) return text("PRIVILEGE", FieldText(r.PRIVILEGE));
    if (FieldText(r.TRANSPATH) != c.transPath) return text("TRANSPATH", FieldText(r.TRANSPATH));
    if (r.next != nullptr) return "a non-null next";
    return "";
}

void Session::QueryCameras() {
    // Each type-2 cell's cameras, by SEQINDEX (descending under camera_index_sort=1), then ID.
    OpStats& list = m_ops["GetCameraList"];
    CheckStats& order = m_checks["cameras of each cell, in order"];
    const bool descending = m_settings.CamerasDescending();
    m_progress.Begin("listing the cameras of each cell", m_site.cells.size());
    for (std::size_t i = 0; i < m_site.cells.size(); ++i) {
        m_progress.Advance();
        const SiteCell& cell = m_site.cells[i];
        if (cell.type != 2) continue;
        std::vector<std::size_t> cameras = m_index.CamerasOf(i);
        std::sort(cameras.begin(), cameras.end(), [&](std::size_t a, std::size_t b) {
            const SiteCamera& x = m_site.cameras[a];
            const SiteCamera& y = m_site.cameras[b];
            if (x.seqIndex != y.seqIndex)
                return descending ? x.seqIndex > y.seqIndex : x.seqIndex < y.seqIndex;
            return x.id < y.id;
        });
        std::vector<int32_t> expected;
        for (std::size_t camera : cameras) expected.push_back(m_site.cameras[camera].id);
        HandedList<CAMERA_INFO> handed(m_tables.FreeCameraList);
        const bool any =
            Timed(list, [&] { return m_vellum.GetCameraList(handed.Out(), 2, cell.id); });
        const std::vector<int32_t> ids =
            ListValues(handed.Head(), [](const CAMERA_INFO& r) { return r.ID; });
        list.records += ids.size();
        order.Expect(any == !expected.empty() && ids == expected, [&] {
            return ListMismatch("GetCameraList(2, " + std::to_string(cell.id) + ")", ids, expected);
        });
    }
    m_progress.End();

    const std::vector<std::size_t> sample = Sample(m_site.cameras.size(), kSample);
    OpStats& byId = m_ops["GetCameraByID"];
    OpStats& byCode = m_ops["GetCameraByIndexCode"];
    OpStats& byMatrix = m_ops["GetCameraByMatrixCode"];
    CheckStats& single = m_checks["cameras by id, index code, matrix code"];
    m_progress.Begin("looking cameras up", sample.size());
    for (std::size_t position : sample) {
        const SiteCamera& camera = m_site.cameras[position];
        CAMERA_INFO record;
        bool found = Timed(byId, [&] { return m_vellum.GetCameraByID(&record, camera.id); });
        byId.records += found ? 1 : 0;
        std::string difference = found ? CameraDifference(record, position) : "not found";
        single.Expect(difference.empty(), [&] {
            return "GetCameraByID(" + std::to_string(camera.id) + "): " + difference;
        });

        // Codes need not be unique: any camera that carries the code is a right answer.
        found = Timed(byCode, [&] {
            return m_vellum.GetCameraByIndexCode(&record, camera.indexCode.c_str());
        });
        byCode.records += found ? 1 : 0;
        std::size_t answer = found ? m_index.FindCamera(record.ID) : SiteIndex::kNone;
        difference = answer == SiteIndex::kNone ? "not found"
                     : m_site.cameras[answer].indexCode != camera.indexCode
                         ? "another code's camera"
                         : CameraDifference(record, answer);
        single.Expect(difference.empty(), [&] {
            return "GetCameraByIndexCode(" + camera.indexCode + "): " + difference;
        });

        found = Timed(byMatrix,
                      [&] { return m_vellum.GetCameraByMatrixCode(&record, camera.matrixCode); });
        byMatrix.records += found ? 1 : 0;
        answer = found ? m_index.FindCamera(record.ID) : SiteIndex::kNone;
        difference = answer == SiteIndex::kNone ? "not found"
                     : m_site.cameras[answer].matrixCode != camera.matrixCode
                         ? "another code's camera"
                         : CameraDifference(record, answer);
        single.Expect(difference.empty(), [&] {
            return "GetCameraByMatrixCode(" + std::to_string(camera.matrixCode) +
                   "): " + difference;
        });
        m_progress.Advance();
    }
    m_progress.End();

    // Misses leave the caller's record as it was.
    int32_t maxId = 0;
    for (const SiteCamera& camera : m_site.cameras) maxId = std::max(maxId, camera.id);
    for (int k = 1; k <= kMisses; ++k) {
        const int32_t missing = maxId < INT32_MAX - kMisses ? maxId + k : -k;
        const std::string missingCode = "NO-SUCH-CAMERA-" + std::to_string(k);
        MarkedRecord<CAMERA_INFO> idRecord;
        MarkedRecord<CAMERA_INFO> codeRecord;
        const bool idFound =
            Timed(byId, [&] { return m_vellum.GetCameraByID(&idRecord.record, missing); });
        const bool codeFound = Timed(byCode, [&] {
            return m_vellum.GetCameraByIndexCode(&codeRecord.record, missingCode.c_str());
        });
        single.Expect(
            !idFound && idRecord.Untouched() && !codeFound && codeRecord.Untouched(), [&] {
                return "a look-up of camera " + std::to_string(missing) + " or " + missingCode +
                       ", which do not exist, found something or wrote to the record";
            });
    }

    QueryCameraLists(sample);
    QueryPrivileges(sample);
}

void Session::QueryCameraLists(const std::vector<std::size_t>& sample) {
    OpStats& byIds = m_ops["GetCameraListByIDs"];
    OpStats& byCodes = m_ops["GetCameraListByIndexCodes"];
    CheckStats& check = m_checks["camera lists by ids and by index codes"];
    for (std::size_t begin = 0; begin < sample.size(); begin += kListLength) {
        const std::size_t end = std::min(sample.size(), begin + kListLength);
        std::string ids;
        std::string codes;
        std::vector<int32_t> expected;
        const std::string unknown = "NO-SUCH-CAMERA-" + std::to_string(begin);
        for (std::size_t i = begin; i < end; ++i) {
            const SiteCamera& camera = m_site.cameras[sample[i]];
            ids += std::to_string(camera.id) + ",";
            codes += camera.indexCode + ",";
            if (i == (begin + end) / 2) codes += unknown + ",";
            expected.push_back(camera.id);
        }

        HandedList<CAMERA_INFO> idList(m_tables.FreeCameraList);
        bool any =
            Timed(byIds, [&] { return m_vellum.GetCameraListByIDs(idList.Out(), ids.c_str()); });
        std::vector<int32_t> got =
            ListValues(idList.Head(), [](const CAMERA_INFO& r) { return r.ID; });
        byIds.records += got.size();
        check.Expect(any && got == expected, [&] {
            return ListMismatch("GetCameraListByIDs(\"" + ids + "\")", got, expected);
        });

        // Index codes may be shared: the answer holds, per code, a camera carrying it.
        HandedList<CAMERA_INFO> codeList(m_tables.FreeCameraList);
        std::string notFound = "(untouched)";
        any = Timed(byCodes, [&] {
            return m_vellum.GetCameraListByIndexCodes(codeList.Out(), codes.c_str(), &notFound);
        });
        got = ListValues(codeList.Head(), [](const CAMERA_INFO& r) { return r.ID; });
        byCodes.records += got.size();
        bool same = any && got.size() == expected.size() && notFound == unknown + ",";
        for (std::size_t i = 0; same && i < got.size(); ++i) {
            const std::size_t answer = m_index.FindCamera(got[i]);
            same = answer != SiteIndex::kNone &&
                   m_site.cameras[answer].indexCode == m_site.cameras[sample[begin + i]].indexCode;
        }
        check.Expect(same, [&] {
            return ListMismatch("GetCameraListByIndexCodes", got, expected) + ", not found \"" +
                   notFound + "\", expected \"" + unknown + ",\"";
        });
    }
}

void Session::QueryPrivileges(const std::vector<std::size_t>& sample) {
    OpStats& byId = m_ops["CheckCameraPrivilegeByID"];
    OpStats& byCode = m_ops["CheckCameraPrivilegeByIndexCode"];
    CheckStats& check = m_checks["camera privileges"];
    std::size_t turn = 0;
    for (std::size_t position : sample) {
        const SiteCamera& camera = m_site.cameras[position];
        const int type =
            kPrivilegeTypes[turn++ % (sizeof kPrivilegeTypes / sizeof kPrivilegeTypes[0])];
        const bool expected = PrivilegeAllowed(camera.privilege, type);
        bool allowed = !expected;
        bool opened = Timed(
            byId, [&] { return m_vellum.CheckCameraPrivilegeByID(type, camera.id, &allowed); });
        check.Expect(opened && allowed == expected, [&] {
            return "CheckCameraPrivilegeByID(" + std::to_string(type) + ", " +
                   std::to_string(camera.id) + ") on \"" + camera.privilege +
                   "\": " + (allowed ? "allowed" : "refused");
        });
        allowed = !expected;
        opened = Timed(byCode, [&] {
            return m_vellum.CheckCameraPrivilegeByIndexCode(type, camera.indexCode.c_str(),
                                                            &allowed);
        });
        check.Expect(opened && allowed == expected, [&] {
            return "CheckCameraPrivilegeByIndexCode(" + std::to_string(type) + ", " +
                   camera.indexCode + ") on \"" + camera.privilege +
                   "\": " + (allowed ? "allowed" : "refused");
        });
    }
}
