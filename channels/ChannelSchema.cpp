// Indexes of the channel tables and the batch DELETE statement of DeleteCameras.
#include "channels/ChannelSchema.h"

void CreateChannelIndexes(CDataStorage& storage) {
    for (const auto& index : channel_sql::kCameraIndexes) storage.ExecuteSql(index.create);
    for (const char* statement : channel_sql::kOtherChannelIndexes) storage.ExecuteSql(statement);
}

namespace channel_sql {

std::string CameraDeleteStatement(std::size_t count) {
    std::string statement = "DELETE FROM CAMERAINFO WHERE ID in (";
    for (std::size_t i = 0; i < count; ++i) statement += i == 0 ? "?" : ",?";
    return statement + ");";
}

}  // namespace channel_sql
