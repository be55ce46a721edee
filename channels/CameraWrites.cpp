// The camera table's writes: SetCameraList with its log line, and DeleteCameras in
// batches.
#include "channels/CameraTable.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "channels/CameraColumns.h"
#include "channels/ChannelSchema.h"
#include "channels/TextConversion.h"
#include "libs/cipher/Cipher.h"
#include "libs/xlog/xlog.h"
#include "libs/records/RecordText.h"

using namespace camera_columns;

namespace {

constexpr int kCameraLogLevel = 2;

// A list at least this long, deposited into an empty table, builds the camera indexes
// after its rows (one sorted pass each) instead of updating all four per row. Below
// it the schema change, which makes every cached statement prepare again, costs more
// than it saves.
constexpr std::size_t kBulkDepositRows = 1024;

// The host may hand any non-zero byte as true; it is read as a byte, since a bool
// holding another value than 0 or 1 cannot be read as a bool.
bool IsOnline(const CAMERA_INFO& camera) {
    unsigned char status = 0;
    std::memcpy(&status, &camera.STATUS, sizeof status);
    return status != 0;
}

bool HasAtLeast(const CAMERA_INFO* list, std::size_t count) {
    for (; list != nullptr && count > 0; list = list->next) --count;
    return count == 0;
}

bool CameraTableEmpty(CDataStorage& storage) {
    const bool any = storage.BeginRead(channel_sql::kCameraAny) && storage.ReadNext();
    storage.EndRead();
    return !any;
}

// Dropping is only a saving: an index that stays is kept up to date row by row.
void DropCameraIndexes(CDataStorage& storage) {
    for (const auto& index : channel_sql::kCameraIndexes)
        (void)storage.ExecuteSql(std::string("DROP INDEX IF EXISTS ") + index.name + ";");
}

bool CreateCameraIndexes(CDataStorage& storage) {
    for (const auto& index : channel_sql::kCameraIndexes)
        if (storage.ExecuteSql(index.create) != 0) return false;
    return true;
}

}  // namespace

