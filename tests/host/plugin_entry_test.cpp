// The plug-in entry points and tables, reached through the exports as the client
// reaches them: plug-in information, entry table, instance table, shared instance.

#include <cstring>

#include "ModuleLoader.h"
#include "plugin_test_support.h"

namespace {

TEST(PluginInfoRecord, IsOneStableEntryWhoseFunctionsAnswerWithItsOwnStringsAndTable) {
    const ModuleTables& module = Module();
    PluginInfoList* list = module.getPluginInfo();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(module.getPluginInfo(), list);
    EXPECT_EQ(list->count, 1);
    ASSERT_NE(list->entries, nullptr);
    const PluginInfo* info = list->entries[0];
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(module.getPluginInfo()->entries[0], info);
    ASSERT_NE(info->name, nullptr);
    ASSERT_NE(info->version, nullptr);
    EXPECT_STREQ(info->name, "Vellum");
    EXPECT_STREQ(info->version, "0.0.1");

    ASSERT_NE(info->funcs, nullptr);
    EXPECT_EQ(info->funcs->GetPluginName(), info->name);
    EXPECT_EQ(info->funcs->GetPluginVersion(), info->version);
    InstanceFuncTable* table = info->funcs->GetInstanceFuncTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(info->funcs->GetInstanceFuncTable(), table);
    EXPECT_NE(table->CreateVellum, nullptr);
    EXPECT_NE(table->DestroyVellum, nullptr);
    EXPECT_NE(table->GetSharedVellum, nullptr);
}

TEST(PluginEntryTableOrder, HoldsInitUninitGetPluginInfoAndGetLastErrorInThatOrder) {
    const ModuleTables& module = Module();
    PluginEntryTable* entries = module.getInstance();
    ASSERT_NE(entries, nullptr);
    EXPECT_EQ(module.getInstance(), entries);
    EXPECT_EQ(entries->XPLUGIN_Init, module.init);
    EXPECT_EQ(entries->XPLUGIN_Uninit, module.uninit);
    EXPECT_EQ(entries->XPLUGIN_GetPluginInfo, module.getPluginInfo);
    EXPECT_EQ(entries->XPLUGIN_GetLastError, module.getLastError);
    EXPECT_EQ(entries->terminator, nullptr);
}

TEST(PluginEntryPoints, InitAndUninitReturnZeroAndMayBeRepeated) {
    const ModuleTables& module = Module();
    EXPECT_EQ(module.init(), 0);
    EXPECT_EQ(module.uninit(), 0);
    EXPECT_EQ(module.uninit(), 0);
    EXPECT_EQ(module.init(), 0);
    EXPECT_EQ(module.getLastError(), 0);
}

TEST(InstanceTableSlots, EachPairOfEqualSizedRecordsSharesOneFunction) {
    const InstanceFuncTable* table = Module().instances;
    EXPECT_EQ(reinterpret_cast<void*>(table->FreeIOInfoList),
              reinterpret_cast<void*>(table->FreeTalkChannelList));
    EXPECT_EQ(reinterpret_cast<void*>(table->FreeCustomViewList),
              reinterpret_cast<void*>(table->FreeCrowdFolderList));
    EXPECT_EQ(reinterpret_cast<void*>(table->FreeCustomViewOrgList),
              reinterpret_cast<void*>(table->FreeCustomViewResList));
    // The record kinds of different sizes each have their own function.
    const void* distinct[] = {
        reinterpret_cast<void*>(table->FreeCellList),
        reinterpret_cast<void*>(table->FreeIOInfoList),
        reinterpret_cast<void*>(table->FreeCrowdResList),
        reinterpret_cast<void*>(table->FreeCustomViewList),
        reinterpret_cast<void*>(table->FreeStoreResList),
        reinterpret_cast<void*>(table->FreeCustomViewOrgList),
        reinterpret_cast<void*>(table->FreeCameraList),
        reinterpret_cast<void*>(table->FreeStoreFolderList),
        reinterpret_cast<void*>(table->FreeUserOrgList),
    };
    for (std::size_t i = 0; i < std::size(distinct); ++i) {
        EXPECT_NE(distinct[i], nullptr) << "slot function " << i;
        for (std::size_t j = i + 1; j < std::size(distinct); ++j)
            EXPECT_NE(distinct[i], distinct[j]) << i << " and " << j;
    }
}

TEST(SharedInstance, EveryCallReturnsOneInstanceThatIsNeverACreatedOne) {
    const InstanceFuncTable* table = Module().instances;
    IVellum* shared = table->GetSharedVellum();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(table->GetSharedVellum(), shared);

    IVellum* created[4];
    for (IVellum*& instance : created) {
        instance = table->CreateVellum();
        ASSERT_NE(instance, nullptr);
        EXPECT_NE(instance, shared);
    }
    EXPECT_EQ(table->GetSharedVellum(), shared);
    for (IVellum* instance : created) table->DestroyVellum(instance);
}

TEST(SharedInstance, IsAWorkingInstanceWhoseUnInitLeavesNothing) {
    plugin_test::TempDir dir;
    IVellum* shared = Module().instances->GetSharedVellum();
    shared->SetHostValue(31);
    ASSERT_TRUE(shared->Init(dir.Path().c_str()));
    EXPECT_EQ(shared->GetHostValue(), 31);
    shared->UnInit();
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(CreatedInstance, EachCallMakesADistinctFreshInstance) {
    const InstanceFuncTable* table = Module().instances;
    IVellum* first = table->CreateVellum();
    IVellum* second = table->CreateVellum();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    first->SetHostValue(5);
    EXPECT_EQ(second->GetHostValue(), 0);
    EXPECT_EQ(second->GetMaxLevel(), -1);
    table->DestroyVellum(first);
    table->DestroyVellum(second);
}

TEST(CreatedInstance, DestroyingNullDoesNothing) {
    Module().instances->DestroyVellum(nullptr);
    EXPECT_EQ(Module().getLastError(), 0);
}

TEST(CreatedInstance, CreateGivesNullWhenMemoryRunsOutAndTheErrorStaysZero) {
#if defined(_WIN32)
    GTEST_SKIP() << "vellum.dll carries its own C++ runtime: this program's operator new "
                    "does not reach it";
#endif
    const InstanceFuncTable* table = Module().instances;
    plugin_test::FailNextNothrowAllocation();
    IVellum* instance = table->CreateVellum();
    const bool failurePending = plugin_test::NothrowFailurePending();
    ASSERT_FALSE(failurePending) << "CreateVellum made no non-throwing allocation";
    EXPECT_EQ(instance, nullptr);
    table->DestroyVellum(instance);
    EXPECT_EQ(Module().getLastError(), 0);

    // Memory is back: creation works again.
    IVellum* next = table->CreateVellum();
    EXPECT_NE(next, nullptr);
    table->DestroyVellum(next);
}

TEST(CreatedInstance, DestroyingAnInitialisedInstanceLeavesItsFile) {
    plugin_test::TempDir dir;
    const InstanceFuncTable* table = Module().instances;
    IVellum* instance = table->CreateVellum();
    ASSERT_TRUE(instance->Init(dir.Path().c_str()));
    table->DestroyVellum(instance);
    // Destruction never UnInits; the file stays behind as an abandoned one.
    EXPECT_FALSE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
