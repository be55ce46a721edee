// The list-freeing functions of the instance table: every record of a list built the
// way the object factory builds one is released exactly once, for both record types of
// each shared pair, and a null head is harmless. Lists from real queries are freed in
// SlotGroups.
#include <cstring>
#include <vector>

#include "ModuleLoader.h"
#include "plugin_test_support.h"

namespace {

// Frees a null list, then lists of 1 and 3 records of Record, each its own global operator new
// allocation as the object factory makes them, frees each through `free` and checks
// that every record was released exactly once.
template <class Record, class Argument>
void FreeThrough(void (*free)(Argument*)) {
    // Both types of a pair have one size and their `next` at one offset, so the
    // shared function walks either; the client calls it with whichever it holds.
    static_assert(sizeof(Record) == sizeof(Argument), "a shared slot frees equal-sized records");
    free(nullptr);
    for (int count : {1, 3}) {
        std::vector<const void*> records;
        Record* head = nullptr;
        for (int i = 0; i < count; ++i) {
            auto* record = static_cast<Record*>(::operator new(sizeof(Record)));
            std::memset(static_cast<void*>(record), 0, sizeof(Record));
            record->next = head;
            head = record;
            records.push_back(record);
        }
        plugin_test::WatchReleases(records);
        free(reinterpret_cast<Argument*>(head));
        for (std::size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(plugin_test::Releases(i), 1) << "record " << i << " of " << count;
    }
    plugin_test::WatchReleases({});
}

TEST(ListFreeing, EverySlotReleasesEveryRecordOfItsOwnKindAndOfItsPair) {
    const InstanceFuncTable* t = Module().instances;
    FreeThrough<CELL_INFO>(t->FreeCellList);
    FreeThrough<IO_INFO>(t->FreeIOInfoList);
    FreeThrough<CROWD_RES>(t->FreeCrowdResList);
    FreeThrough<CUSTOM_VIEW>(t->FreeCustomViewList);
    FreeThrough<STORE_RES>(t->FreeStoreResList);
    FreeThrough<CUSTOM_VIEW_ORG>(t->FreeCustomViewOrgList);
    FreeThrough<CAMERA_INFO>(t->FreeCameraList);
    FreeThrough<TALK_CHANNEL>(t->FreeTalkChannelList);
    FreeThrough<CROWD_FOLDER>(t->FreeCrowdFolderList);
    FreeThrough<STORE_FOLDER>(t->FreeStoreFolderList);
    FreeThrough<CUSTOM_VIEW_RES>(t->FreeCustomViewResList);
    FreeThrough<USER_ORG>(t->FreeUserOrgList);
    // The shared slots, called with the other type of their pair.
    FreeThrough<TALK_CHANNEL>(t->FreeIOInfoList);
    FreeThrough<IO_INFO>(t->FreeTalkChannelList);
    FreeThrough<CROWD_FOLDER>(t->FreeCustomViewList);
    FreeThrough<CUSTOM_VIEW>(t->FreeCrowdFolderList);
    FreeThrough<CUSTOM_VIEW_RES>(t->FreeCustomViewOrgList);
    FreeThrough<CUSTOM_VIEW_ORG>(t->FreeCustomViewResList);
}

}  // namespace
