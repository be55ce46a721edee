// The object factory returning null at its k-th call, for every k over a list query of
// each kind of builder (once, and from k on): each list is built as its contract says, the
// records already linked stay the caller's, and (in the sanitizer build) nothing leaks.
// The cached-record builders of cells, folders, resources and views share AppendCopy; the
// child cells and view nodes stand for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <iostream>

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::Cell;
using chan_test::Io;
using chan_test::Linked;
using chan_test::Org;
using chan_test::TakeList;
using chan_test::Talk;

// What a builder does when the factory gives no record.
enum class OnNull {
    kSkip,            // builders over cached records: that element is left out
    kStop,            // builders over database rows: the list ends there
    kSkipRestOfGroup  // the crowd folders of a resource: the rest of that folder's filings
};

using S = CDataOper;
using Run = std::function<std::vector<int32_t>(S&, bool&)>;

struct ListQuery {
    const char* name;
    OnNull onNull;
    bool resultMeansList;  // the result says whether the list holds a record
    Run run;               // gives the records' keys
};

// Runs `query` and gives the `key` of each record listed, freeing the list.
template <class Record, class Query>
Run Lister(Query query, int32_t Record::*key) {
    return [query, key](S& store, bool& result) {
        Record* head = nullptr;
        result = query(store, &head);
        std::vector<int32_t> keys;
        for (const Record& record : TakeList(head)) keys.push_back(record.*key);
        return keys;
    };
}

// The same for a query whose list head is its first parameter.
template <class Record, class... Params, class... Args>
Run Lister(bool (S::*query)(Record**, Params...), int32_t Record::*key, Args... args) {
    return Lister([=](S& s, Record** h) { return (s.*query)(h, args...); }, key);
}

std::vector<ListQuery> Queries() {
    return {
        {"GetChildCellList", OnNull::kSkip, true,
         Lister(&S::GetChildCellList, &CELL_INFO::id, 1, 1)},
        {"GetUserOrgList", OnNull::kSkip, true, Lister(&S::GetUserOrgList, &USER_ORG::orgId, 3)},
        {"GetCustomViewOrgList", OnNull::kSkip, true,
         Lister(&S::GetCustomViewOrgList, &CUSTOM_VIEW_ORG::id, 6)},
        {"GetCrowdResList", OnNull::kSkip, false,
         Lister([](S& s, CROWD_RES** h) { return s.GetCrowdResList(1, h); }, &CROWD_RES::resId)},
        {"GetCrowdFolderListByRes", OnNull::kSkipRestOfGroup, false,
         Lister([](S& s, CROWD_FOLDER** h) { return s.GetCrowdFolderListByRes(1, 7, h); },
                &CROWD_FOLDER::id)},
        {"GetCameraList", OnNull::kStop, true, Lister(&S::GetCameraList, &CAMERA_INFO::ID, 2, 4)},
        {"GetCameraListByIDs", OnNull::kSkip, true,
         Lister(&S::GetCameraListByIDs, &CAMERA_INFO::ID, "3,1,9,2,1")},
        {"GetCameraListByIndexCodes", OnNull::kSkip, true,
         Lister(
             [](S& s, CAMERA_INFO** h) {
                 std::string notFound;
                 const bool result =
                     s.GetCameraListByIndexCodes(h, "CAM-2,CAM-9,CAM-1,CAM-3", &notFound);
                 // Each code comes back either as a record or in notFound.
                 auto answered = std::count(notFound.begin(), notFound.end(), ',');
                 for (CAMERA_INFO* r = *h; r != nullptr; r = r->next) ++answered;
                 EXPECT_EQ(answered, 4) << notFound;
                 return result;
             },
             &CAMERA_INFO::ID)},
        {"GetIOList", OnNull::kStop, true, Lister(&S::GetIOList, &IO_INFO::ID, 4)},
        {"GetTalkChannelList", OnNull::kStop, true,
         Lister(&S::GetTalkChannelList, &TALK_CHANNEL::ID, 4)},
    };
}

