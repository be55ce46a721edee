// The site vellum-host deposits into the module: the organisation's cells, its devices
// and channels, storage folders, custom views and crowd data, held as plain values.
// Texts are UTF-8, which is the host code page of this tool (it runs in the C locale,
// which the module reads as UTF-8). A site is generated (site_generator.h) or loaded
// from JSON (site_json.h); ValidateSite states what every deposited site satisfies.
#ifndef VELLUM_TOOLS_HOST_SITE_H
#define VELLUM_TOOLS_HOST_SITE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Longest text, in bytes, that each host record field holds (its width less the NUL).
namespace field_limit {
constexpr std::size_t kIndexCode = 63;
constexpr std::size_t kCellName = 131;
constexpr std::size_t kName = 259;  // camera, device, channel, folder, view and crowd names
constexpr std::size_t kPrivilege = 63;
constexpr std::size_t kRecordLocation = 127;
constexpr std::size_t kTransPath = 127;
constexpr std::size_t kIp = 63;
constexpr std::size_t kUserName = 129;
constexpr std::size_t kPassword = 255;
constexpr std::size_t kStoreResIndexCode = 323;
}  // namespace field_limit

// Type 1 cells form the main tree through parentId; type 2 cells hang below them: with
// parentId 0 directly under the type-1 cell ownerId, else under the type-2 cell parentId.
struct SiteCell {
    int32_t id = 0;
    int32_t type = 1;
    int32_t parentId = 0;
    int32_t ownerId = 0;  // only for a type-2 cell with parentId 0
    int32_t sortOrder = 0;
    std::string indexCode;
    std::string name;
};

struct SiteDevice {
    int32_t id = 0;
    std::string indexCode;
    std::string name;
    std::string ip;
    int32_t port = 0;
    std::string userName;
    std::string password;
    int32_t type = 0;
    int32_t domainId = 0;
};

// A camera stands in a type-2 cell and is carried by a device.
struct SiteCamera {
    int32_t id = 0;
    int32_t device = 0;
    int32_t cell = 0;
    int32_t channelNo = 0;
    int32_t type = 0;
    int32_t matrixCode = 0;
    int32_t seqIndex = 0;
    bool online = false;
    std::string indexCode;
    std::string name;
    std::string privilege;
    std::string recordLocation;
    std::string transPath;
};

struct SiteIoChannel {
    int32_t id = 0;
    int32_t device = 0;
    int32_t cell = 0;
    int32_t ioType = 0;  // the module answers only type 0
    std::string indexCode;
    std::string name;
};

struct SiteTalkChannel {
    int32_t id = 0;
    int32_t device = 0;
    int32_t cell = 0;
    int32_t channelNo = 0;
    std::string indexCode;
    std::string name;
};

struct SiteStoreResource {
    int32_t id = 0;
    int32_t resType = 0;
    int32_t resId = 0;
    int32_t sortIndex = 0;
    std::string indexCode;
};

struct SiteStoreFolder {
    int32_t id = 0;
    int32_t parentId = 0;
    int32_t sortIndex = 0;
    std::string name;
    std::vector<SiteStoreResource> resources;
};

// A resource of a custom-view node names a camera of the site.
struct SiteViewResource {
    int32_t id = 0;
    int32_t camera = 0;
};

struct SiteViewNode {
    int32_t id = 0;
    int32_t sortIndex = 0;
    std::string name;
    std::vector<SiteViewResource> resources;
};

struct SiteView {
    int32_t id = 0;
    std::string name;
    std::vector<SiteViewNode> nodes;
};

struct SiteCrowdResource {
    int32_t resId = 0;
    int32_t resType = 0;
    std::string name;
};

struct SiteCrowdFolder {
    int32_t id = 0;
    std::string name;
    std::vector<SiteCrowdResource> resources;
};

struct Site {
    std::vector<SiteCell> cells;
    std::vector<SiteDevice> devices;
    std::vector<SiteCamera> cameras;
    std::vector<SiteIoChannel> ioChannels;
    std::vector<SiteTalkChannel> talkChannels;
    std::vector<SiteStoreFolder> storeFolders;
    std::vector<SiteView> views;
    std::vector<SiteCrowdFolder> crowdFolders;
};

// Checks what the session relies on, beyond the JSON types the reader checks: every text
// fits its record field and holds no NUL; identifiers are positive and unique (cell ids
// across both types, since the statistics are keyed by id alone); cell and camera index
// codes are unique and camera codes hold no comma; every reference resolves (cameras, IO
// and talk channels stand in type-2 cells and on devices; view resources name cameras);
// the cell tree has a root and no cycle. On the first fault returns false with `error`
// naming its place, e.g. "cameras[12].cell: no type-2 cell with id 99".
bool ValidateSite(const Site& site, std::string& error);

#endif  // VELLUM_TOOLS_HOST_SITE_H
