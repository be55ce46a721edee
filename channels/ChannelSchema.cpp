// Indexes of the channel tables.
#include "channels/ChannelSchema.h"

namespace {

const char* const kIndexes[] = {
    // The cell query filters on type and cell and orders by sequence index, then ID.
    "CREATE INDEX IF NOT EXISTS CAMERAINFO_CELL ON CAMERAINFO(CELLTYPE,CELLID,SEQINDEX,ID);",
    "CREATE INDEX IF NOT EXISTS CAMERAINFO_INDEXCODE ON CAMERAINFO(INDEXCODE);",
    "CREATE INDEX IF NOT EXISTS CAMERAINFO_MATRIXCODE ON CAMERAINFO(MATRIXCODE);",
    // The recount counts a cell's rows, and its online rows.
    "CREATE INDEX IF NOT EXISTS CAMERAINFO_CELLSTATUS ON CAMERAINFO(CELLID,STATUS);",
    "CREATE INDEX IF NOT EXISTS DEVICEINFO_INDEXCODE ON DEVICEINFO(INDEXCODE);",
    "CREATE INDEX IF NOT EXISTS TALKCHANNEL_CELL ON TALKCHANNEL(CELLID,ID);",
    "CREATE INDEX IF NOT EXISTS TALKCHANNEL_INDEXCODE ON TALKCHANNEL(INDEXCODE);",
    "CREATE INDEX IF NOT EXISTS IOINFO_CELL ON IOINFO(CELLID,IOTYPE,ID);",
    "CREATE INDEX IF NOT EXISTS IOINFO_INDEXCODE ON IOINFO(INDEXCODE);",
};

}  // namespace

void CreateChannelIndexes(CDataStorage& storage) {
    for (const char* statement : kIndexes) storage.ExecuteSql(statement);
}
