// The session's queries of cells and of the device, IO and talk tables.
#include "host_records.h"
#include "session.h"
#include "session_support.h"

namespace {

std::string CellDifference(const CELL_INFO& r, const SiteCell& c) {
    if (r.id != c.id) return "id " + std::to_string(r.id);
    if (r.parentId != c.parentId) return "parentId " + std::to_string(r.parentId);
    if (r.cellType != c.type) return "cellType " + std::to_string(r.cellType);
    if (r.ownerId != c.ownerId) return "ownerId " + std::to_string(r.ownerId);
    if (r.sortOrder != c.sortOrder) return "sortOrder " + std::to_string(r.sortOrder);
    if (FieldText(r.indexCode) != c.indexCode)
        return "indexCode \"" + FieldText(r.indexCode) + "\"";
    if (FieldText(r.name) != c.name) return "name \"" + FieldText(r.name) + "\"";
    if (r.next != nullptr) return "a non-null next";
    return "";
}

std::string DeviceDifference(const DEVICE_INFO& r, const SiteDevice& d) {
    if (r.ID != d.id) return "ID " + std::to_string(r.ID);
    if (FieldText(r.DEVNAME) != d.name) return "DEVNAME \"" + FieldText(r.DEVNAME) + "\"";
    if (FieldText(r.INDEXCODE) != d.indexCode)
        return "INDEXCODE \"" + FieldText(r.INDEXCODE) + "\"";
    if (FieldText(r.IP) != d.ip) return "IP \"" + FieldText(r.IP) + "\"";
    if (r.PORT != d.port) return "PORT " + std::to_string(r.PORT);
    if (FieldText(r.USERNAME) != d.userName) return "USERNAME \"" + FieldText(r.USERNAME) + "\"";
    if (FieldText(r.PASSWORD) != d.password) return "PASSWORD differs";
    if (r.DEVTYPE != d.type) return "DEVTYPE " + std::to_string(r.DEVTYPE);
    if (r.DOMAINID != d.domainId) return "DOMAINID " + std::to_string(r.DOMAINID);
    if (r.next != nullptr) return "a non-null next";
    return "";
}

std::string IoDifference(const IO_INFO& r, const SiteIoChannel& io) {
    if (r.ID != io.id) return "ID " + std::to_string(r.ID);
    if (r.DEVID != io.device) return "DEVID " + std::to_string(r.DEVID);
    if (r.CELLID != io.cell) return "CELLID " + std::to_string(r.CELLID);
    if (r.IOTYPE != io.ioType) return "IOTYPE " + std::to_string(r.IOTYPE);
    if (FieldText(r.INDEXCODE) != io.indexCode)
        return "INDEXCODE \"" + FieldText(r.INDEXCODE) + "\"";
    if (FieldText(r.IONAME) != io.name) return "IONAME \"" + FieldText(r.IONAME) + "\"";
    if (r.next != nullptr) return "a non-null next";
    return "";
}

std::string TalkDifference(const TALK_CHANNEL& r, const SiteTalkChannel& t) {
    if (r.ID != t.id) return "ID " + std::to_string(r.ID);
    if (r.CHANNELNO != t.channelNo) return "CHANNELNO " + std::to_string(r.CHANNELNO);
    if (r.DEVID != t.device) return "DEVID " + std::to_string(r.DEVID);
    if (r.CELLID != t.cell) return "CELLID " + std::to_string(r.CELLID);
    if (FieldText(r.INDEXCODE) != t.indexCode)
        return "INDEXCODE \"" + FieldText(r.INDEXCODE) + "\"";
    if (FieldText(r.TALKNAME) != t.name) return "TALKNAME \"" + FieldText(r.TALKNAME) + "\"";
    if (r.next != nullptr) return "a non-null next";
    return "";
}

// "call: not found" or "call: <difference>", for a look-up expected to find `expected`.
template <class Record, class Item, class Difference>
bool ExpectFound(CheckStats& check, const std::string& call, bool found, const Record& record,
                 const Item& expected, Difference difference) {
    const std::string different = found ? difference(record, expected) : "not found";
    return check.Expect(different.empty(), [&] { return call + ": " + different; });
}

}  // namespace

