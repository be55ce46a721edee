// Functions that free whole lists handed out by IVellum queries. Each walks the list
// from its head, reading next before releasing the record with the global operator
// delete (the object factory allocates every record with operator new). A null head
// does nothing. No lock: each call touches only its own list.
#ifndef VELLUM_PLUGIN_LIST_FREEING_H
#define VELLUM_PLUGIN_LIST_FREEING_H

#include "vellum/records.h"

void FreeCellList(CELL_INFO* head);
void FreeIOInfoList(IO_INFO* head);  // also TALK_CHANNEL lists
void FreeCrowdResList(CROWD_RES* head);
void FreeCustomViewList(CUSTOM_VIEW* head);  // also CROWD_FOLDER lists
void FreeStoreResList(STORE_RES* head);
void FreeCustomViewOrgList(CUSTOM_VIEW_ORG* head);  // also CUSTOM_VIEW_RES lists
void FreeCameraList(CAMERA_INFO* head);
void FreeStoreFolderList(STORE_FOLDER* head);
void FreeUserOrgList(USER_ORG* head);

#endif  // VELLUM_PLUGIN_LIST_FREEING_H
