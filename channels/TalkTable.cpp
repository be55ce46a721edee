// Talk (two-way audio) channels: the TALKCHANNEL table. Its write is the one channel
// write that reports storage failures.
#include "channels/TalkTable.h"

#include <cstring>

#include "channels/ChannelSchema.h"
#include "channels/ColumnText.h"
#include "channels/IndexCode.h"
#include "channels/TextConversion.h"
#include "libs/objfactory/ObjFactory.h"
#include "libs/records/ListAppender.h"
#include "libs/records/RecordText.h"

namespace {

// TALKCHANNEL's columns in table order: the insert names them in this order and the
// queries select them all, so one position serves both.
enum Column { kId, kDevId, kCellId, kChannelNo, kIndexCode, kTalkName };

// Fills `talk` from the current TALKCHANNEL row, zeroing it first (so `next` is null).
// The table holds CHANNELNO fourth, after DEVID and CELLID; the record second.
// REQUIRES: the instance lock held, a row current.
void ReadTalkChannelRow(CDataStorage& storage, TALK_CHANNEL* talk) {
    std::memset(static_cast<void*>(talk), 0, sizeof *talk);
    std::string text;
    storage.ReadIntegerByIndex(kId, talk->ID);
    storage.ReadIntegerByIndex(kDevId, talk->DEVID);
    storage.ReadIntegerByIndex(kCellId, talk->CELLID);
    storage.ReadIntegerByIndex(kChannelNo, talk->CHANNELNO);
    CopyToField(talk->INDEXCODE, ColumnText(storage, kIndexCode, text));
    CopyNameToField(talk->TALKNAME, ColumnText(storage, kTalkName, text));
}

// The first row of `sql` into `talk`; false and `talk` untouched when there is none.
bool ReadOneTalkChannel(CDataStorage& storage, TALK_CHANNEL* talk, const char* sql,
                        std::initializer_list<SqlParam> params) {
    if (talk == nullptr) return false;
    bool found = false;
    if (storage.BeginRead(sql, params) && storage.ReadNext()) {
        ReadTalkChannelRow(storage, talk);
        found = true;
    }
    storage.EndRead();
    return found;
}

}  // namespace

// True when the list was written and committed. A rejected row (such as a duplicate
// ID, which keeps the stored row) is not a failure; a failed transaction or statement
// is.
bool TalkTable::SetTalkChannelList(const TALK_CHANNEL* list) {
    if (list == nullptr) return false;
    if (!m_storage.TransBegin()) return false;
    if (!m_storage.BeginBind(channel_sql::kTalkInsert)) {
        (void)m_storage.TransCommit();  // ends the empty transaction; false either way
        return false;
    }
    for (const TALK_CHANNEL* talk = list; talk != nullptr; talk = talk->next) {
        m_storage.BindInteger(kId, talk->ID);
        m_storage.BindInteger(kDevId, talk->DEVID);
        m_storage.BindInteger(kCellId, talk->CELLID);
        m_storage.BindInteger(kChannelNo, talk->CHANNELNO);
        m_storage.BindString(kIndexCode, FieldText(talk->INDEXCODE));
        m_storage.BindString(kTalkName, AnsiToUtf8(FieldText(talk->TALKNAME).c_str()));
        (void)m_storage.ExecuteBind();  // a rejected row is no failure
    }
    m_storage.EndBind();
    return m_storage.TransCommit();
}

// The list, in ascending ID order, belongs to the caller, who frees it with
// FreeTalkChannelList.
bool TalkTable::GetTalkChannelList(TALK_CHANNEL** list, int cellId) {
    if (list == nullptr) return false;
    ListAppender<TALK_CHANNEL> appender(list);
    if (m_storage.BeginRead(channel_sql::kTalkListByCell, {cellId})) {
        while (m_storage.ReadNext()) {
            TALK_CHANNEL* talk = of_newTalkChannel();
            if (talk == nullptr) break;  // the records linked so far stay
            ReadTalkChannelRow(m_storage, talk);
            appender.Append(talk);
        }
    }
    m_storage.EndRead();
    return appender.HasRecords();
}

bool TalkTable::GetTalkChannelByID(TALK_CHANNEL* talk, int id) {
    return ReadOneTalkChannel(m_storage, talk, channel_sql::kTalkById, {id});
}

bool TalkTable::GetTalkChannelByIndexCode(TALK_CHANNEL* talk, const char* indexCode) {
    if (!FitsIndexCodeField(indexCode)) return false;
    return ReadOneTalkChannel(m_storage, talk, channel_sql::kTalkByIndexCode,
                              {std::string(indexCode)});
}
