// Crowd folders and resources: folder names by id, resources of a folder, and the
// folders a resource is filed in.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "store_test_support.h"

namespace {

using org_test::Linked;
using org_test::SetText;
using org_test::TakeList;

CROWD_FOLDER CrowdFolder(int32_t id, const std::string& name) {
    CROWD_FOLDER folder;
    std::memset(&folder, 0, sizeof folder);
    folder.id = id;
    SetText(folder.name, name);
    return folder;
}

CROWD_RES CrowdResource(int32_t resId, int32_t resType, const std::string& name) {
    CROWD_RES resource;
    std::memset(&resource, 0, sizeof resource);
    resource.resId = resId;
    resource.resType = resType;
    SetText(resource.name, name);
    return resource;
}

class CrowdDataTest : public store_test::FaultSafeTest {
protected:
    void DepositFolders(std::vector<CROWD_FOLDER> folders) {
        m_store.SetCrowdFolderList(Linked(folders));
    }
    void DepositResources(std::vector<CROWD_RES> resources, int folderId) {
        m_store.SetCrowdResList(Linked(resources), folderId);
    }

    // (folder id, name) of every folder holding the resource.
    std::vector<std::pair<int, std::string>> FoldersOf(int resType, int resId) {
        CROWD_FOLDER* head = nullptr;
        EXPECT_TRUE(m_store.GetCrowdFolderListByRes(resType, resId, &head));
        std::vector<std::pair<int, std::string>> folders;
        for (const CROWD_FOLDER& folder : TakeList(head))
            folders.emplace_back(folder.id, folder.name);
        return folders;
    }

    CDataOper m_store;
};

using CrowdFolderLookup = CrowdDataTest;

TEST_F(CrowdFolderLookup, FirstDepositedCopyOfAnIdIsReturnedWithTheCallersNextKept) {
    DepositFolders({CrowdFolder(4, "first"), CrowdFolder(4, "second")});
    CROWD_FOLDER out;
    std::memset(&out, 0x61, sizeof out);
    CROWD_FOLDER* const marker = &out;
    out.next = marker;
    ASSERT_TRUE(m_store.GetCrowdFolderByID(4, &out));
    EXPECT_EQ(out.id, 4);
    EXPECT_STREQ(out.name, "first");
    EXPECT_EQ(out.next, marker);

    const CROWD_FOLDER before = out;
    EXPECT_FALSE(m_store.GetCrowdFolderByID(5, &out));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
}

TEST_F(CrowdFolderLookup, UnterminatedNameComesBackWith259CharactersAndATerminator) {
    CROWD_FOLDER folder = CrowdFolder(1, "");
    std::memset(folder.name, 'z', sizeof folder.name);
    DepositFolders({folder});
    CROWD_FOLDER out;
    ASSERT_TRUE(m_store.GetCrowdFolderByID(1, &out));
    EXPECT_EQ(std::string(out.name), std::string(259, 'z'));
}

using CrowdResourceList = CrowdDataTest;

TEST_F(CrowdResourceList, NullDepositFilesAnEmptySequence) {
    CROWD_RES* head = nullptr;
    EXPECT_FALSE(m_store.GetCrowdResList(3, &head));
    m_store.SetCrowdResList(nullptr, 3);
    EXPECT_TRUE(m_store.GetCrowdResList(3, &head));
    EXPECT_EQ(head, nullptr);
}

TEST_F(CrowdResourceList, SameListTwiceIsListedTwiceWithZeroFilledBoundedCopies) {
    CROWD_RES longName = CrowdResource(2, 6, "");
    std::memset(longName.name, 'n', sizeof longName.name);
    std::vector<CROWD_RES> resources{CrowdResource(1, 5, "one"), longName};
    DepositResources(resources, 3);
    DepositResources(resources, 3);
    CROWD_RES* head = nullptr;
    ASSERT_TRUE(m_store.GetCrowdResList(3, &head));
    const std::vector<CROWD_RES> listed = TakeList(head);
    ASSERT_EQ(listed.size(), 4u);
    CROWD_RES expectedOne = CrowdResource(1, 5, "one");
    CROWD_RES expectedLong = CrowdResource(2, 6, std::string(259, 'n'));
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_TRUE(org_test::SameRecord(listed[i], i % 2 ? expectedLong : expectedOne)) << i;
}

using CrowdFoldersByResource = CrowdDataTest;

TEST_F(CrowdFoldersByResource, FoldersComeInAscendingIdWithTheirNames) {
    DepositFolders({CrowdFolder(7, "seven"), CrowdFolder(3, "three")});
    DepositResources({CrowdResource(1, 5, "x")}, 7);
    DepositResources({CrowdResource(2, 5, "y"), CrowdResource(1, 5, "x")}, 3);
    DepositResources({CrowdResource(1, 6, "other type")}, 2);
    DepositResources({CrowdResource(1, 5, "x")}, 9);  // no such crowd folder: empty name
    EXPECT_EQ(FoldersOf(5, 1),
              (std::vector<std::pair<int, std::string>>{{3, "three"}, {7, "seven"}, {9, ""}}));
    EXPECT_TRUE(FoldersOf(5, 4).empty());
}

TEST_F(CrowdFoldersByResource, FolderHoldingTheResourceTwiceIsListedTwice) {
    DepositResources({CrowdResource(1, 5, "x"), CrowdResource(1, 5, "x")}, 3);
    EXPECT_EQ(FoldersOf(5, 1).size(), 2u);
}

TEST_F(CrowdFoldersByResource, ClearAllEmptiesFoldersAndResources) {
    DepositFolders({CrowdFolder(3, "three")});
    DepositResources({CrowdResource(1, 5, "x")}, 3);
    m_store.ClearAll();
    CROWD_FOLDER out;
    EXPECT_FALSE(m_store.GetCrowdFolderByID(3, &out));
    EXPECT_TRUE(FoldersOf(5, 1).empty());
    CROWD_RES* head = nullptr;
    EXPECT_FALSE(m_store.GetCrowdResList(3, &head));
}

}  // namespace
