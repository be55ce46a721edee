// ValidateSite: identifiers, references, the shape of the cell tree and text widths.
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "site.h"

namespace {

// Thrown inside this file only, to stop at the first fault with its place.
struct Fault {
    std::string message;
};

std::string Place(const char* array, std::size_t index) {
    return std::string(array) + "[" + std::to_string(index) + "]";
}

std::string Place(const std::string& parent, const char* array, std::size_t index) {
    return parent + "." + Place(array, index);
}

[[noreturn]] void Fail(const std::string& place, const char* field, const std::string& what) {
    throw Fault{place + "." + field + ": " + what};
}

void CheckText(const std::string& place, const char* field, const std::string& text,
               std::size_t limit, bool required = false) {
    if (required && text.empty()) Fail(place, field, "must not be empty");
    if (text.size() > limit)
        Fail(place, field,
             std::to_string(text.size()) + " bytes, longer than the " + std::to_string(limit) +
                 " the record holds");
    if (std::memchr(text.data(), '\0', text.size()) != nullptr)
        Fail(place, field, "holds a NUL character");
}

void CheckId(const std::string& place, const char* field, int32_t id) {
    if (id <= 0) Fail(place, field, "must be a positive integer, not " + std::to_string(id));
}

// Records `id` as used by `place`; a second use fails naming the first.
void ClaimId(std::unordered_map<int32_t, std::string>& used, const std::string& place,
             const char* field, int32_t id, const char* scope) {
    CheckId(place, field, id);
    auto inserted = used.emplace(id, place);
    if (!inserted.second)
        Fail(place, field,
             "id " + std::to_string(id) + " is used by " + inserted.first->second + " too" + scope);
}

class Validator {
public:
    explicit Validator(const Site& site) : m_site(site) {}

    void Run() {
        CheckCells();
        CheckCellTree();
        CheckDevices();
        CheckCameras();
        CheckIoChannels();
        CheckTalkChannels();
        CheckStoreFolders();
        CheckViews();
        CheckCrowdFolders();
    }

private:
    const SiteCell* FindCell(int32_t id) const {
        auto found = m_cellById.find(id);
        return found == m_cellById.end() ? nullptr : &m_site.cells[found->second];
    }

    void CheckCells() {
        std::unordered_map<int32_t, std::string> ids;
        std::unordered_map<std::string, std::size_t> codes;
        bool rooted = false;
        for (std::size_t i = 0; i < m_site.cells.size(); ++i) {
            const SiteCell& cell = m_site.cells[i];
            const std::string place = Place("cells", i);
            ClaimId(ids, place, "id", cell.id,
                    " (cell ids are unique across both types: statistics are keyed by id)");
            m_cellById.emplace(cell.id, i);
            if (cell.type != 1 && cell.type != 2)
                Fail(place, "type", "must be 1 or 2, not " + std::to_string(cell.type));
            CheckText(place, "indexCode", cell.indexCode, field_limit::kIndexCode, true);
            CheckText(place, "name", cell.name, field_limit::kCellName);
            auto code = codes.emplace(cell.indexCode, i);
            if (!code.second)
                Fail(place, "indexCode",
                     "\"" + cell.indexCode + "\" is used by " + Place("cells", code.first->second) +
                         " too (the module keeps one cell per index code)");
            if (cell.parentId < 0)
                Fail(place, "parentId",
                     "must be 0 or a cell id, not " + std::to_string(cell.parentId));
            if (cell.type == 1 && cell.parentId == 0) rooted = true;
        }
        if (!m_site.cells.empty() && !rooted)
            throw Fault{"cells: no type-1 cell with parentId 0, so the tree has no root"};
    }

