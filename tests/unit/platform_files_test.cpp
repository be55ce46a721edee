// File removal by path.
#include "platform/platform.h"
#include "tests/unit/store_test_support.h"

namespace {

TEST(PlatformRemoveFile, DeletesAFileAndReportsAMissingOne) {
    store_test::TempDir dir;
    const std::string path = dir.File("doomed");
    store_test::WriteFile(path, "x");
    EXPECT_TRUE(vellum::platform::RemoveFile(path));
    EXPECT_FALSE(store_test::Exists(path));
    EXPECT_FALSE(vellum::platform::RemoveFile(path));
}

}  // namespace
