// GenerateSite: builds the cell tree level by level, spreads cameras over the type-2
// cells with uneven weights, groups them onto devices, and adds the other data.
#include "site_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "random.h"

namespace {

// Names in several scripts, so that every deposit carries non-ASCII text.
const std::vector<std::string> kRegionNames = {
    "北区 North",    "Südstadt", "Île-de-la-Cité", "Östra hamnen", "Westend",         "Podgórze",
    "São Cristóvão", "Ρόδος",    "Kadıköy",        "東区 East",    "Zürich Altstadt", "Ørestad"};
const std::vector<std::string> kDistrictWords = {
    "Marktplatz", "Hafen", "Gare", "Centro", "Šumava", "Ñuñoa", "Chūō 中央", "东城 Dongcheng"};
const std::vector<std::string> kSiteWords = {
    "School",  "Hôpital", "Bibliothèque", "Krankenhaus", "Metro 地铁站",
    "Stadion", "Rathaus", "Universität",  "Mall 商场",   "Depot"};
const std::vector<std::string> kAreaNames = {
    "Main entrance", "Parking P2",     "Lobby 大堂",  "停车场",
    "Treppenhaus",   "Entrée nord",    "Перрон",      "Warehouse",
    "Kassenbereich", "Ανατολική πύλη", "Server room", "Façade sud",
    "屋顶 Roof",     "Corridor",       "Aufzug",      "Quai"};
const std::vector<std::string> kIoNames = {"Alarm input", "Türkontakt", "门磁", "Détecteur"};
const std::vector<std::string> kIoOutputNames = {"Alarm output", "Sirène", "警笛"};
const std::vector<std::string> kTalkNames = {"Gegensprechanlage", "对讲", "Interphone"};
const std::vector<std::string> kFolderNames = {"Recordings 录像", "Archiv", "Évidence"};
const std::vector<std::string> kPersonNames = {"张伟",   "Müller", "Øyvind", "José",
                                               "Łukasz", "Chloé",  "Ólafur", "Ана"};
const std::vector<int32_t> kDeviceSizes = {1, 1, 4, 8, 8, 16, 32};

// The device types, by channel count: network camera, then the recorders.
int32_t DeviceType(int32_t channels) { return channels == 1 ? 0 : channels <= 8 ? 1 : 2; }

// Index codes are 20 digits: an area prefix, a two-digit kind, the id.
std::string Code(int kind, int32_t id) {
    char code[32];
    std::snprintf(code, sizeof code, "3301%02d%014d", kind, static_cast<int>(id));
    return code;
}

std::string Numbered(const std::string& word, long number) {
    return word + " " + std::to_string(number);
}

class Generator {
public:
    explicit Generator(const GeneratorParams& params) : m_params(params), m_random(params.seed) {}

    Site Run() {
        if (m_params.progress != nullptr)
            m_params.progress->Begin("generating the site",
                                     static_cast<uint64_t>(m_params.cameras));
        MakeType1Tree();
        MakeType2Cells();
        MakeCamerasAndDevices();
        MakeStoreFolders();
        MakeViews();
        MakeCrowdFolders();
        if (m_params.progress != nullptr) m_params.progress->End();
        return std::move(m_site);
    }

private:
    SiteCell& AddCell(int32_t type, int32_t parentId, int32_t ownerId, std::string name) {
        SiteCell cell;
        cell.id = static_cast<int32_t>(m_site.cells.size()) + 1;
        cell.type = type;
        cell.parentId = parentId;
        cell.ownerId = ownerId;
        cell.sortOrder = m_random.Between(0, 9);  // ties happen: then the id decides
        cell.indexCode = Code(type == 1 ? 10 : 20, cell.id);
        cell.name = std::move(name);
        m_site.cells.push_back(std::move(cell));
        return m_site.cells.back();
    }