void Session::QueryCells() {
    OpStats& info = m_ops["GetCellInfo"];
    OpStats& level = m_ops["GetCellLevel"];
    OpStats& children = m_ops["GetChildCellList"];
    CheckStats& check = m_checks["cells: info, level, children"];
    m_progress.Begin("querying cells", m_site.cells.size());
    for (std::size_t i = 0; i < m_site.cells.size(); ++i) {
        const SiteCell& cell = m_site.cells[i];
        const std::string args =
            "(" + std::to_string(cell.id) + ", " + std::to_string(cell.type) + ")";

        MarkedRecord<CELL_INFO> record;
        const bool found =
            Timed(info, [&] { return m_vellum.GetCellInfo(&record.record, cell.id, cell.type); });
        info.records += found ? 1 : 0;
        ExpectFound(check, "GetCellInfo" + args, found, record.record, cell, CellDifference);

        const int got = Timed(level, [&] { return m_vellum.GetCellLevel(cell.id, cell.type); });
        check.Expect(got == m_index.Level(i), [&] {
            return "GetCellLevel" + args + ": " + std::to_string(got) + ", expected " +
                   std::to_string(m_index.Level(i));
        });

        std::vector<int32_t> expected;
        for (std::size_t child : m_index.Children(i)) expected.push_back(m_site.cells[child].id);
        HandedList<CELL_INFO> list(m_tables.FreeCellList);
        const bool any = Timed(
            children, [&] { return m_vellum.GetChildCellList(list.Out(), cell.id, cell.type); });
        const std::vector<int32_t> ids =
            ListValues(list.Head(), [](const CELL_INFO& r) { return r.id; });
        children.records += ids.size();
        check.Expect(any == !expected.empty() && ids == expected,
                     [&] { return ListMismatch("GetChildCellList" + args, ids, expected); });
        m_progress.Advance();
    }
    m_progress.End();
}

