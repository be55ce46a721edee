// Indexes of the channel tables and the batch DELETE statement of DeleteCameras.
#include "channels/ChannelSchema.h"

// An index that cannot be made only makes its queries scan; they answer the same.
void CreateChannelIndexes(CDataStorage& storage) {
    for (const auto& index : channel_sql::kCameraIndexes) (void)storage.ExecuteSql(index.create);
    for (const char* statement : channel_sql::kOtherChannelIndexes)
        (void)storage.ExecuteSql(statement);
}

namespace channel_sql {

std::string CameraDeleteStatement(std::size_t count) {
    std::string statement = "DELETE FROM CAMERAINFO WHERE ID in (";
    for (std::size_t i = 0; i < count; ++i) statement += i == 0 ? "?" : ",?";
    return statement + ");";
}

}  // namespace channel_sql