// The list expected when the factory fails at element `k` (and, with `fromThenOn`,
// at every later one too).
std::vector<int32_t> Expected(const std::vector<int32_t>& clean, std::size_t k, OnNull onNull,
                              bool fromThenOn) {
    if (fromThenOn || onNull == OnNull::kStop)
        return std::vector<int32_t>(clean.begin(), clean.begin() + static_cast<long>(k));
    std::vector<int32_t> expected;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        if (i == k) continue;
        if (onNull == OnNull::kSkipRestOfGroup && i > k && clean[i] == clean[k]) continue;
        expected.push_back(clean[i]);
    }
    return expected;
}

using FactoryFaultSweep = chan_test::ChannelTest;

TEST_F(FactoryFaultSweep, EveryListIsBuiltAsItsContractSaysWhicheverRecordCannotBeMade) {
    std::vector<CELL_INFO> cells = {Cell(1, 0, "root"), Cell(2, 1, "b", 1, 2),
                                    Cell(3, 1, "a", 1, 1), Cell(4, 0, "sub", 2, 0, 1),
                                    Cell(5, 1, "c", 1, 3)};
    m_store.SetCellList(Linked(cells));
    std::vector<USER_ORG> orgs = {Org(11, 0, 0, 3), Org(12, 0, 0, 4), Org(13, 0, 0, 3),
                                  Org(14, 0, 0, 3)};
    m_store.SetUserOrgList(Linked(orgs));
    std::vector<CUSTOM_VIEW_ORG> nodes = {
        {51, 6, {}, 3, nullptr}, {52, 6, {}, 2, nullptr}, {53, 6, {}, 1, nullptr}};
    // Resource 7 (type 1) is filed twice under crowd folder 1 and once under folder 3.
    std::vector<CROWD_FOLDER> crowdFolders = {{1, {}, nullptr}, {3, {}, nullptr}};
    std::vector<CROWD_RES> crowd = {
        {7, 1, {}, nullptr}, {8, 1, {}, nullptr}, {7, 1, {}, nullptr}, {7, 1, {}, nullptr}};
    m_store.SetCustomViewOrgList(Linked(nodes));
    m_store.SetCrowdFolderList(Linked(crowdFolders));
    m_store.SetCrowdResList(Linked(crowd), 1);
    std::vector<CROWD_RES> crowd3 = {crowd[0]};
    m_store.SetCrowdResList(Linked(crowd3), 3);
    StoreCameras({Camera(1, 4, 2, 3), Camera(2, 4, 2, 1), Camera(3, 4, 2, 2)});
    std::vector<IO_INFO> ios = {Io(71, 4), Io(72, 4), Io(73, 4)};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    std::vector<TALK_CHANNEL> talks = {Talk(81, 4), Talk(82, 4), Talk(83, 4)};
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));

    long injected = 0;
    for (const ListQuery& query : Queries()) {
        SCOPED_TRACE(query.name);
        bool result = false;
        vellum::fault::ObjFactory().Arm(LONG_MAX, 0);
        const std::vector<int32_t> clean = query.run(m_store, result);
        const std::size_t calls = static_cast<std::size_t>(vellum::fault::ObjFactory().Calls());
        ASSERT_GE(clean.size(), 3u) << "every query lists several records";
        ASSERT_EQ(calls, clean.size()) << "one factory call per record";
        for (bool fromThenOn : {false, true}) {
            for (std::size_t k = 0; k < calls; ++k) {
                SCOPED_TRACE("call " + std::to_string(k) + (fromThenOn ? " and later" : ""));
                vellum::fault::ObjFactory().Arm(static_cast<long>(k), fromThenOn ? -1 : 1);
                const std::vector<int32_t> got = query.run(m_store, result);
                ++injected;
                EXPECT_EQ(got, Expected(clean, k, query.onNull, fromThenOn));
                EXPECT_EQ(result, !query.resultMeansList || !got.empty());
            }
        }
        vellum::fault::ObjFactory().Disarm();
        EXPECT_EQ(query.run(m_store, result), clean) << "a failed factory call changes nothing";
    }
    std::cout << "[ figures  ] object factory faults injected: " << injected << " over "
              << Queries().size() << " list queries\n";
}

}  // namespace
