// The object factory: allocates the records that list queries hand to the client.
// Each record is one allocation with the global operator new, so the list-freeing
// functions release it with operator delete. Null when no record can be made
// (memory exhausted, or fault::ObjFactory() armed). Contents are uninitialised.
#ifndef VELLUM_LIBS_OBJFACTORY_OBJFACTORY_H
#define VELLUM_LIBS_OBJFACTORY_OBJFACTORY_H

#include "vellum/records.h"

CELL_INFO* of_newCellInfo();
CAMERA_INFO* of_newCameraInfo();
IO_INFO* of_newIOInfo();
TALK_CHANNEL* of_newTalkChannel();
USER_ORG* of_newUserOrg();
STORE_FOLDER* of_newStoreFolder();
STORE_RES* of_newStoreRes();
CUSTOM_VIEW* of_newCustomView();
CUSTOM_VIEW_ORG* of_newCustomViewOrg();
CUSTOM_VIEW_RES* of_newCustomViewRes();
CROWD_FOLDER* of_newCrowdFolder();
CROWD_RES* of_newCrowdRes();

#endif  // VELLUM_LIBS_OBJFACTORY_OBJFACTORY_H