    void CheckCellTree() {
        for (std::size_t i = 0; i < m_site.cells.size(); ++i) {
            const SiteCell& cell = m_site.cells[i];
            const std::string place = Place("cells", i);
            const bool topLevelType2 = cell.type == 2 && cell.parentId == 0;
            if (topLevelType2) {
                const SiteCell* owner = FindCell(cell.ownerId);
                if (owner == nullptr || owner->type != 1)
                    Fail(place, "ownerId",
                         "no type-1 cell with id " + std::to_string(cell.ownerId) +
                             " (a type-2 cell with parentId 0 stands under its owner)");
            } else if (cell.ownerId != 0) {
                Fail(place, "ownerId",
                     "must be 0 except for a type-2 cell with parentId 0, not " +
                         std::to_string(cell.ownerId));
            }
            if (cell.parentId != 0) {
                const SiteCell* parent = FindCell(cell.parentId);
                if (parent == nullptr || parent->type != cell.type)
                    Fail(place, "parentId",
                         "no type-" + std::to_string(cell.type) + " cell with id " +
                             std::to_string(cell.parentId));
            }
        }
        // Every chain of parents must end: 0 unvisited, 1 on the current walk, 2 ends.
        std::vector<char> state(m_site.cells.size(), 0);
        std::vector<std::size_t> walk;
        for (std::size_t start = 0; start < m_site.cells.size(); ++start) {
            walk.clear();
            std::size_t at = start;
            while (state[at] == 0) {
                state[at] = 1;
                walk.push_back(at);
                const SiteCell& cell = m_site.cells[at];
                if (cell.parentId == 0) break;
                at = m_cellById.at(cell.parentId);
            }
            if (state[at] == 1 && m_site.cells[at].parentId != 0)
                Fail(Place("cells", at), "parentId",
                     "the parent links of cell " + std::to_string(m_site.cells[at].id) +
                         " form a cycle");
            for (std::size_t done : walk) state[done] = 2;
        }
    }

    void CheckDevices() {
        std::unordered_map<int32_t, std::string> ids;
        for (std::size_t i = 0; i < m_site.devices.size(); ++i) {
            const SiteDevice& device = m_site.devices[i];
            const std::string place = Place("devices", i);
            ClaimId(ids, place, "id", device.id, "");
            CheckText(place, "indexCode", device.indexCode, field_limit::kIndexCode, true);
            CheckText(place, "name", device.name, field_limit::kName);
            CheckText(place, "ip", device.ip, field_limit::kIp);
            CheckText(place, "userName", device.userName, field_limit::kUserName);
            CheckText(place, "password", device.password, field_limit::kPassword);
            m_deviceIds.insert(device.id);
        }
    }

    void CheckChannelHome(const std::string& place, int32_t device, int32_t cell) const {
        if (m_deviceIds.count(device) == 0)
            Fail(place, "device", "no device with id " + std::to_string(device));
        const SiteCell* home = FindCell(cell);
        if (home == nullptr || home->type != 2)
            Fail(place, "cell", "no type-2 cell with id " + std::to_string(cell));
    }

    void CheckCameras() {
        std::unordered_map<int32_t, std::string> ids;
        std::unordered_map<std::string, std::size_t> codes;
        for (std::size_t i = 0; i < m_site.cameras.size(); ++i) {
            const SiteCamera& camera = m_site.cameras[i];
            const std::string place = Place("cameras", i);
            ClaimId(ids, place, "id", camera.id, "");
            CheckChannelHome(place, camera.device, camera.cell);
            CheckText(place, "indexCode", camera.indexCode, field_limit::kIndexCode, true);
            if (camera.indexCode.find(',') != std::string::npos)
                Fail(place, "indexCode", "holds a comma, at which code lists are split");
            auto code = codes.emplace(camera.indexCode, i);
            if (!code.second)
                Fail(place, "indexCode",
                     "\"" + camera.indexCode + "\" is used by " +
                         Place("cameras", code.first->second) + " too");
            CheckText(place, "name", camera.name, field_limit::kName);
            CheckText(place, "privilege", camera.privilege, field_limit::kPrivilege);
            CheckText(place, "recordLocation", camera.recordLocation, field_limit::kRecordLocation);
            CheckText(place, "transPath", camera.transPath, field_limit::kTransPath);
            m_cameraIds.insert(camera.id);
        }
    }

    void CheckIoChannels() {
        std::unordered_map<int32_t, std::string> ids;
        for (std::size_t i = 0; i < m_site.ioChannels.size(); ++i) {
            const SiteIoChannel& io = m_site.ioChannels[i];
            const std::string place = Place("ioChannels", i);
            ClaimId(ids, place, "id", io.id, "");
            CheckChannelHome(place, io.device, io.cell);
            CheckText(place, "indexCode", io.indexCode, field_limit::kIndexCode, true);
            CheckText(place, "name", io.name, field_limit::kName);
        }
    }

