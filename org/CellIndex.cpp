// Maintenance and look-ups of the cell tree's secondary indexes.
#include "org/CellIndex.h"

bool CCellIndex::BySiblingOrder::operator()(const Entry* a, const Entry* b) const {
    if (a->second.sortOrder != b->second.sortOrder)
        return a->second.sortOrder < b->second.sortOrder;
    if (a->second.id != b->second.id) return a->second.id < b->second.id;
    return a->first < b->first;
}

template <class Visit>
void CCellIndex::ForEachGroup(const CELL_INFO& cell, Visit visit) {
    if (cell.cellType == 1) {
        visit(ChildGroup::kMainChild, cell.parentId);
    } else if (cell.cellType == 2) {
        visit(ChildGroup::kSubChild, cell.parentId);
        if (cell.parentId == 0) visit(ChildGroup::kTopLevelOfOwner, cell.ownerId);
    }
}

template <class Map, class Key>
void CCellIndex::EraseFromBucket(Map& buckets, Key key, Entry* entry) {
    auto bucket = buckets.find(key);
    if (bucket == buckets.end()) return;
    bucket->second.erase(entry);
    if (bucket->second.empty()) buckets.erase(bucket);
}

void CCellIndex::Link(Entry* entry) {
    const CELL_INFO& cell = entry->second;
    m_byIdType[PairKey(static_cast<uint32_t>(cell.id), cell.cellType)].insert(entry);
    m_byId[cell.id].insert(entry);
    ForEachGroup(cell, [&](ChildGroup group, int32_t parent) {
        m_byGroup[PairKey(static_cast<uint32_t>(group), parent)].insert(entry);
    });
    if (IsRoot(cell)) ++m_nRootCount;
}

void CCellIndex::Unlink(Entry* entry) {
    const CELL_INFO& cell = entry->second;
    EraseFromBucket(m_byIdType, PairKey(static_cast<uint32_t>(cell.id), cell.cellType), entry);
    EraseFromBucket(m_byId, cell.id, entry);
    ForEachGroup(cell, [&](ChildGroup group, int32_t parent) {
        EraseFromBucket(m_byGroup, PairKey(static_cast<uint32_t>(group), parent), entry);
    });
    if (IsRoot(cell)) --m_nRootCount;
}

void CCellIndex::Clear() {
    m_byIdType.clear();
    m_byId.clear();
    m_byGroup.clear();
    m_nRootCount = 0;
}

CCellIndex::Entry* CCellIndex::FindFirst(int32_t id, int32_t cellType) const {
    auto bucket = m_byIdType.find(PairKey(static_cast<uint32_t>(id), cellType));
    return bucket == m_byIdType.end() ? nullptr : *bucket->second.begin();
}

CCellIndex::Entry* CCellIndex::FindFirstWithIdOtherThan(int32_t id,
                                                        const std::string& exceptCode) const {
    auto bucket = m_byId.find(id);
    if (bucket == m_byId.end()) return nullptr;
    // Index codes are unique in the map, so at most the first entry is the excluded one.
    auto it = bucket->second.begin();
    if ((*it)->first == exceptCode) ++it;
    return it == bucket->second.end() ? nullptr : *it;
}

const CCellIndex::SiblingSet* CCellIndex::Children(ChildGroup group, int32_t parentId) const {
    auto bucket = m_byGroup.find(PairKey(static_cast<uint32_t>(group), parentId));
    return bucket == m_byGroup.end() ? nullptr : &bucket->second;
}
