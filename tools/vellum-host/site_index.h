// What the module should answer about a site, worked out on the host's side: cell
// levels, child listings in their order, the cameras and channels of each cell, and
// camera counts rolled up the tree. The session checks the module's answers against it.
#ifndef VELLUM_TOOLS_HOST_SITE_INDEX_H
#define VELLUM_TOOLS_HOST_SITE_INDEX_H

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "site.h"

// Built once over a site that passed ValidateSite; keeps a reference to it, so the
// site must outlive the index and stay unchanged. Positions are indexes into the
// site's vectors. Unchanged after construction, so any thread may read it unlocked.
class SiteIndex {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    explicit SiteIndex(const Site& site);

    const Site& Data() const { return m_site; }

    std::size_t FindCell(int32_t id) const;    // kNone when absent
    std::size_t FindCamera(int32_t id) const;  // kNone when absent
    std::size_t FindDevice(int32_t id) const;  // kNone when absent

    // A root is at level 0; a top-level type-2 cell one level below its owner.
    int Level(std::size_t cell) const { return m_level[cell]; }
    int MaxLevel() const { return m_maxLevel; }
    // The cell whose counts include this cell's (its parent, or the owner of a top-level
    // type-2 cell); kNone for a root.
    std::size_t RollUpParent(std::size_t cell) const { return m_rollUpParent[cell]; }

    // The children that GetChildCellList lists, in its order: for a type-1 cell its
    // top-level type-2 cells, then its type-1 children; each group by (sortOrder, id).
    const std::vector<std::size_t>& Children(std::size_t cell) const { return m_children[cell]; }
    // Whether the cell is of type 2 and no type-2 cell stands under it.
    bool IsType2Leaf(std::size_t cell) const;

    // The cameras, IO and talk channels of a cell, in ascending id.
    const std::vector<std::size_t>& CamerasOf(std::size_t cell) const { return m_cameras[cell]; }
    const std::vector<std::size_t>& IoChannelsOf(std::size_t cell) const { return m_io[cell]; }
    const std::vector<std::size_t>& TalkChannelsOf(std::size_t cell) const { return m_talk[cell]; }

    struct Count {
        int64_t online = 0;
        int64_t total = 0;
        bool operator==(const Count& other) const {
            return online == other.online && total == other.total;
        }
    };
    // Per cell: its own cameras and those of every cell below it, counting a camera
    // online when online[camera position] is non-zero.
    std::vector<Count> CountCameras(const std::vector<char>& online) const;

private:
    using IdMap = std::vector<std::pair<int32_t, std::size_t>>;  // sorted by id
    static std::size_t Lookup(const IdMap& map, int32_t id);

    const Site& m_site;
    IdMap m_cellById;
    IdMap m_cameraById;
    IdMap m_deviceById;
    std::vector<int> m_level;
    int m_maxLevel = -1;
    std::vector<std::size_t> m_rollUpParent;
    std::vector<std::size_t> m_deepestFirst;  // cells by descending level
    std::vector<std::vector<std::size_t>> m_children;
    std::vector<std::vector<std::size_t>> m_cameras;
    std::vector<std::vector<std::size_t>> m_io;
    std::vector<std::vector<std::size_t>> m_talk;
};

#endif  // VELLUM_TOOLS_HOST_SITE_INDEX_H
