// The object factory: one plain operator-new allocation per record, or null.
#include "libs/objfactory/ObjFactory.h"

#include <new>

#include "platform/fault/FaultPoint.h"

namespace {

template <class Record>
Record* NewRecord() {
    if (vellum::fault::ObjFactory().Hit()) return nullptr;
    return static_cast<Record*>(::operator new(sizeof(Record), std::nothrow));
}

}  // namespace

CELL_INFO* of_newCellInfo() { return NewRecord<CELL_INFO>(); }
CAMERA_INFO* of_newCameraInfo() { return NewRecord<CAMERA_INFO>(); }
IO_INFO* of_newIOInfo() { return NewRecord<IO_INFO>(); }
TALK_CHANNEL* of_newTalkChannel() { return NewRecord<TALK_CHANNEL>(); }
USER_ORG* of_newUserOrg() { return NewRecord<USER_ORG>(); }
STORE_FOLDER* of_newStoreFolder() { return NewRecord<STORE_FOLDER>(); }
STORE_RES* of_newStoreRes() { return NewRecord<STORE_RES>(); }
CUSTOM_VIEW* of_newCustomView() { return NewRecord<CUSTOM_VIEW>(); }
CUSTOM_VIEW_ORG* of_newCustomViewOrg() { return NewRecord<CUSTOM_VIEW_ORG>(); }
CUSTOM_VIEW_RES* of_newCustomViewRes() { return NewRecord<CUSTOM_VIEW_RES>(); }
CROWD_FOLDER* of_newCrowdFolder() { return NewRecord<CROWD_FOLDER>(); }
CROWD_RES* of_newCrowdRes() { return NewRecord<CROWD_RES>(); }
