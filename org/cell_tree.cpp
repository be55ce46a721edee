// The cell tree: deposits with their root repair, one cell by id and type, a cell's
// depth, and a cell's direct children in sibling order. Every operation holds m_lock;
// m_mapCell and m_cellIndex change together, under it.
#include <string>

#include "libs/objfactory/ObjFactory.h"
#include "libs/xlog/xlog.h"
#include "org/ListCopy.h"
#include "store/DataOper.h"

namespace {

using CellMap = std::map<std::string, CELL_INFO>;

// Every repair line names this source, its line and the depositing operation.
constexpr const char* kLogSource = ".\\DataOper";
constexpr const char* kLogOperation = "CDataOper::SetCellList";
constexpr const char* kLogModule = "tvwall";
constexpr int kLogLevel = 3;

// A cache without a root gets one: the first cell in index-code order, of any type but
// 2, whose parent is not cached has its stored parentId set to 0. At most one cell
// changes. The parent search skips only the cell's own entry, so a cell that names
// itself as parent has one only when another entry carries its id.
void RepairRoot(CellMap& cells, CCellIndex& index) {
    xlog_write(kLogLevel, kLogModule, "<%s [%d] - %s> <not find root cell>", kLogSource, 331,
               kLogOperation);
    for (CellMap::value_type& entry : cells) {
        CELL_INFO& cell = entry.second;
        if (cell.cellType == 2) continue;
        xlog_write(kLogLevel, kLogModule,
                   "<%s [%d] - %s> <look for cell, name %s id %d parentid %d>", kLogSource, 339,
                   kLogOperation, FieldText(cell.name).c_str(), cell.id, cell.parentId);
        if (const CCellIndex::Entry* parent =
                index.FindFirstWithIdOtherThan(cell.parentId, entry.first)) {
            xlog_write(kLogLevel, kLogModule,
                       "<%s [%d] - %s> <find cell, name %s id %d parentid %d>", kLogSource, 349,
                       kLogOperation, FieldText(parent->second.name).c_str(), parent->second.id,
                       parent->second.parentId);
            continue;
        }
        xlog_write(kLogLevel, kLogModule,
                   "<%s [%d] - %s> <not find root cell, name %s id %d parentid %d, set parentid "
                   "to 0>",
                   kLogSource, 356, kLogOperation, FieldText(cell.name).c_str(), cell.id,
                   cell.parentId);
        index.Unlink(&entry);
        cell.parentId = 0;
        index.Link(&entry);
        return;
    }
}

void AppendGroup(ListAppender<CELL_INFO>& list, const CCellIndex::SiblingSet* group) {
    if (group == nullptr) return;
    for (const CCellIndex::Entry* entry : *group) AppendCopy(list, of_newCellInfo(), entry->second);
}

}  // namespace

// Copies every record of the client's list; a record replaces the entry of its index code.
void CDataOper::SetCellList(const CELL_INFO* list) {
    StoreLock lock(&m_lock);
    for (const CELL_INFO* cell = list; cell != nullptr; cell = cell->next) {
        auto [entry, added] = m_mapCell.try_emplace(FieldText(cell->indexCode));
        if (!added) m_cellIndex.Unlink(&*entry);
        entry->second = *cell;
        m_cellIndex.Link(&*entry);
    }
    if (!m_cellIndex.HasRoot()) RepairRoot(m_mapCell, m_cellIndex);
}

// Fills the caller's record with the first cell in index-code order of this id and
// type, with a null next. A miss, or a null `out`, writes nothing.
bool CDataOper::GetCellInfo(CELL_INFO* out, int id, int cellType) {
    StoreLock lock(&m_lock);
    if (out == nullptr) return false;
    const CCellIndex::Entry* entry = m_cellIndex.FindFirst(id, cellType);
    if (entry == nullptr) return false;
    CopyRecordOut(out, entry->second);
    return true;
}

// Roots are at level 0. A top-level type-2 cell stands one level below its owner.
// -1 when a cell on the way up is missing, and when the way up loops: a chain longer
// than the number of cached cells must revisit one.
int CDataOper::GetCellLevel(int id, int cellType) {
    StoreLock lock(&m_lock);
    int level = -1;
    std::size_t stepsLeft = m_mapCell.size();
    while (id != 0) {
        if (stepsLeft-- == 0) return -1;
        CELL_INFO cell;
        if (!GetCellInfo(&cell, id, cellType)) return -1;  // re-enters m_lock
        id = cell.parentId;
        cellType = cell.cellType;
        if (id == 0 && cellType == 2) {
            id = cell.ownerId;
            cellType = 1;
        }
        ++level;
    }
    return level;
}

// Lists the direct children as factory-made records the client frees with
// FreeCellList. Under a type-1 cell: its top-level type-2 cells, then its type-1
// children; under a type-2 cell: its type-2 children. Each group in (sortOrder, id)
// order, ties in index-code order. True when *out holds a list.
bool CDataOper::GetChildCellList(CELL_INFO** out, int id, int cellType) {
    StoreLock lock(&m_lock);
    if (out == nullptr) return false;
    ListAppender<CELL_INFO> list(out);
    if (cellType == 1) {
        AppendGroup(list, m_cellIndex.Children(CCellIndex::ChildGroup::kTopLevelOfOwner, id));
        AppendGroup(list, m_cellIndex.Children(CCellIndex::ChildGroup::kMainChild, id));
    } else if (cellType == 2) {
        AppendGroup(list, m_cellIndex.Children(CCellIndex::ChildGroup::kSubChild, id));
    }
    return list.HasRecords();
}
