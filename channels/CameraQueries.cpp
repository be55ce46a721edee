// The eight camera queries: the cameras of a cell in display order, one camera by
// identifier, index code or matrix code, lists by identifiers or index codes, and the
// privilege checks; and the row reader they all go through.
#include "channels/CameraTable.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "channels/CameraColumns.h"
#include "channels/ChannelSchema.h"
#include "channels/ColumnText.h"
#include "channels/IndexCode.h"
#include "channels/TextConversion.h"
#include "libs/cipher/Cipher.h"
#include "libs/objfactory/ObjFactory.h"
#include "libs/records/ListAppender.h"
#include "libs/records/RecordText.h"

using namespace camera_columns;

namespace {

// The pieces of `text` between commas; empty pieces (leading, trailing or doubled
// commas) are skipped and nothing is trimmed.
std::vector<std::string> SplitAtCommas(const char* text) {
    std::vector<std::string> pieces;
    std::string piece;
    for (const char* c = text;; ++c) {
        if (*c == ',' || *c == '\0') {
            if (!piece.empty()) pieces.push_back(piece);
            piece.clear();
            if (*c == '\0') break;
        } else {
            piece += *c;
        }
    }
    return pieces;
}

// atoi's reading of an identifier: leading blanks, a sign, digits up to the first
// other character; 0 when there are none. Out-of-range values saturate instead of
// being undefined.
int ParseIdentifier(const std::string& piece) {
    long long value = std::strtoll(piece.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// The code searched for in PRIVILEGE for a privilege type; -1 for unknown types.
int MapPrivilegeCode(int privilegeType) {
    switch (privilegeType) {
        case 10001:
            return 1;
        case 10003:
            return 5;
        case 10004:
            return 3;
        case 10005:
            return 4;
        case 10006:
            return 2;
        case 10015:
            return 6;
        default:
            return -1;
    }
}

// A camera grants a type when its PRIVILEGE holds the type's code anywhere, or holds
// a "0" anywhere (which grants every type).
bool GrantsPrivilege(const CAMERA_INFO& camera, int privilegeType) {
    const std::string privileges = FieldText(camera.PRIVILEGE);
    return privileges.find(std::to_string(MapPrivilegeCode(privilegeType))) != std::string::npos ||
           privileges.find('0') != std::string::npos;
}

}  // namespace

bool CameraTable::ReadOneCamera(CAMERA_INFO* out, const char* sql,
                              std::initializer_list<SqlParam> params) {
    if (out == nullptr) return false;
    bool found = false;
    if (m_storage.BeginRead(sql, params) && m_storage.ReadNext()) {
        std::memset(static_cast<void*>(out), 0, sizeof *out);
        ReadCameraRow(out, m_settings.TransPathEnciphered());
        found = true;
    }
    m_storage.EndRead();
    return found;
}

// The list belongs to the caller, who frees it with FreeCameraList.
bool CameraTable::GetCameraList(CAMERA_INFO** out, int cellType, int cellId) {
    if (out == nullptr) return false;
    // [ResTree] camera_index_sort, read afresh each call: 1 lists by descending
    // SEQINDEX, anything else ascending; ties by ascending ID either way.
    const bool descending = m_settings.CamerasByDescendingSeqIndex();
    const bool enciphered = m_settings.TransPathEnciphered();
    ListAppender<CAMERA_INFO> appender(out);
    if (m_storage.BeginRead(
            descending ? channel_sql::kCameraListDescending : channel_sql::kCameraListAscending,
            {cellType, cellId})) {
        while (m_storage.ReadNext()) {
            CAMERA_INFO* camera = of_newCameraInfo();
            if (camera == nullptr) break;  // the records linked so far stay
            std::memset(static_cast<void*>(camera), 0, sizeof *camera);
            ReadCameraRow(camera, enciphered);
            appender.Append(camera);
        }
    }
    m_storage.EndRead();
    return appender.HasRecords();
}

bool CameraTable::GetCameraByID(CAMERA_INFO* out, int id) {
    return ReadOneCamera(out, channel_sql::kCameraById, {id});
}

bool CameraTable::CheckCameraPrivilegeByID(int privilegeType, int id, bool* allowed) {
    if (allowed == nullptr) return false;
    CAMERA_INFO camera;
    std::memset(static_cast<void*>(&camera), 0, sizeof camera);
    if (!m_storage.BeginRead(channel_sql::kCameraById, {id})) {
        m_storage.EndRead();
        *allowed = false;
        return false;
    }
    if (m_storage.ReadNext()) ReadCameraRow(&camera, false);  // only PRIVILEGE is used
    m_storage.EndRead();
    // A camera that is not stored keeps an empty PRIVILEGE and is allowed nothing.
    *allowed = GrantsPrivilege(camera, privilegeType);
    return true;
}

bool CameraTable::CheckCameraPrivilegeByIndexCode(int privilegeType, const char* indexCode,
                                                bool* allowed) {
    if (allowed == nullptr) return false;
    CAMERA_INFO camera;
    std::memset(static_cast<void*>(&camera), 0, sizeof camera);
    *allowed = false;
    // This slot takes codes of up to 79 characters. One longer than a field names no
    // stored camera, which is allowed nothing: no query is needed.
    if (indexCode == nullptr ||
        ::strnlen(indexCode, kPrivilegeCodeMaxLength + 1) > kPrivilegeCodeMaxLength)
        return false;
    if (!FitsIndexCodeField(indexCode)) return true;
    if (!m_storage.BeginRead(channel_sql::kCameraByIndexCode, {std::string(indexCode)})) {
        m_storage.EndRead();
        return false;
    }
    if (m_storage.ReadNext()) ReadCameraRow(&camera, false);  // only PRIVILEGE is used
    m_storage.EndRead();
    *allowed = GrantsPrivilege(camera, privilegeType);
    return true;
}

// The list belongs to the caller, who frees it with FreeCameraList.
bool CameraTable::GetCameraListByIDs(CAMERA_INFO** out, const char* ids) {
    if (out == nullptr || ids == nullptr) return false;
    std::vector<int> identifiers;
    for (const std::string& piece : SplitAtCommas(ids))
        identifiers.push_back(ParseIdentifier(piece));
    if (identifiers.empty()) return false;

    const bool enciphered = m_settings.TransPathEnciphered();
    ListAppender<CAMERA_INFO> appender(out);
    bool produced = false;
    for (int id : identifiers) {  // a repeated identifier yields a record each time
        if (m_storage.BeginRead(channel_sql::kCameraById, {id}) && m_storage.ReadNext()) {
            if (CAMERA_INFO* camera = of_newCameraInfo()) {
                std::memset(static_cast<void*>(camera), 0, sizeof *camera);
                ReadCameraRow(camera, enciphered);
                appender.Append(camera);
                produced = true;
            }
        }
        m_storage.EndRead();
    }
    return produced;
}

bool CameraTable::GetCameraByIndexCode(CAMERA_INFO* out, const char* indexCode) {
    if (!FitsIndexCodeField(indexCode)) return false;
    return ReadOneCamera(out, channel_sql::kCameraByIndexCode, {std::string(indexCode)});
}

// The list belongs to the caller, who frees it with FreeCameraList. `notFound` gets
// each code without a record, followed by ",".
bool CameraTable::GetCameraListByIndexCodes(CAMERA_INFO** out, const char* codes,
                                          std::string* notFound) {
    if (out == nullptr || notFound == nullptr) return false;
    notFound->clear();
    if (codes == nullptr) return false;
    const std::vector<std::string> pieces = SplitAtCommas(codes);
    if (pieces.empty()) return false;

    const bool enciphered = m_settings.TransPathEnciphered();
    ListAppender<CAMERA_INFO> appender(out);
    bool produced = false;
    for (const std::string& code : pieces) {
        if (!FitsIndexCodeField(code.c_str())) {  // can name no camera
            *notFound += code + ",";
            continue;
        }
        if (m_storage.BeginRead(channel_sql::kCameraByIndexCode, {code})) {
            CAMERA_INFO* camera = m_storage.ReadNext() ? of_newCameraInfo() : nullptr;
            if (camera != nullptr) {
                std::memset(static_cast<void*>(camera), 0, sizeof *camera);
                ReadCameraRow(camera, enciphered);
                appender.Append(camera);
                produced = true;
            } else {
                *notFound += code + ",";
            }
        }
        m_storage.EndRead();  // a code whose statement did not open is not listed
    }
    return produced;
}

bool CameraTable::GetCameraByMatrixCode(CAMERA_INFO* out, int matrixCode) {
    return ReadOneCamera(out, channel_sql::kCameraByMatrixCode, {matrixCode});
}

void CameraTable::ReadCameraRow(CAMERA_INFO* out, bool transPathEnciphered) {
    std::string text;
    int status = 0;
    m_storage.ReadIntegerByIndex(kId, out->ID);
    m_storage.ReadIntegerByIndex(kDevId, out->DEVID);
    m_storage.ReadIntegerByIndex(kCellId, out->CELLID);
    m_storage.ReadIntegerByIndex(kCellType, out->CELLTYPE);
    m_storage.ReadIntegerByIndex(kChannelNo, out->CHANNELNO);
    CopyToField(out->INDEXCODE, ColumnText(m_storage, kIndexCode, text));
    CopyNameToField(out->CAMNAME, ColumnText(m_storage, kCamName, text));
    m_storage.ReadIntegerByIndex(kCamType, out->CAMTYPE);
    CopyToField(out->MATRIXCODE, ColumnText(m_storage, kMatrixCode, text));
    m_storage.ReadIntegerByIndex(kSeqIndex, out->SEQINDEX);
    m_storage.ReadIntegerByIndex(kStatus, status);
    out->STATUS = status == 1;  // a raw status such as 2 reads back offline
    CopyToField(out->RECLOC, ColumnText(m_storage, kRecLoc, text));
    CopyToField(out->PRIVILEGE, ColumnText(m_storage, kPrivilege, text));
    m_storage.ReadIntegerByIndex(kCascadId, out->CASCADID);
    m_storage.ReadIntegerByIndex(kVrmId, out->VRMID);
    m_storage.ReadIntegerByIndex(kVtduId, out->VTDUID);
    m_storage.ReadIntegerByIndex(kVagId, out->VAGID);
    CopyToField(out->DEVTAG, ColumnText(m_storage, kDevTag, text));
    CopyToField(out->RECGUID, ColumnText(m_storage, kRecGuid, text));
    CopyToField(out->MULTIIP, ColumnText(m_storage, kMultiIp, text));
    std::string transPath = ColumnText(m_storage, kTransPath, text);  // kept if Decrypt fails
    if (transPathEnciphered) Decrypt(&text, &transPath, &m_key, 0);
    CopyToField(out->TRANSPATH, transPath);
    m_storage.ReadIntegerByIndex(kTransCnt, out->TRANSCNT);
    m_storage.ReadIntegerByIndex(kMod, out->MOD);
}
