// SiteIndex: levels, child listings, per-cell channels and rolled-up camera counts.
#include "site_index.h"

#include <algorithm>

namespace {

template <class Item>
std::vector<std::pair<int32_t, std::size_t>> MapIds(const std::vector<Item>& items) {
    std::vector<std::pair<int32_t, std::size_t>> map;
    map.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) map.emplace_back(items[i].id, i);
    std::sort(map.begin(), map.end());
    return map;
}

}  // namespace

std::size_t SiteIndex::Lookup(const IdMap& map, int32_t id) {
    auto found = std::lower_bound(map.begin(), map.end(), std::make_pair(id, std::size_t{0}));
    return found != map.end() && found->first == id ? found->second : kNone;
}

std::size_t SiteIndex::FindCell(int32_t id) const { return Lookup(m_cellById, id); }
std::size_t SiteIndex::FindCamera(int32_t id) const { return Lookup(m_cameraById, id); }
std::size_t SiteIndex::FindDevice(int32_t id) const { return Lookup(m_deviceById, id); }

SiteIndex::SiteIndex(const Site& site)
    : m_site(site),
      m_cellById(MapIds(site.cells)),
      m_cameraById(MapIds(site.cameras)),
      m_deviceById(MapIds(site.devices)) {
    const std::size_t cellCount = site.cells.size();
    m_rollUpParent.assign(cellCount, kNone);
    for (std::size_t i = 0; i < cellCount; ++i) {
        const SiteCell& cell = site.cells[i];
        if (cell.parentId != 0)
            m_rollUpParent[i] = FindCell(cell.parentId);
        else if (cell.type == 2)
            m_rollUpParent[i] = FindCell(cell.ownerId);
    }

    // Levels along the roll-up chain, each chain walked once (the tree has no cycle).
    m_level.assign(cellCount, -1);
    std::vector<std::size_t> chain;
    for (std::size_t i = 0; i < cellCount; ++i) {
        chain.clear();
        std::size_t at = i;
        while (at != kNone && m_level[at] < 0) {
            chain.push_back(at);
            at = m_rollUpParent[at];
        }
        int level = at == kNone ? -1 : m_level[at];
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) m_level[*it] = ++level;
    }
    for (int level : m_level) m_maxLevel = std::max(m_maxLevel, level);
    m_deepestFirst.resize(cellCount);
    for (std::size_t i = 0; i < cellCount; ++i) m_deepestFirst[i] = i;
    std::stable_sort(m_deepestFirst.begin(), m_deepestFirst.end(),
                     [&](std::size_t a, std::size_t b) { return m_level[a] > m_level[b]; });

    // Child groups: top-level type-2 cells of an owner come before its type-1 children.
    m_children.assign(cellCount, {});
    std::vector<std::vector<std::size_t>> mainChildren(cellCount);
    for (std::size_t i = 0; i < cellCount; ++i) {
        const SiteCell& cell = site.cells[i];
        if (m_rollUpParent[i] == kNone) continue;
        if (cell.type == 1)
            mainChildren[m_rollUpParent[i]].push_back(i);
        else
            m_children[m_rollUpParent[i]].push_back(i);
    }
    auto siblingOrder = [&](std::size_t a, std::size_t b) {
        const SiteCell& x = site.cells[a];
        const SiteCell& y = site.cells[b];
        return x.sortOrder != y.sortOrder ? x.sortOrder < y.sortOrder : x.id < y.id;
    };
    for (std::size_t i = 0; i < cellCount; ++i) {
        std::sort(m_children[i].begin(), m_children[i].end(), siblingOrder);
        std::sort(mainChildren[i].begin(), mainChildren[i].end(), siblingOrder);
        m_children[i].insert(m_children[i].end(), mainChildren[i].begin(), mainChildren[i].end());
    }

    auto byCell = [&](const auto& items) {
        std::vector<std::vector<std::size_t>> lists(cellCount);
        for (std::size_t i = 0; i < items.size(); ++i) lists[FindCell(items[i].cell)].push_back(i);
        for (auto& list : lists)
            std::sort(list.begin(), list.end(),
                      [&](std::size_t a, std::size_t b) { return items[a].id < items[b].id; });
        return lists;
    };
    m_cameras = byCell(site.cameras);
    m_io = byCell(site.ioChannels);
    m_talk = byCell(site.talkChannels);
}

bool SiteIndex::IsType2Leaf(std::size_t cell) const {
    if (m_site.cells[cell].type != 2) return false;
    // A type-2 cell lists only type-2 children.
    return m_children[cell].empty();
}

std::vector<SiteIndex::Count> SiteIndex::CountCameras(const std::vector<char>& online) const {
    std::vector<Count> counts(m_site.cells.size());
    for (std::size_t cell = 0; cell < counts.size(); ++cell) {
        for (std::size_t camera : m_cameras[cell]) {
            ++counts[cell].total;
            if (online[camera] != 0) ++counts[cell].online;
        }
    }
    for (std::size_t cell : m_deepestFirst) {
        const std::size_t parent = m_rollUpParent[cell];
        if (parent == kNone) continue;
        counts[parent].online += counts[cell].online;
        counts[parent].total += counts[cell].total;
    }
    return counts;
}