    // Centre, regions, districts and sites: about a fifth of the cells, at least four.
    void MakeType1Tree() {
        const int32_t total = m_params.cells;
        const int32_t type1 =
            std::clamp(static_cast<int32_t>(std::lround(total * 0.2)), 4, total - 1);
        const int32_t below = type1 - 1;
        int32_t regions = std::max<int32_t>(1, static_cast<int32_t>(std::lround(std::cbrt(below))));
        while (regions > 1 && regions + regions * regions >= below) --regions;
        const int32_t districtsPerRegion = regions;
        const int32_t sites = below - regions - regions * districtsPerRegion;

        const int32_t centre = AddCell(1, 0, 0, "Centre 市中心").id;
        std::vector<int32_t> districts;
        for (int32_t r = 0; r < regions; ++r) {
            const std::string& word =
                kRegionNames[static_cast<std::size_t>(r) % kRegionNames.size()];
            const int32_t region =
                AddCell(
                    1, centre, 0,
                    r < static_cast<int32_t>(kRegionNames.size()) ? word : Numbered(word, r + 1))
                    .id;
            for (int32_t d = 0; d < districtsPerRegion; ++d)
                districts.push_back(AddCell(1, region, 0,
                                            "District " + std::to_string(districts.size() + 1) +
                                                " – " + m_random.Pick(kDistrictWords))
                                        .id);
        }
        std::vector<int> hasSite(districts.size(), 0);
        for (int32_t s = 0; s < sites; ++s) {
            // One site for each district first, the rest where they fall.
            const std::size_t d = static_cast<std::size_t>(s) < districts.size()
                                      ? static_cast<std::size_t>(s)
                                      : m_random.Below(districts.size());
            hasSite[d] = 1;
            m_type1Leaves.push_back(
                AddCell(1, districts[d], 0,
                        Numbered("Site", s + 1) + " " + m_random.Pick(kSiteWords))
                    .id);
        }
        for (std::size_t d = 0; d < districts.size(); ++d)
            if (!hasSite[d]) m_type1Leaves.push_back(districts[d]);
    }

    // Areas under the type-1 leaves; some nested up to three type-2 levels.
    void MakeType2Cells() {
        const int32_t type2 = m_params.cells - static_cast<int32_t>(m_site.cells.size());
        std::vector<std::pair<int32_t, int>> nestable;  // (id, type-2 depth) of type-2 cells
        auto areaName = [&] {
            const std::string& word = m_random.Pick(kAreaNames);  // draws in a fixed order
            return Numbered(word, static_cast<long>(m_random.Between(1, 99)));
        };
        for (int32_t n = 0; n < type2; ++n) {
            const bool firstRound = static_cast<std::size_t>(n) < m_type1Leaves.size();
            if (!firstRound && !nestable.empty() && m_random.Chance(0.4)) {
                const auto& parent = nestable[m_random.Below(nestable.size())];
                const int depth = parent.second + 1;
                const int32_t id = AddCell(2, parent.first, 0, areaName()).id;
                m_type2Cells.push_back(id);
                if (depth < 3) nestable.emplace_back(id, depth);
                continue;
            }
            const int32_t owner = firstRound ? m_type1Leaves[static_cast<std::size_t>(n)]
                                             : m_random.Pick(m_type1Leaves);
            const int32_t id = AddCell(2, 0, owner, areaName()).id;
            m_type2Cells.push_back(id);
            nestable.emplace_back(id, 1);
        }
    }

    // Camera counts per type-2 cell from uneven weights (largest remainders settle the
    // rounding); each cell's cameras are grouped onto devices of 1 to 32 channels.
    void MakeCamerasAndDevices() {
        const std::size_t cellCount = m_type2Cells.size();
        std::vector<double> weight(cellCount);
        double sum = 0;
        for (double& w : weight) sum += (w = 0.2 + 4 * m_random.Unit() * m_random.Unit());
        std::vector<int32_t> count(cellCount);
        std::vector<std::pair<double, std::size_t>> remainder(cellCount);
        int64_t given = 0;
        for (std::size_t c = 0; c < cellCount; ++c) {
            const double exact = m_params.cameras * weight[c] / sum;
            count[c] = static_cast<int32_t>(exact);
            given += count[c];
            remainder[c] = {exact - count[c], c};
        }
        std::sort(remainder.begin(), remainder.end(),
                  [](const auto& a, const auto& b) { return a.first > b.first; });
        for (int64_t left = m_params.cameras - given, i = 0; left > 0; --left, ++i)
            ++count[remainder[static_cast<std::size_t>(i)].second];

        for (std::size_t c = 0; c < cellCount; ++c) {
            const SiteCell& cell = m_site.cells[static_cast<std::size_t>(m_type2Cells[c]) - 1];
            for (int32_t placed = 0; placed < count[c];) {
                const int32_t channels = std::min(m_random.Pick(kDeviceSizes), count[c] - placed);
                const SiteDevice& device = AddDevice(cell, channels);
                for (int32_t channel = 1; channel <= channels; ++channel)
                    AddCamera(cell, device, channel, count[c]);
                AddIoChannels(cell, device, channels);
                if (channels >= 4 || m_random.Chance(0.2)) AddTalkChannel(cell, device);
                placed += channels;
            }
        }
    }

