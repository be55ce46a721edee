// CAMERAINFO's columns, listed once. The table definition and the insert statement are
// made from this list, and a deposit's binds and a row's reads name their positions by
// it, so no column's place is written down twice.
#ifndef VELLUM_CHANNELS_CAMERACOLUMNS_H
#define VELLUM_CHANNELS_CAMERACOLUMNS_H

#include <string>

namespace camera_columns {

// Positions in table order (zero-based, as the storage binds and reads them).
enum Column : int {
    kId,
    kDevId,
    kCellId,
    kCellType,
    kChannelNo,
    kIndexCode,
    kCamName,
    kCamType,
    kMatrixCode,
    kSeqIndex,
    kStatus,
    kRecLoc,
    kPrivilege,
    kCascadId,
    kVrmId,
    kVtduId,
    kVagId,
    kDevTag,
    kRecGuid,
    kMultiIp,
    kTransPath,
    kTransCnt,  // the table has TRANSCNT before MOD
    kMod,
    kIsGroup,  // not in the record: the cell query selects only rows with 1
    kCount
};

struct Definition {
    const char* name;
    // As the table has always been declared, the two double blanks included: the
    // stored definition is the text sent, and peers compare it.
    const char* declaration;
};

inline constexpr Definition kDefinitions[kCount] = {
    {"ID", "NUMERIC NOT NULL"},       {"DEVID", "INTEGER NOT NULL"},
    {"CELLID", "INTEGER NOT NULL"},   {"CELLTYPE", "INTEGER NOT NULL"},
    {"CHANNELNO", "INTEGER NOT NULL"}, {"INDEXCODE", "TEXT NOT NULL"},
    {"CAMNAME", "TEXT NULL"},         {"CAMTYPE", "INTEGER NOT NULL"},
    {"MATRIXCODE", "TEXT NOT NULL"},  {"SEQINDEX", "INTEGER NOT NULL"},
    {"STATUS", "INTEGER NOT NULL"},   {"RECLOC", "TEXT NOT NULL"},
    {"PRIVILEGE", "TEXT NOT NULL"},   {"CASCADID", "INTEGER NOT NULL"},
    {"VRMID", "INTEGER NOT NULL"},    {"VTDUID", "INTEGER NOT NULL"},
    {"VAGID", " INTEGER NOT NULL"},   {"DEVTAG", "TEXT NOT NULL"},
    {"RECGUID", "TEXT NOT NULL"},     {"MULTIIP", "TEXT NOT NULL"},
    {"TRANSPATH", "TEXT NOT NULL"},   {"TRANSCNT", " INTEGER NOT NULL"},
    {"MOD", "INTEGER NOT NULL"},      {"ISGROUP", "INTEGER NOT NULL"},
};

// "CREATE TABLE IF NOT EXISTS CAMERAINFO(<name> <declaration>,...,PRIMARY KEY(ID));"
const std::string& TableDefinition();
// "INSERT INTO CAMERAINFO(<names>) VALUES (?,...);", every column in table order.
const std::string& InsertStatement();

}  // namespace camera_columns

#endif  // VELLUM_CHANNELS_CAMERACOLUMNS_H
