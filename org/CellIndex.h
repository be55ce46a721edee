// Secondary indexes over the cell map (CellTree): by (id, type), by id
// alone, and by child group, plus a count of roots. They let the cell tree answer
// look-ups, child listings and the root check without scanning the map, giving the
// same answers as the ordered scan would: ties are broken by index code.
#ifndef VELLUM_ORG_CELLINDEX_H
#define VELLUM_ORG_CELLINDEX_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>

#include "vellum/records.h"

// Indexes the entries of a std::map<std::string, CELL_INFO> by address (map nodes do not
// move). An entry is filed under the fields it holds when Link is called, so it must be
// unlinked before its id, parentId, cellType, ownerId or sortOrder changes and linked
// again afterwards; the whole index is cleared whenever the map is.
// Not locked itself: the owner's lock guards the index together with the map.
class CCellIndex {
public:
    using Entry = std::map<std::string, CELL_INFO>::value_type;

    // The child groups a listing reads. A type-2 cell with parentId 0 belongs to two:
    // the top-level group of its owner, and the sub-cell group of parent 0.
    enum class ChildGroup : uint32_t {
        kTopLevelOfOwner = 1,  // type 2, parentId 0, filed under ownerId
        kMainChild = 2,        // type 1, filed under parentId
        kSubChild = 3,         // type 2, filed under parentId
    };

    // Index-code order, the order of the map itself.
    struct ByIndexCode {
        bool operator()(const Entry* a, const Entry* b) const { return a->first < b->first; }
    };
    // Sibling order: sortOrder, then id, then index code.
    struct BySiblingOrder {
        bool operator()(const Entry* a, const Entry* b) const;
    };
    using SiblingSet = std::set<Entry*, BySiblingOrder>;

    void Link(Entry* entry);
    void Unlink(Entry* entry);
    void Clear();

    // The first entry in index-code order with this id and type, or null.
    Entry* FindFirst(int32_t id, int32_t cellType) const;
    // The first entry in index-code order with this id whose index code differs from
    // `exceptCode` (any type), or null.
    Entry* FindFirstWithIdOtherThan(int32_t id, const std::string& exceptCode) const;
    // The members of one child group in sibling order, or null when it has none.
    const SiblingSet* Children(ChildGroup group, int32_t parentId) const;

    bool HasRoot() const { return m_nRootCount > 0; }

private:
    using CodeSet = std::set<Entry*, ByIndexCode>;

    static uint64_t PairKey(uint32_t high, int32_t low) {
        return (static_cast<uint64_t>(high) << 32) | static_cast<uint32_t>(low);
    }
    static bool IsRoot(const CELL_INFO& cell) { return cell.cellType == 1 && cell.parentId == 0; }

    // Calls visit(group, parentId) for each child group the cell belongs to.
    template <class Visit>
    static void ForEachGroup(const CELL_INFO& cell, Visit visit);

    template <class Map, class Key>
    static void EraseFromBucket(Map& buckets, Key key, Entry* entry);

    std::unordered_map<uint64_t, CodeSet> m_byIdType;    // (id, cellType)
    std::unordered_map<int32_t, CodeSet> m_byId;         // id, any type
    std::unordered_map<uint64_t, SiblingSet> m_byGroup;  // (ChildGroup, parent or owner id)
    std::size_t m_nRootCount = 0;                        // type 1 with parentId 0
};

#endif  // VELLUM_ORG_CELLINDEX_H
