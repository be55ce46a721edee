// The cached organisation tree: the cells by index code, their secondary indexes, the
// root repair of a deposit, levels, child listings and the bounded step to a parent.
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call,
// and the map and its index change together under it.
#ifndef VELLUM_ORG_CELLTREE_H
#define VELLUM_ORG_CELLTREE_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "org/CellIndex.h"
#include "vellum/records.h"

class CellTree {
public:
    // Copies every record of the list; a record replaces the entry of its index code.
    // A tree left without a root gets one (see RepairRoot).
    void Deposit(const CELL_INFO* list);
    void Clear();

    // The first cell in index-code order with this id and type, or null.
    const CELL_INFO* Find(int id, int cellType) const;

    // Roots are at level 0; a top-level type-2 cell stands one level below its owner.
    // -1 when a cell on the way up is missing, or when the way up loops.
    int Level(int id, int cellType) const;

    // The direct children as factory-made records appended to *out; true when *out
    // holds a list. Under a type-1 cell: its top-level type-2 cells, then its type-1
    // children; under a type-2 cell: its type-2 children.
    bool ListChildren(CELL_INFO** out, int id, int cellType) const;

    // The id of every cached cell with this parentId and cellType, one per cell.
    std::vector<int32_t> ChildIds(int parentId, int cellType) const;

    // Moves (cellId, cellType) to the parent cell and counts the step in *steps. False
    // when the walk ends: the cell is not cached, or *steps has reached the number of
    // cached cells, which on a tree never happens, so only a cycle stops there.
    bool StepToParent(int* cellId, int* cellType, std::size_t* steps) const;

private:
    std::map<std::string, CELL_INFO> m_mapCell;
    CCellIndex m_index;  // over m_mapCell, changed with every change to it
};

#endif  // VELLUM_ORG_CELLTREE_H
