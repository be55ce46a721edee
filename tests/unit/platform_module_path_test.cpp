// The module's own file path: the unit tests link the module's code into their own
// executable, so that executable is the module file here.
#include "platform/platform.h"
#include "tests/TestSystem.h"
#include "tests/unit/store_test_support.h"

namespace {

using PlatformModulePath = store_test::FaultSafeTest;

TEST_F(PlatformModulePath, IsTheAbsolutePathOfTheFileHoldingTheCode) {
    const std::string path = vellum::platform::ModuleFilePath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::path(path).is_absolute()) << path;
    EXPECT_EQ(path, vellum_test::ProgramPath());
}

TEST_F(PlatformModulePath, IsEmptyWhileItsFaultPointIsArmed) {
    vellum::fault::ModulePath().Arm(0, 1);
    EXPECT_TRUE(vellum::platform::ModuleFilePath().empty());
    EXPECT_FALSE(vellum::platform::ModuleFilePath().empty());
}

}  // namespace
