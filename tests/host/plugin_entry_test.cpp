// The plug-in entry points and tables, reached through the exports as the client
// reaches them: plug-in information, entry table, instance table, shared instance.
#include <filesystem>

#include "ModuleLoader.h"
#include "plugin_test_support.h"
#include "tests/TempDir.h"

namespace {

TEST(PluginTables, AnswerWithOneStableInfoRecordAndTheEntryPointsInOrder) {
    const ModuleTables& module = Module();
    PluginInfoList* list = module.getPluginInfo();  // not null: Module() read it
    EXPECT_EQ(module.getPluginInfo(), list);
    ASSERT_EQ(list->count, 1);
    const PluginInfo* info = list->entries[0];
    EXPECT_STREQ(info->name, "Vellum");
    EXPECT_STREQ(info->version, "0.0.1");
    EXPECT_EQ(info->funcs->GetPluginName(), info->name);
    EXPECT_EQ(info->funcs->GetPluginVersion(), info->version);
    EXPECT_EQ(info->funcs->GetInstanceFuncTable(), module.instances);

    PluginEntryTable* entries = module.getInstance();
    ASSERT_NE(entries, nullptr);
    EXPECT_EQ(entries->XPLUGIN_Init, module.init);
    EXPECT_EQ(entries->XPLUGIN_Uninit, module.uninit);
    EXPECT_EQ(entries->XPLUGIN_GetPluginInfo, module.getPluginInfo);
    EXPECT_EQ(entries->XPLUGIN_GetLastError, module.getLastError);
    EXPECT_EQ(entries->terminator, nullptr);
    // Init and Uninit answer 0 and may be repeated in any order.
    EXPECT_EQ(module.init(), 0);
    EXPECT_EQ(module.uninit(), 0);
    EXPECT_EQ(module.uninit(), 0);
    EXPECT_EQ(module.init(), 0);

    // Each pair of equal-sized records shares one list-freeing function.
    const InstanceFuncTable* t = module.instances;
    EXPECT_EQ(reinterpret_cast<void*>(t->FreeIOInfoList),
              reinterpret_cast<void*>(t->FreeTalkChannelList));
    EXPECT_EQ(reinterpret_cast<void*>(t->FreeCustomViewList),
              reinterpret_cast<void*>(t->FreeCrowdFolderList));
    EXPECT_EQ(reinterpret_cast<void*>(t->FreeCustomViewOrgList),
              reinterpret_cast<void*>(t->FreeCustomViewResList));
}

// Destroying an initialised created instance never UnInits it: its file stays behind as
// an abandoned one. The shared instance's UnInit leaves nothing.
TEST(Instances, TheSharedOneIsNeverACreatedOneAndOnlyUnInitRemovesTheFile) {
    const InstanceFuncTable* table = Module().instances;
    IVellum* shared = table->GetSharedVellum();
    ASSERT_NE(shared, nullptr);
    IVellum* first = table->CreateVellum();
    IVellum* second = table->CreateVellum();
    EXPECT_NE(first, shared);
    EXPECT_NE(first, second);
    EXPECT_EQ(table->GetSharedVellum(), shared);
    vellum_test::TempDir abandoned;
    ASSERT_TRUE(first->Init(abandoned.Path().c_str()));
    table->DestroyVellum(first);
    table->DestroyVellum(second);
    table->DestroyVellum(nullptr);  // does nothing
    EXPECT_FALSE(std::filesystem::is_empty(abandoned.Path()));

    vellum_test::TempDir dir;
    shared->SetHostValue(31);
    ASSERT_TRUE(shared->Init(dir.Path().c_str()));
    EXPECT_EQ(shared->GetHostValue(), 31);  // only the host's own set changes it
    shared->UnInit();
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(Instances, CreateGivesNullWhenMemoryRunsOutAndTheErrorStaysZero) {
#if defined(_WIN32)
    GTEST_SKIP() << "vellum.dll carries its own C++ runtime: this program's operator new "
                    "does not reach it";
#endif
    const InstanceFuncTable* table = Module().instances;
    plugin_test::FailNextNothrowAllocation();
    IVellum* instance = table->CreateVellum();
    ASSERT_FALSE(plugin_test::NothrowFailurePending()) << "no non-throwing allocation made";
    EXPECT_EQ(instance, nullptr);
    EXPECT_EQ(Module().getLastError(), 0);
    IVellum* next = table->CreateVellum();  // memory is back
    EXPECT_NE(next, nullptr);
    table->DestroyVellum(next);
}

}  // namespace