    const SiteDevice& AddDevice(const SiteCell& cell, int32_t channels) {
        SiteDevice device;
        device.id = static_cast<int32_t>(m_site.devices.size()) + 1;
        device.indexCode = Code(11, device.id);
        char name[64];
        std::snprintf(name, sizeof name, "%s-%05d ", channels == 1 ? "IPC" : "NVR",
                      static_cast<int>(device.id));
        device.name = name + cell.name;
        device.ip = "10." + std::to_string(device.id >> 16 & 255) + "." +
                    std::to_string(device.id >> 8 & 255) + "." + std::to_string(device.id & 255);
        device.port = 8000;
        device.userName = "admin";
        char password[32];
        std::snprintf(password, sizeof password, "Vellum#%04x",
                      static_cast<unsigned>(m_random.Below(0x10000)));
        device.password = password;
        device.type = DeviceType(channels);
        device.domainId = static_cast<int32_t>(m_random.Below(4)) + 1;
        m_site.devices.push_back(std::move(device));
        return m_site.devices.back();
    }

    void AddCamera(const SiteCell& cell, const SiteDevice& device, int32_t channel,
                   int32_t camerasInCell) {
        SiteCamera camera;
        camera.id = static_cast<int32_t>(m_site.cameras.size()) + 1;
        camera.device = device.id;
        camera.cell = cell.id;
        camera.channelNo = channel;
        camera.type = static_cast<int32_t>(m_random.Below(3));
        camera.matrixCode = 10000 + camera.id;
        camera.seqIndex =
            static_cast<int32_t>(m_random.Below(static_cast<std::size_t>(camerasInCell)));
        camera.online = m_random.Chance(0.9);
        camera.indexCode = Code(31, camera.id);
        char number[16];
        std::snprintf(number, sizeof number, "%02d", static_cast<int>(channel));
        camera.name = cell.name + " · Cam " + number;
        camera.privilege = Privileges();
        camera.recordLocation = device.name.substr(0, 9) + "/HDD" + std::to_string(channel % 4 + 1);
        camera.transPath =
            "rtsp://" + device.ip + ":554/Streaming/Channels/" + std::to_string(channel) + "01";
        m_site.cameras.push_back(std::move(camera));
        if (m_params.progress != nullptr) m_params.progress->Advance();
    }

    // Privilege codes 1 to 6 as a comma-separated subset; now and then "0", which grants all.
    std::string Privileges() {
        if (m_random.Chance(0.03)) return "0";
        std::string codes;
        for (int code = 1; code <= 6; ++code)
            if (m_random.Chance(0.5)) codes += (codes.empty() ? "" : ",") + std::to_string(code);
        return codes.empty() ? "1" : codes;
    }

    // About one alarm channel for four cameras; three in ten are outputs (IOTYPE 1 or 2),
    // which the module stores but never answers.
    void AddIoChannels(const SiteCell& cell, const SiteDevice& device, int32_t channels) {
        const int32_t count = channels / 4 + (m_random.Chance(0.3) ? 1 : 0);
        for (int32_t n = 1; n <= count; ++n) {
            SiteIoChannel io;
            io.id = static_cast<int32_t>(m_site.ioChannels.size()) + 1;
            io.device = device.id;
            io.cell = cell.id;
            io.ioType = m_random.Chance(0.7) ? 0 : m_random.Between(1, 2);
            io.indexCode = Code(21, io.id);
            io.name = Numbered(
                io.ioType == 0 ? m_random.Pick(kIoNames) : m_random.Pick(kIoOutputNames), n);
            m_site.ioChannels.push_back(std::move(io));
        }
    }