bool CameraTable::SetCameraList(const CAMERA_INFO* list) {
    if (list == nullptr) return false;

    // One transaction and one prepared statement for the whole list. A rejected row
    // (such as a duplicate ID, which keeps the stored row) does not stop the others
    // and is no failure; a transaction that cannot be committed (no database open, a
    // full disk) is. The indexes of a bulk deposit are dropped and made again inside
    // the transaction, so no reader ever sees the table without them.
    const bool encipher = m_settings.TransPathEnciphered();
    const bool logRecords = xlog_enabled(kCameraLogLevel) != 0;
    const bool bulk = m_storage.TransBegin() && HasAtLeast(list, kBulkDepositRows) &&
                      CameraTableEmpty(m_storage);
    if (bulk) DropCameraIndexes(m_storage);
    // A statement that cannot be prepared makes every row's ExecuteBind fail, as a
    // rejected row does; the commit decides the answer.
    (void)m_storage.BeginBind(InsertStatement());
    std::string name;
    std::string transPath;
    for (const CAMERA_INFO* camera = list; camera != nullptr; camera = camera->next) {
        // Text fields are read up to their width even when the host left no NUL. The
        // texts are bound in place: every one outlives the row's ExecuteBind.
        const std::string_view indexCode = FieldView(camera->INDEXCODE);
        const std::string hostName = FieldText(camera->CAMNAME);
        name = AnsiToUtf8(hostName.c_str());
        transPath = FieldText(camera->TRANSPATH);  // a failed Encrypt leaves it plain
        if (encipher) {
            const std::string plain = transPath;
            Encrypt(plain.c_str(), &transPath, &m_key, 0);
        }
        const bool online = IsOnline(*camera);
        m_storage.BindInteger(kId, camera->ID);
        m_storage.BindInteger(kDevId, camera->DEVID);
        m_storage.BindInteger(kCellId, camera->CELLID);
        m_storage.BindInteger(kCellType, camera->CELLTYPE);
        m_storage.BindInteger(kChannelNo, camera->CHANNELNO);
        m_storage.BindTextInPlace(kIndexCode, indexCode);
        m_storage.BindTextInPlace(kCamName, name);
        m_storage.BindInteger(kCamType, camera->CAMTYPE);
        m_storage.BindTextInPlace(kMatrixCode, FieldView(camera->MATRIXCODE));
        m_storage.BindInteger(kSeqIndex, camera->SEQINDEX);
        m_storage.BindInteger(kStatus, online ? 1 : 0);
        m_storage.BindTextInPlace(kRecLoc, FieldView(camera->RECLOC));
        m_storage.BindTextInPlace(kPrivilege, FieldView(camera->PRIVILEGE));
        m_storage.BindInteger(kCascadId, camera->CASCADID);
        m_storage.BindInteger(kVrmId, camera->VRMID);
        m_storage.BindInteger(kVtduId, camera->VTDUID);
        m_storage.BindInteger(kVagId, camera->VAGID);
        m_storage.BindTextInPlace(kDevTag, FieldView(camera->DEVTAG));
        m_storage.BindTextInPlace(kRecGuid, FieldView(camera->RECGUID));
        m_storage.BindTextInPlace(kMultiIp, FieldView(camera->MULTIIP));
        m_storage.BindTextInPlace(kTransPath, transPath);
        m_storage.BindInteger(kTransCnt, camera->TRANSCNT);
        m_storage.BindInteger(kMod, camera->MOD);
        m_storage.BindInteger(kIsGroup, 1);
        (void)m_storage.ExecuteBind();  // a rejected row is no failure (see above)

        if (logRecords)
            xlog_write(kCameraLogLevel, "tvwall",
                       "<%s [%d] - %s> <setData to sqliteDb %s,%s,%d,%d>", ".\\DataOper", 670,
                       "CDataOper::SetCameraList", hostName.c_str(),
                       std::string(indexCode).c_str(), camera->ID, camera->CELLID);
        // The statistics take every record's STATUS, whether or not its row was written.
        m_statistics.NoteDepositedStatus(camera->ID, online);
    }
    m_storage.EndBind();
    if (bulk && !CreateCameraIndexes(m_storage)) {
        // Rows are never committed without their indexes. A rollback that fails too
        // leaves the transaction open for a later COMMIT to end; queries then answer
        // the same by scanning the table.
        (void)m_storage.TransRollback();
        return false;
    }
    return m_storage.TransCommit();
}

bool CameraTable::DeleteCameras(const CAMERA_INFO* list) {
    if (list == nullptr) return false;
    // Identifiers are bound, so a batch is a fixed-size statement that no identifier
    // can overrun; each batch of up to 300 runs in its own transaction.
    std::vector<int32_t> batch;
    batch.reserve(channel_sql::kCameraDeleteBatch);
    for (const CAMERA_INFO* camera = list; camera != nullptr; camera = camera->next) {
        batch.push_back(camera->ID);
        if (batch.size() == channel_sql::kCameraDeleteBatch || camera->next == nullptr) {
            DeleteCameraBatch(batch);
            batch.clear();
        }
    }
    return true;
}

// DeleteCameras answers true for any list, so a batch's results are not examined: a
// batch that cannot run leaves its rows, and without the transaction the DELETE
// commits on its own.
void CameraTable::DeleteCameraBatch(const std::vector<int32_t>& ids) {
    (void)m_storage.TransBegin();
    if (m_storage.BeginBind(channel_sql::CameraDeleteStatement(ids.size()))) {
        for (std::size_t i = 0; i < ids.size(); ++i)
            m_storage.BindInteger(static_cast<int>(i), ids[i]);
        (void)m_storage.ExecuteBind();
        m_storage.EndBind();
    }
    (void)m_storage.TransCommit();
}