    void CheckTalkChannels() {
        std::unordered_map<int32_t, std::string> ids;
        for (std::size_t i = 0; i < m_site.talkChannels.size(); ++i) {
            const SiteTalkChannel& talk = m_site.talkChannels[i];
            const std::string place = Place("talkChannels", i);
            ClaimId(ids, place, "id", talk.id, "");
            CheckChannelHome(place, talk.device, talk.cell);
            CheckText(place, "indexCode", talk.indexCode, field_limit::kIndexCode, true);
            CheckText(place, "name", talk.name, field_limit::kName);
        }
    }

    void CheckStoreFolders() {
        std::unordered_map<int32_t, std::string> ids;
        for (std::size_t i = 0; i < m_site.storeFolders.size(); ++i)
            ClaimId(ids, Place("storeFolders", i), "id", m_site.storeFolders[i].id, "");
        for (std::size_t i = 0; i < m_site.storeFolders.size(); ++i) {
            const SiteStoreFolder& folder = m_site.storeFolders[i];
            const std::string place = Place("storeFolders", i);
            if (folder.parentId != 0 && ids.count(folder.parentId) == 0)
                Fail(place, "parentId",
                     "no store folder with id " + std::to_string(folder.parentId));
            CheckText(place, "name", folder.name, field_limit::kName);
            std::unordered_map<std::string, std::size_t> codes;
            for (std::size_t r = 0; r < folder.resources.size(); ++r) {
                const SiteStoreResource& resource = folder.resources[r];
                const std::string resPlace = Place(place, "resources", r);
                CheckText(resPlace, "indexCode", resource.indexCode,
                          field_limit::kStoreResIndexCode, true);
                auto code = codes.emplace(resource.indexCode, r);
                if (!code.second)
                    Fail(resPlace, "indexCode",
                         "\"" + resource.indexCode + "\" is used by " +
                             Place(place, "resources", code.first->second) +
                             " too (a folder keeps one resource per index code)");
            }
        }
    }

    void CheckViews() {
        std::unordered_map<int32_t, std::string> viewIds;
        std::unordered_map<int32_t, std::string> nodeIds;
        for (std::size_t v = 0; v < m_site.views.size(); ++v) {
            const SiteView& view = m_site.views[v];
            const std::string place = Place("customViews", v);
            ClaimId(viewIds, place, "id", view.id, "");
            CheckText(place, "name", view.name, field_limit::kName);
            for (std::size_t n = 0; n < view.nodes.size(); ++n) {
                const SiteViewNode& node = view.nodes[n];
                const std::string nodePlace = Place(place, "nodes", n);
                ClaimId(nodeIds, nodePlace, "id", node.id, " (node ids are unique across views)");
                CheckText(nodePlace, "name", node.name, field_limit::kName);
                for (std::size_t r = 0; r < node.resources.size(); ++r) {
                    const SiteViewResource& resource = node.resources[r];
                    const std::string resPlace = Place(nodePlace, "resources", r);
                    CheckId(resPlace, "id", resource.id);
                    if (m_cameraIds.count(resource.camera) == 0)
                        Fail(resPlace, "camera",
                             "no camera with id " + std::to_string(resource.camera));
                }
            }
        }
    }

    void CheckCrowdFolders() {
        std::unordered_map<int32_t, std::string> ids;
        for (std::size_t i = 0; i < m_site.crowdFolders.size(); ++i) {
            const SiteCrowdFolder& folder = m_site.crowdFolders[i];
            const std::string place = Place("crowdFolders", i);
            ClaimId(ids, place, "id", folder.id, "");
            CheckText(place, "name", folder.name, field_limit::kName);
            for (std::size_t r = 0; r < folder.resources.size(); ++r)
                CheckText(Place(place, "resources", r), "name", folder.resources[r].name,
                          field_limit::kName);
        }
    }

    const Site& m_site;
    std::unordered_map<int32_t, std::size_t> m_cellById;  // id -> index in m_site.cells
    std::unordered_set<int32_t> m_deviceIds;
    std::unordered_set<int32_t> m_cameraIds;
};

}  // namespace

bool ValidateSite(const Site& site, std::string& error) {
    try {
        Validator(site).Run();
    } catch (const Fault& fault) {
        error = fault.message;
        return false;
    }
    return true;
}
