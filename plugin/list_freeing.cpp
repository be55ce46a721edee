// The list-freeing functions of the instance table.
#include "plugin/list_freeing.h"

#include <new>

namespace {

template <class Record>
void FreeList(Record* record) {
    while (record != nullptr) {
        Record* next = record->next;
        ::operator delete(record);
        record = next;
    }
}

}  // namespace

void FreeCellList(CELL_INFO* head) { FreeList(head); }
void FreeIOInfoList(IO_INFO* head) { FreeList(head); }
void FreeCrowdResList(CROWD_RES* head) { FreeList(head); }
void FreeCustomViewList(CUSTOM_VIEW* head) { FreeList(head); }
void FreeStoreResList(STORE_RES* head) { FreeList(head); }
void FreeCustomViewOrgList(CUSTOM_VIEW_ORG* head) { FreeList(head); }
void FreeCameraList(CAMERA_INFO* head) { FreeList(head); }
void FreeStoreFolderList(STORE_FOLDER* head) { FreeList(head); }
void FreeUserOrgList(USER_ORG* head) { FreeList(head); }
