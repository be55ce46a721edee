// File removal by path.
#include "platform/platform.h"
#include "tests/unit/storage_test_support.h"

namespace {

TEST(PlatformRemoveFile, DeletesAFileAndReportsAMissingOne) {
    storage_test::TempDir dir;
    const std::string path = dir.File("doomed");
    storage_test::WriteFile(path, "x");
    EXPECT_TRUE(vellum::platform::RemoveFile(path));
    EXPECT_FALSE(storage_test::Exists(path));
    EXPECT_FALSE(vellum::platform::RemoveFile(path));
}

}  // namespace
