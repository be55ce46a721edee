// TALKCHANNEL, the talk channels: the deposit, a cell's channels and the two look-ups.
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call,
// which also covers the storage.
#ifndef VELLUM_CHANNELS_TALKTABLE_H
#define VELLUM_CHANNELS_TALKTABLE_H

#include "libs/storage/DataStorage.h"
#include "vellum/records.h"

class TalkTable {
public:
    // The table, as CREATE TABLE IF NOT EXISTS.
    static constexpr const char kDefinition[] =
        "CREATE TABLE IF NOT EXISTS TALKCHANNEL(ID NUMERIC NOT NULL,DEVID INTEGER NOT NULL,"
        "CELLID INTEGER NOT NULL,CHANNELNO INTEGER NOT NULL,INDEXCODE TEXT NOT NULL,TALKNAME "
        "TEXT NOT NULL,PRIMARY KEY(ID));";

    explicit TalkTable(CDataStorage& storage) : m_storage(storage) {}  // the owner's
    TalkTable(const TalkTable&) = delete;
    TalkTable& operator=(const TalkTable&) = delete;

    bool SetTalkChannelList(const TALK_CHANNEL* list);
    bool GetTalkChannelList(TALK_CHANNEL** list, int cellId);
    bool GetTalkChannelByID(TALK_CHANNEL* talk, int id);
    bool GetTalkChannelByIndexCode(TALK_CHANNEL* talk, const char* indexCode);

private:
    CDataStorage& m_storage;
};

#endif  // VELLUM_CHANNELS_TALKTABLE_H