    void AddTalkChannel(const SiteCell& cell, const SiteDevice& device) {
        SiteTalkChannel talk;
        talk.id = static_cast<int32_t>(m_site.talkChannels.size()) + 1;
        talk.device = device.id;
        talk.cell = cell.id;
        talk.channelNo = 1;
        talk.indexCode = Code(41, talk.id);
        talk.name = m_random.Pick(kTalkNames) + " – " + cell.name;
        m_site.talkChannels.push_back(std::move(talk));
    }

    // Three root folders and a random tree below them; about one resource (a camera's
    // recordings) for five cameras, some cameras filed in two folders.
    void MakeStoreFolders() {
        const int32_t folders = std::max(3, m_params.cells / 20);
        for (int32_t n = 0; n < folders; ++n) {
            SiteStoreFolder folder;
            folder.id = n + 1;
            folder.parentId =
                n < 3 ? 0 : static_cast<int32_t>(m_random.Below(static_cast<std::size_t>(n))) + 1;
            folder.sortIndex = m_random.Between(0, 4);
            folder.name =
                Numbered(kFolderNames[static_cast<std::size_t>(n) % kFolderNames.size()], n + 1);
            m_site.storeFolders.push_back(std::move(folder));
        }
        if (m_site.cameras.empty()) return;
        std::set<std::pair<std::size_t, int32_t>> filed;  // (folder, camera id)
        int32_t nextId = 1;
        for (std::size_t n = 0, wanted = m_site.cameras.size() / 5 + 1; n < wanted; ++n) {
            const std::size_t folder = m_random.Below(m_site.storeFolders.size());
            const SiteCamera& camera = m_random.Pick(m_site.cameras);
            if (!filed.emplace(folder, camera.id).second) continue;
            SiteStoreResource resource;
            resource.id = nextId++;
            resource.resType = 1;
            resource.resId = camera.id;
            resource.sortIndex = m_random.Between(0, 9);
            resource.indexCode = camera.indexCode;
            m_site.storeFolders[folder].resources.push_back(std::move(resource));
        }
    }

    void MakeViews() {
        const int32_t views = std::max(2, m_params.cells / 200);
        int32_t nodeId = 1;
        int32_t resourceId = 1;
        for (int32_t v = 1; v <= views; ++v) {
            SiteView view;
            view.id = v;
            view.name = "View " + std::to_string(v) + " – Überblick 总览";
            const int32_t nodes = m_random.Between(3, 10);
            for (int32_t n = 0; n < nodes; ++n) {
                SiteViewNode node;
                node.id = nodeId++;
                node.sortIndex = m_random.Between(0, 20);
                node.name = Numbered(m_random.Pick(kAreaNames), node.id);
                if (!m_site.cameras.empty())
                    for (int32_t r = m_random.Between(1, 12); r > 0; --r)
                        node.resources.push_back({resourceId++, m_random.Pick(m_site.cameras).id});
                view.nodes.push_back(std::move(node));
            }
            m_site.views.push_back(std::move(view));
        }
    }

    // Crowd folders of people (type 1) and vehicles (type 2); one resource may be filed
    // in several folders, never twice in one.
    void MakeCrowdFolders() {
        const int32_t folders = std::max(2, m_params.cells / 500);
        const int32_t pool = folders * 10;
        for (int32_t f = 1; f <= folders; ++f) {
            SiteCrowdFolder folder;
            folder.id = f;
            folder.name = "Crowd " + std::to_string(f) + " – " + m_random.Pick(kPersonNames);
            std::set<int32_t> taken;
            for (int32_t r = m_random.Between(5, 40); r > 0; --r) {
                const int32_t resId = m_random.Between(1, pool);
                if (!taken.insert(resId).second) continue;
                folder.resources.push_back(
                    {resId, resId % 5 == 0 ? 2 : 1, Numbered(m_random.Pick(kPersonNames), resId)});
            }
            m_site.crowdFolders.push_back(std::move(folder));
        }
    }

    const GeneratorParams m_params;
    Random m_random;
    Site m_site;
    std::vector<int32_t> m_type1Leaves;  // type-1 cells without type-1 children
    std::vector<int32_t> m_type2Cells;
};

}  // namespace

const std::vector<SiteSize>& SizePresets() {
    static const std::vector<SiteSize> presets = {
        {"small", 2000, 200},
        {"site", 100000, 10000},
        {"city", 1000000, 100000},
    };
    return presets;
}

Site GenerateSite(const GeneratorParams& params) { return Generator(params).Run(); }
