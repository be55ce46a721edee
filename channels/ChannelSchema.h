// The channel tables' indexes and the statements they serve. They are kept together
// so that a test can hold every look-up against the indexes (no look-up may scan a
// whole table). Every value reaches a statement as a bound `?`, never as SQL text.
#ifndef VELLUM_CHANNELS_CHANNELSCHEMA_H
#define VELLUM_CHANNELS_CHANNELSCHEMA_H

#include <cstddef>
#include <string>

#include "libs/storage/DataStorage.h"

// Creates one index per column set that a query selects or orders by. Results are
// not examined, like those of the CREATE TABLE statements before it.
// REQUIRES: the four tables exist; the caller holds the instance lock.
void CreateChannelIndexes(CDataStorage& storage);

namespace channel_sql {

// The secondary indexes of CAMERAINFO, CREATE INDEX IF NOT EXISTS each. A deposit into
// an empty table drops them and builds them again after its rows (see SetCameraList),
// so they are named here once for both.
struct IndexDefinition {
    const char* name;
    const char* create;
};
inline constexpr IndexDefinition kCameraIndexes[] = {
    // The cell query: equal type, cell and ISGROUP, then SEQINDEX and ID in order. The
    // descending form walks the same index backwards and sorts only the ID ties of
    // each SEQINDEX, within the one cell.
    {"CAMERAINFO_CELL",
     "CREATE INDEX IF NOT EXISTS CAMERAINFO_CELL ON CAMERAINFO(CELLTYPE,CELLID,ISGROUP,"
     "SEQINDEX,ID);"},
    {"CAMERAINFO_INDEXCODE",
     "CREATE INDEX IF NOT EXISTS CAMERAINFO_INDEXCODE ON CAMERAINFO(INDEXCODE);"},
    {"CAMERAINFO_MATRIXCODE",
     "CREATE INDEX IF NOT EXISTS CAMERAINFO_MATRIXCODE ON CAMERAINFO(MATRIXCODE);"},
    // The recount counts a cell's rows and its online rows from this index alone.
    {"CAMERAINFO_CELLSTATUS",
     "CREATE INDEX IF NOT EXISTS CAMERAINFO_CELLSTATUS ON CAMERAINFO(CELLID,STATUS);"},
};

// The indexes of the other channel tables.
inline constexpr const char* kOtherChannelIndexes[] = {
    "CREATE INDEX IF NOT EXISTS DEVICEINFO_INDEXCODE ON DEVICEINFO(INDEXCODE);",
    "CREATE INDEX IF NOT EXISTS TALKCHANNEL_CELL ON TALKCHANNEL(CELLID,ID);",
    "CREATE INDEX IF NOT EXISTS TALKCHANNEL_INDEXCODE ON TALKCHANNEL(INDEXCODE);",
    "CREATE INDEX IF NOT EXISTS IOINFO_CELL ON IOINFO(CELLID,IOTYPE,ID);",
    "CREATE INDEX IF NOT EXISTS IOINFO_INDEXCODE ON IOINFO(INDEXCODE);",
};

// Whether CAMERAINFO has a row.
inline constexpr const char kCameraAny[] = "SELECT 1 FROM CAMERAINFO LIMIT 1;";

// CAMERAINFO: the insert and the table are made from channels/CameraColumns.h.
inline constexpr const char kCameraListAscending[] =
    "SELECT * FROM CAMERAINFO WHERE CELLTYPE = ? AND CELLID = ? AND ISGROUP = 1 ORDER BY "
    "SEQINDEX,ID;";
inline constexpr const char kCameraListDescending[] =
    "SELECT * FROM CAMERAINFO WHERE CELLTYPE = ? AND CELLID = ? AND ISGROUP = 1 ORDER BY "
    "SEQINDEX DESC,ID;";
inline constexpr const char kCameraById[] = "SELECT * FROM CAMERAINFO WHERE ID = ? ;";
inline constexpr const char kCameraByIndexCode[] = "SELECT * FROM CAMERAINFO WHERE INDEXCODE = ? ;";
// MATRIXCODE is TEXT: the bound integer takes the column's affinity and is compared as
// its decimal text, so 12 matches "12" (and not "012").
inline constexpr const char kCameraByMatrixCode[] =
    "SELECT * FROM CAMERAINFO WHERE MATRIXCODE = ? ;";
// The cell of a stored camera, all a status change needs of its row.
inline constexpr const char kCameraCellById[] = "SELECT CELLID FROM CAMERAINFO WHERE ID = ? ;";
inline constexpr const char kCameraStatusUpdate[] = "UPDATE CAMERAINFO SET STATUS = ? WHERE ID = ?";
inline constexpr const char kCellCameraCount[] =
    "SELECT count(*) FROM CAMERAINFO WHERE CELLID = ? ";
inline constexpr const char kCellOnlineCameraCount[] =
    "SELECT count(*) FROM CAMERAINFO WHERE CELLID = ? AND STATUS = 1";

// The most identifiers one DELETE of DeleteCameras carries.
inline constexpr std::size_t kCameraDeleteBatch = 300;
// "DELETE FROM CAMERAINFO WHERE ID in (?,...,?);" with `count` placeholders, 1 to
// kCameraDeleteBatch.
std::string CameraDeleteStatement(std::size_t count);

// IOINFO: every query answers IOTYPE 0 only.
inline constexpr const char kIOInsert[] =
    "INSERT INTO IOINFO(ID,DEVID,CELLID,IOTYPE,INDEXCODE,IONAME) VALUES (?, ?, ?, ?, ?, ?);";
inline constexpr const char kIOListByCell[] =
    "SELECT * FROM IOINFO WHERE CELLID = ? and IOTYPE = 0 ORDER BY ID;";
inline constexpr const char kIOById[] = "SELECT * FROM IOINFO WHERE ID = ?  and IOTYPE = 0 ;";
inline constexpr const char kIOByIndexCode[] =
    "SELECT * FROM IOINFO WHERE INDEXCODE = ? and IOTYPE = 0  ;";

// DEVICEINFO: DOMAINID is the column before DEVTYPE.
inline constexpr const char kDeviceInsert[] =
    "INSERT INTO DEVICEINFO(ID,DEVNAME,INDEXCODE,IP,PORT,DOMAINID,USERNAME,PASSWORD,DEVTYPE)"
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?);";
inline constexpr const char kDeviceById[] = "SELECT * FROM DEVICEINFO WHERE ID = ? ;";
inline constexpr const char kDeviceByIndexCode[] = "SELECT * FROM DEVICEINFO WHERE INDEXCODE = ? ;";

