// The cell tree: deposits with their root repair, one cell by id and type, a cell's
// depth, its direct children in sibling order, and the step to a parent.
#include "org/CellTree.h"

#include "libs/objfactory/ObjFactory.h"
#include "libs/xlog/xlog.h"
#include "org/ListCopy.h"

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

void CellTree::Deposit(const CELL_INFO* list) {
    for (const CELL_INFO* cell = list; cell != nullptr; cell = cell->next) {
        auto [entry, added] = m_mapCell.try_emplace(FieldText(cell->indexCode));
        if (!added) m_index.Unlink(&*entry);
        entry->second = *cell;
        m_index.Link(&*entry);
    }
    if (!m_index.HasRoot()) RepairRoot(m_mapCell, m_index);
}

void CellTree::Clear() {
    m_mapCell.clear();
    m_index.Clear();
}

const CELL_INFO* CellTree::Find(int id, int cellType) const {
    const CCellIndex::Entry* entry = m_index.FindFirst(id, cellType);
    return entry != nullptr ? &entry->second : nullptr;
}

// A chain longer than the number of cached cells must revisit one.
int CellTree::Level(int id, int cellType) const {
    int level = -1;
    std::size_t stepsLeft = m_mapCell.size();
    while (id != 0) {
        if (stepsLeft-- == 0) return -1;
        const CELL_INFO* cell = Find(id, cellType);
        if (cell == nullptr) return -1;
        id = cell->parentId;
        cellType = cell->cellType;
        if (id == 0 && cellType == 2) {
            id = cell->ownerId;
            cellType = 1;
        }
        ++level;
    }
    return level;
}

// Each group in (sortOrder, id) order, ties in index-code order.
bool CellTree::ListChildren(CELL_INFO** out, int id, int cellType) const {
    ListAppender<CELL_INFO> list(out);
    if (cellType == 1) {
        AppendGroup(list, m_index.Children(CCellIndex::ChildGroup::kTopLevelOfOwner, id));
        AppendGroup(list, m_index.Children(CCellIndex::ChildGroup::kMainChild, id));
    } else if (cellType == 2) {
        AppendGroup(list, m_index.Children(CCellIndex::ChildGroup::kSubChild, id));
    }
    return list.HasRecords();
}

// An id that two cells share counts twice, as it would in a scan of the map.
std::vector<int32_t> CellTree::ChildIds(int parentId, int cellType) const {
    std::vector<int32_t> children;
    if (cellType == 1 || cellType == 2) {
        const CCellIndex::SiblingSet* group = m_index.Children(
            cellType == 1 ? CCellIndex::ChildGroup::kMainChild : CCellIndex::ChildGroup::kSubChild,
            parentId);
        if (group != nullptr)
            for (const CCellIndex::Entry* cell : *group) children.push_back(cell->second.id);
        return children;
    }
    // The index files only the two types the tree is made of; any other type is found
    // by walking the map.
    for (const auto& cell : m_mapCell)
        if (cell.second.parentId == parentId && cell.second.cellType == cellType)
            children.push_back(cell.second.id);
    return children;
}

// A top-level cell (parentId 0) of either type passes on to its ownerId as a type-1
// cell; any other cell to its parentId under its own type. A parent id of 0 is a valid
// step (the walk ends there only if no cell 0 is cached); a negative one ends the walk.
bool CellTree::StepToParent(int* cellId, int* cellType, std::size_t* steps) const {
    if ((*steps)++ >= m_mapCell.size()) return false;
    const CELL_INFO* cell = Find(*cellId, *cellType);
    if (cell == nullptr) return false;
    const bool topLevel = cell->parentId == 0 && (cell->cellType == 1 || cell->cellType == 2);
    const int parent = topLevel ? cell->ownerId : cell->parentId;
    if (parent < 0) return false;
    *cellId = parent;
    *cellType = topLevel ? 1 : cell->cellType;
    return true;
}
