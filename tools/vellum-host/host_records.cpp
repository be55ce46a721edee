// Filling host records from site values.
#include "host_records.h"

namespace {

// An id and a name packed as in CROWD_FOLDER: 4 bytes of id, then 260 of text.
void PackIdAndName(unsigned char (&data)[264], int32_t id, const std::string& name) {
    std::memcpy(data, &id, sizeof id);
    const std::size_t length = name.size() < 259 ? name.size() : 259;
    std::memcpy(data + sizeof id, name.data(), length);
    data[sizeof id + length] = '\0';
}

}  // namespace

int32_t PackedId(const unsigned char (&data)[264]) {
    int32_t id;
    std::memcpy(&id, data, sizeof id);
    return id;
}

void FillRecord(const SiteCell& cell, CELL_INFO& record) {
    record.id = cell.id;
    record.parentId = cell.parentId;
    PutText(record.indexCode, cell.indexCode);
    PutText(record.name, cell.name);
    record.sortOrder = cell.sortOrder;
    record.cellType = cell.type;
    record.ownerId = cell.ownerId;
}

void FillRecord(const SiteDevice& device, DEVICE_INFO& record) {
    record.ID = device.id;
    PutText(record.DEVNAME, device.name);
    PutText(record.INDEXCODE, device.indexCode);
    PutText(record.IP, device.ip);
    record.PORT = device.port;
    PutText(record.USERNAME, device.userName);
    PutText(record.PASSWORD, device.password);
    record.DEVTYPE = device.type;
    record.DOMAINID = device.domainId;
}

void FillRecord(const SiteCamera& camera, CAMERA_INFO& record) {
    record.ID = camera.id;
    record.DEVID = camera.device;
    record.CELLID = camera.cell;
    record.CELLTYPE = 2;
    record.CHANNELNO = camera.channelNo;
    PutText(record.INDEXCODE, camera.indexCode);
    PutText(record.CAMNAME, camera.name);
    record.CAMTYPE = camera.type;
    PutText(record.MATRIXCODE, std::to_string(camera.matrixCode));
    record.SEQINDEX = camera.seqIndex;
    record.STATUS = camera.online;
    PutText(record.RECLOC, camera.recordLocation);
    PutText(record.PRIVILEGE, camera.privilege);
    PutText(record.TRANSPATH, camera.transPath);
}

void FillRecord(const SiteIoChannel& io, IO_INFO& record) {
    record.ID = io.id;
    record.DEVID = io.device;
    record.CELLID = io.cell;
    record.IOTYPE = io.ioType;
    PutText(record.INDEXCODE, io.indexCode);
    PutText(record.IONAME, io.name);
}

void FillRecord(const SiteTalkChannel& talk, TALK_CHANNEL& record) {
    record.ID = talk.id;
    record.CHANNELNO = talk.channelNo;
    record.DEVID = talk.device;
    record.CELLID = talk.cell;
    PutText(record.INDEXCODE, talk.indexCode);
    PutText(record.TALKNAME, talk.name);
}

void FillRecord(const SiteStoreFolder& folder, STORE_FOLDER& record) {
    record.id = folder.id;
    record.parentId = folder.parentId;
    record.sortIndex = folder.sortIndex;
    PutText(record.name, folder.name);
}

void FillStoreRes(const SiteStoreFolder& folder, const SiteStoreResource& resource,
                  STORE_RES& record) {
    record.id = resource.id;
    record.folderId = folder.id;
    record.resType = resource.resType;
    record.resId = resource.resId;
    record.sortIndex = resource.sortIndex;
    PutText(record.indexCode, resource.indexCode);
}

void FillRecord(const SiteView& view, CUSTOM_VIEW& record) {
    PackIdAndName(record.viewData, view.id, view.name);
}

void FillViewNode(const SiteView& view, const SiteViewNode& node, CUSTOM_VIEW_ORG& record) {
    record.id = node.id;
    record.ownerId = view.id;
    PackIdAndName(record.nodeData, node.id, node.name);
    record.sortIndex = node.sortIndex;
}

void FillViewRes(const SiteViewNode& node, const SiteViewResource& resource,
                 const std::string& cameraIndexCode, CUSTOM_VIEW_RES& record) {
    record.id = resource.id;
    record.ownerId = node.id;
    record.resId = resource.camera;
    const std::size_t length = cameraIndexCode.size() < 263 ? cameraIndexCode.size() : 263;
    std::memcpy(record.resData, cameraIndexCode.data(), length);
}

void FillRecord(const SiteCrowdFolder& folder, CROWD_FOLDER& record) {
    record.id = folder.id;
    PutText(record.name, folder.name);
}

void FillRecord(const SiteCrowdResource& resource, CROWD_RES& record) {
    record.resId = resource.resId;
    record.resType = resource.resType;
    PutText(record.name, resource.name);
}