void Session::QueryChannels() {
    CheckStats& devices = m_checks["devices by id and index code"];
    OpStats& deviceById = m_ops["GetDeviceByID"];
    OpStats& deviceByCode = m_ops["GetDeviceByIndexCode"];
    const std::vector<std::size_t> deviceSample = Sample(m_site.devices.size(), kSample);
    m_progress.Begin("querying devices", deviceSample.size());
    for (std::size_t position : deviceSample) {
        const SiteDevice& device = m_site.devices[position];
        DEVICE_INFO record;
        bool found = Timed(deviceById, [&] { return m_vellum.GetDeviceByID(&record, device.id); });
        deviceById.records += found ? 1 : 0;
        ExpectFound(devices, "GetDeviceByID(" + std::to_string(device.id) + ")", found, record,
                    device, DeviceDifference);
        found = Timed(deviceByCode, [&] {
            return m_vellum.GetDeviceByIndexCode(&record, device.indexCode.c_str());
        });
        deviceByCode.records += found ? 1 : 0;
        ExpectFound(devices, "GetDeviceByIndexCode(" + device.indexCode + ")", found, record,
                    device, DeviceDifference);
        m_progress.Advance();
    }
    m_progress.End();

    // Per type-2 cell: its IO channels of type 0 and its talk channels, in ascending id.
    CheckStats& ioCheck = m_checks["IO channels (type 0 answered)"];
    CheckStats& talkCheck = m_checks["talk channels"];
    OpStats& ioList = m_ops["GetIOList"];
    OpStats& talkList = m_ops["GetTalkChannelList"];
    m_progress.Begin("listing IO and talk channels", m_site.cells.size());
    for (std::size_t i = 0; i < m_site.cells.size(); ++i) {
        m_progress.Advance();
        const SiteCell& cell = m_site.cells[i];
        if (cell.type != 2) continue;
        std::vector<int32_t> expected;
        for (std::size_t io : m_index.IoChannelsOf(i))
            if (m_site.ioChannels[io].ioType == 0) expected.push_back(m_site.ioChannels[io].id);
        HandedList<IO_INFO> ios(m_tables.FreeIOInfoList);
        const bool anyIo = Timed(ioList, [&] { return m_vellum.GetIOList(ios.Out(), cell.id); });
        std::vector<int32_t> ids = ListValues(ios.Head(), [](const IO_INFO& r) { return r.ID; });
        ioList.records += ids.size();
        ioCheck.Expect(anyIo == !expected.empty() && ids == expected, [&] {
            return ListMismatch("GetIOList(" + std::to_string(cell.id) + ")", ids, expected);
        });

        expected.clear();
        for (std::size_t talk : m_index.TalkChannelsOf(i))
            expected.push_back(m_site.talkChannels[talk].id);
        HandedList<TALK_CHANNEL> talks(m_tables.FreeTalkChannelList);
        const bool anyTalk =
            Timed(talkList, [&] { return m_vellum.GetTalkChannelList(talks.Out(), cell.id); });
        ids = ListValues(talks.Head(), [](const TALK_CHANNEL& r) { return r.ID; });
        talkList.records += ids.size();
        talkCheck.Expect(anyTalk == !expected.empty() && ids == expected, [&] {
            return ListMismatch("GetTalkChannelList(" + std::to_string(cell.id) + ")", ids,
                                expected);
        });
    }
    m_progress.End();

    // Single IO channels: found by id and by index code when of type 0, else not at all.
    OpStats& ioById = m_ops["GetIOByID"];
    OpStats& ioByCode = m_ops["GetIOByIndexCode"];
    for (std::size_t position : Sample(m_site.ioChannels.size(), kSample)) {
        const SiteIoChannel& io = m_site.ioChannels[position];
        MarkedRecord<IO_INFO> byId;
        MarkedRecord<IO_INFO> byCode;
        const bool foundById =
            Timed(ioById, [&] { return m_vellum.GetIOByID(&byId.record, io.id); });
        const bool foundByCode = Timed(ioByCode, [&] {
            return m_vellum.GetIOByIndexCode(&byCode.record, io.indexCode.c_str());
        });
        ioById.records += foundById ? 1 : 0;
        ioByCode.records += foundByCode ? 1 : 0;
        if (io.ioType == 0) {
            ExpectFound(ioCheck, "GetIOByID(" + std::to_string(io.id) + ")", foundById, byId.record,
                        io, IoDifference);
            ExpectFound(ioCheck, "GetIOByIndexCode(" + io.indexCode + ")", foundByCode,
                        byCode.record, io, IoDifference);
        } else {
            ioCheck.Expect(!foundById && byId.Untouched() && !foundByCode && byCode.Untouched(),
                           [&] {
                               return "IO channel " + std::to_string(io.id) + " of IOTYPE " +
                                      std::to_string(io.ioType) + " was answered";
                           });
        }
    }

    OpStats& talkById = m_ops["GetTalkChannelByID"];
    OpStats& talkByCode = m_ops["GetTalkChannelByIndexCode"];
    for (std::size_t position : Sample(m_site.talkChannels.size(), kSample)) {
        const SiteTalkChannel& talk = m_site.talkChannels[position];
        TALK_CHANNEL record;
        bool found = Timed(talkById, [&] { return m_vellum.GetTalkChannelByID(&record, talk.id); });
        talkById.records += found ? 1 : 0;
        ExpectFound(talkCheck, "GetTalkChannelByID(" + std::to_string(talk.id) + ")", found, record,
                    talk, TalkDifference);
        found = Timed(talkByCode, [&] {
            return m_vellum.GetTalkChannelByIndexCode(&record, talk.indexCode.c_str());
        });
        talkByCode.records += found ? 1 : 0;
        ExpectFound(talkCheck, "GetTalkChannelByIndexCode(" + talk.indexCode + ")", found, record,
                    talk, TalkDifference);
    }
}