// TALKCHANNEL: CHANNELNO is the fourth column, after DEVID and CELLID.
inline constexpr const char kTalkInsert[] =
    "INSERT INTO TALKCHANNEL(ID,DEVID,CELLID,CHANNELNO,INDEXCODE,TALKNAME) VALUES (?, ?, ? ,?, "
    "?, ?);";
inline constexpr const char kTalkListByCell[] =
    "SELECT * FROM TALKCHANNEL WHERE CELLID = ? ORDER BY ID;";
inline constexpr const char kTalkById[] = "SELECT * FROM TALKCHANNEL WHERE ID = ? ;";
inline constexpr const char kTalkByIndexCode[] = "SELECT * FROM TALKCHANNEL WHERE INDEXCODE = ? ;";

// Every statement above that finds rows (all but the inserts), for the index check.
inline constexpr const char* kLookups[] = {
    kCameraListAscending,
    kCameraListDescending,
    kCameraById,
    kCameraByIndexCode,
    kCameraByMatrixCode,
    kCameraCellById,
    kCameraStatusUpdate,
    kCellCameraCount,
    kCellOnlineCameraCount,
    kIOListByCell,
    kIOById,
    kIOByIndexCode,
    kDeviceById,
    kDeviceByIndexCode,
    kTalkListByCell,
    kTalkById,
    kTalkByIndexCode,
};

}  // namespace channel_sql

#endif  // VELLUM_CHANNELS_CHANNELSCHEMA_H
