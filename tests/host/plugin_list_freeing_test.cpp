// The list-freeing functions of the instance table: every record of a list built the
// way the object factory builds one is released exactly once, for both record types of
// each shared pair. Lists from real queries are freed by the per-cache host tests.
#include <cstring>
#include <new>
#include <vector>

#include "ModuleLoader.h"
#include "plugin_test_support.h"

namespace {

using plugin_test::ReleaseWatch;

// A list of `count` records, each its own global operator new allocation, as the
// object factory makes them. The records are watched from the start.
template <class Record>
Record* BuildList(int count, ReleaseWatch& watch) {
    Record* head = nullptr;
    for (int i = count - 1; i >= 0; --i) {
        auto* record = static_cast<Record*>(::operator new(sizeof(Record)));
        std::memset(static_cast<void*>(record), 0, sizeof(Record));
        record->next = head;
        head = record;
        EXPECT_TRUE(watch.Add(record));
    }
    return head;
}

template <class Record>
std::vector<const void*> Addresses(const Record* head) {
    std::vector<const void*> addresses;
    for (const Record* record = head; record != nullptr; record = record->next)
        addresses.push_back(record);
    return addresses;
}

void ExpectEachReleasedOnce(const std::vector<const void*>& records, const ReleaseWatch& watch) {
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(watch.Releases(records[i]), 1) << "record " << i << " of " << records.size();
}

// Builds a list of `count` records of Record, frees it through `free` and checks that
// every record was released exactly once.
template <class Record, class Argument>
void FreeThrough(void (*free)(Argument*), int count) {
    ReleaseWatch watch;
    Record* head = BuildList<Record>(count, watch);
    const std::vector<const void*> records = Addresses(head);
    // Both types of a pair have one size and their `next` at one offset, so the
    // shared function walks either; the client calls it with whichever it holds.
    static_assert(sizeof(Record) == sizeof(Argument), "a shared slot frees equal-sized records");
    free(reinterpret_cast<Argument*>(head));
    ExpectEachReleasedOnce(records, watch);
}

TEST(ListFreeing, ANullHeadDoesNothingInAnySlot) {
    const InstanceFuncTable* t = Module().instances;
    t->FreeCellList(nullptr);
    t->FreeIOInfoList(nullptr);
    t->FreeCrowdResList(nullptr);
    t->FreeCustomViewList(nullptr);
    t->FreeStoreResList(nullptr);
    t->FreeCustomViewOrgList(nullptr);
    t->FreeCameraList(nullptr);
    t->FreeTalkChannelList(nullptr);
    t->FreeCrowdFolderList(nullptr);
    t->FreeStoreFolderList(nullptr);
    t->FreeCustomViewResList(nullptr);
    t->FreeUserOrgList(nullptr);
    EXPECT_EQ(Module().getLastError(), 0);
}

TEST(ListFreeing, EverySlotReleasesEveryRecordOfItsOwnKind) {
    const InstanceFuncTable* t = Module().instances;
    for (int count : {1, 2, 7}) {
        SCOPED_TRACE(count);
        FreeThrough<CELL_INFO>(t->FreeCellList, count);
        FreeThrough<IO_INFO>(t->FreeIOInfoList, count);
        FreeThrough<CROWD_RES>(t->FreeCrowdResList, count);
        FreeThrough<CUSTOM_VIEW>(t->FreeCustomViewList, count);
        FreeThrough<STORE_RES>(t->FreeStoreResList, count);
        FreeThrough<CUSTOM_VIEW_ORG>(t->FreeCustomViewOrgList, count);
        FreeThrough<CAMERA_INFO>(t->FreeCameraList, count);
        FreeThrough<TALK_CHANNEL>(t->FreeTalkChannelList, count);
        FreeThrough<CROWD_FOLDER>(t->FreeCrowdFolderList, count);
        FreeThrough<STORE_FOLDER>(t->FreeStoreFolderList, count);
        FreeThrough<CUSTOM_VIEW_RES>(t->FreeCustomViewResList, count);
        FreeThrough<USER_ORG>(t->FreeUserOrgList, count);
    }
}

TEST(ListFreeing, SharedSlotsReleaseListsOfTheOtherTypeOfTheirPair) {
    const InstanceFuncTable* t = Module().instances;
    for (int count : {1, 5}) {
        SCOPED_TRACE(count);
        FreeThrough<TALK_CHANNEL>(t->FreeIOInfoList, count);
        FreeThrough<IO_INFO>(t->FreeTalkChannelList, count);
        FreeThrough<CROWD_FOLDER>(t->FreeCustomViewList, count);
        FreeThrough<CUSTOM_VIEW>(t->FreeCrowdFolderList, count);
        FreeThrough<CUSTOM_VIEW_RES>(t->FreeCustomViewOrgList, count);
        FreeThrough<CUSTOM_VIEW_ORG>(t->FreeCustomViewResList, count);
    }
}

}  // namespace
