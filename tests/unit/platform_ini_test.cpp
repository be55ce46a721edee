// INI integers: case-insensitive names, the leading signed decimal, and defaults.
#include "platform/platform.h"
#include "tests/unit/store_test_support.h"

namespace {

using vellum::platform::ReadIniInt;

class PlatformIni : public store_test::FaultSafeTest {
protected:
    void SetUp() override {
        store_test::WriteFile(m_path,
                                "; settings\n"
                                "[Tvwall]\n"
                                "Version=6731\n"
                                "Negative = -42\n"
                                "Plus=+7\n"
                                "Trailing=12abc\n"
                                "Words=abc\n"
                                "Empty=\n"
                                "Quoted=\"15\"\n"
                                "Twice=1\n"
                                "Twice=2\n"
                                "[ResTree]\n"
                                "camera_index_sort=1\n");
    }

    store_test::TempDir m_dir;
    std::string m_path = m_dir.File("DefCfg.ini");
};

TEST_F(PlatformIni, ReadsAValueUnderItsSection) {
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", "Version", 0), 6731);
    EXPECT_EQ(ReadIniInt(m_path, "ResTree", "camera_index_sort", 0), 1);
}

TEST_F(PlatformIni, MatchesSectionAndKeyNamesWhateverTheirCase) {
    EXPECT_EQ(ReadIniInt(m_path, "TVWALL", "version", 0), 6731);
    EXPECT_EQ(ReadIniInt(m_path, "restree", "CAMERA_INDEX_SORT", 0), 1);
}

TEST_F(PlatformIni, ReadsTheLeadingSignedDecimal) {
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", "Negative", 5), -42);
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", "Plus", 5), 7);
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", "Trailing", 5), 12);
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", "Words", 5), 0);
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", "Quoted", 5), 15);
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", "Twice", 5), 1);
}

TEST_F(PlatformIni, GivesTheDefaultForWhatIsMissing) {
    EXPECT_EQ(ReadIniInt(m_dir.File("absent.ini"), "Tvwall", "Version", 9), 9);
    EXPECT_EQ(ReadIniInt(m_path, "Absent", "Version", 9), 9);
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", "Absent", 9), 9);
    EXPECT_EQ(ReadIniInt(m_path, "ResTree", "Version", 9), 9);  // key of another section
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", "Empty", 9), 9);
    EXPECT_EQ(ReadIniInt(m_path, nullptr, "Version", 9), 9);
    EXPECT_EQ(ReadIniInt(m_path, "Tvwall", nullptr, 9), 9);
}

}  // namespace
