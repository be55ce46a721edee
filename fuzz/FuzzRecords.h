// Field-by-field builders of every host record kind for FuzzInput::Records:
// identifiers that meet, small enumerations with invalid values among them, and text
// fields of any shape (unterminated ones included).
#ifndef VELLUM_FUZZ_FUZZRECORDS_H
#define VELLUM_FUZZ_FUZZRECORDS_H

#include <cstring>

#include "fuzz/FuzzInput.h"

namespace vellum_fuzz {

inline void FillCell(FuzzInput& in, CELL_INFO& cell) {
    cell.id = in.Id();
    cell.parentId = in.Id();
    in.Field(cell.indexCode);
    in.Field(cell.name);
    cell.sortOrder = in.Id();
    cell.cellType = in.Byte() % 4;  // 1 and 2 are the tree's types
    cell.ownerId = in.Id();
    cell.reserved = in.Id();
}

inline void FillCamera(FuzzInput& in, CAMERA_INFO& camera) {
    camera.ID = in.Id();
    camera.DEVID = in.Id();
    camera.CELLID = in.Id();
    camera.CELLTYPE = in.Byte() % 4;
    camera.CHANNELNO = in.Id();
    in.Field(camera.INDEXCODE);
    in.Field(camera.CAMNAME);
    camera.CAMTYPE = in.Id();
    in.Field(camera.MATRIXCODE);
    camera.SEQINDEX = in.Id();
    // Any byte: a client may hand a bool holding neither 0 nor 1.
    const unsigned char status = in.Byte();
    std::memcpy(&camera.STATUS, &status, sizeof status);
    camera.CASCADID = in.Id();
    in.Field(camera.RECLOC);
    in.Field(camera.PRIVILEGE);
    in.Field(camera.DEVTAG);
    camera.VRMID = in.Id();
    camera.VTDUID = in.Id();
    camera.VAGID = in.Id();
    in.Field(camera.RECGUID);
    in.Field(camera.MULTIIP);
    in.Field(camera.TRANSPATH);
    camera.MOD = in.Id();
    camera.TRANSCNT = in.Id();
}

inline void FillStatus(FuzzInput& in, CAMERA_STATUS& status) {
    status.ID = in.Id();
    status.STATUS = in.Id();
}

inline void FillUserOrg(FuzzInput& in, USER_ORG& org) {
    org.orgId = in.Id();
    org.cameraCount = in.Id();
    org.onlineCount = in.Id();
    in.Bytes(org.orgData, in.Byte() % (sizeof org.orgData + 1));
    org.listKey = in.Id();
    in.Bytes(org.extraData, sizeof org.extraData);
}

inline void FillDevice(FuzzInput& in, DEVICE_INFO& device) {
    device.ID = in.Id();
    in.Field(device.DEVNAME);
    in.Field(device.INDEXCODE);
    in.Field(device.IP);
    device.PORT = in.Id();
    in.Field(device.USERNAME);
    in.Field(device.PASSWORD);
    device.DEVTYPE = in.Id();
    device.DOMAINID = in.Id();
}

inline void FillIO(FuzzInput& in, IO_INFO& io) {
    io.ID = in.Id();
    io.DEVID = in.Id();
    io.CELLID = in.Id();
    io.IOTYPE = in.Byte() % 3;  // only 0 is ever answered
    in.Field(io.INDEXCODE);
    in.Field(io.IONAME);
}

inline void FillTalk(FuzzInput& in, TALK_CHANNEL& talk) {
    talk.ID = in.Id();
    talk.CHANNELNO = in.Id();
    talk.DEVID = in.Id();
    talk.CELLID = in.Id();
    in.Field(talk.INDEXCODE);
    in.Field(talk.TALKNAME);
}

inline void FillStoreFolder(FuzzInput& in, STORE_FOLDER& folder) {
    folder.id = in.Id();
    folder.parentId = in.Id();
    folder.sortIndex = in.Id();
    in.Field(folder.name);
}

inline void FillStoreRes(FuzzInput& in, STORE_RES& resource) {
    resource.id = in.Id();
    resource.folderId = in.Id();
    resource.resType = in.Id();
    resource.resId = in.Id();
    resource.sortIndex = in.Id();
    in.Field(resource.indexCode);
}

inline void FillCustomView(FuzzInput& in, CUSTOM_VIEW& view) {
    in.Bytes(view.viewData, in.Byte() % (sizeof view.viewData + 1));
}

inline void FillCustomViewOrg(FuzzInput& in, CUSTOM_VIEW_ORG& node) {
    node.id = in.Id();
    node.ownerId = in.Id();
    in.Bytes(node.nodeData, in.Byte() % 16);
    node.sortIndex = in.Id();
}

inline void FillCustomViewRes(FuzzInput& in, CUSTOM_VIEW_RES& resource) {
    resource.id = in.Id();
    resource.ownerId = in.Id();
    resource.resId = in.Id();
    in.Bytes(resource.resData, in.Byte() % 16);
}

inline void FillCrowdFolder(FuzzInput& in, CROWD_FOLDER& folder) {
    folder.id = in.Id();
    in.Field(folder.name);
}

inline void FillCrowdRes(FuzzInput& in, CROWD_RES& resource) {
    resource.resId = in.Id();
    resource.resType = in.Id();
    in.Field(resource.name);
}

inline void FillKeyed(FuzzInput& in, KEYED_INFO& keyed) {
    keyed.key = in.Id();
    in.Bytes(keyed.payload, in.Byte() % (sizeof keyed.payload + 1));
}

}  // namespace vellum_fuzz

#endif  // VELLUM_FUZZ_FUZZRECORDS_H
