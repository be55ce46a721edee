// Code-page conversion: UTF-8 in the C locale, a single-byte code page where one is
// installed, and replacement of what does not convert.
#include <clocale>
#include <memory>
#include <thread>

#include "platform/platform.h"
#include "tests/unit/store_test_support.h"

namespace {

using vellum::platform::HostToUtf8;
using vellum::platform::Utf8ToHost;

const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Sets LC_CTYPE for the life of the guard and restores the previous one after.
class CtypeLocale {
public:
    explicit CtypeLocale(const char* name) : m_previous(std::setlocale(LC_CTYPE, nullptr)) {
        m_active = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~CtypeLocale() { std::setlocale(LC_CTYPE, m_previous.c_str()); }
    CtypeLocale(const CtypeLocale&) = delete;
    CtypeLocale& operator=(const CtypeLocale&) = delete;

    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

std::string ToUtf8(const std::string& host) {
    std::string out = "stale";
    EXPECT_TRUE(HostToUtf8(host.c_str(), out)) << host;
    return out;
}

std::string ToHost(const std::string& utf8) {
    std::string out = "stale";
    EXPECT_TRUE(Utf8ToHost(utf8.c_str(), out)) << utf8;
    return out;
}

class PlatformCodePageInCLocale : public store_test::FaultSafeTest {
protected:
    CtypeLocale m_locale{"C"};
};

// UTF-8 passes through both ways; each invalid sequence is replaced and the rest kept.
TEST_F(PlatformCodePageInCLocale, PassesUtf8ThroughAndReplacesEachInvalidSequence) {
    ASSERT_TRUE(m_locale.Active());
    const std::string text =
        "Camera 7 \xE2\x80\x94 Zo\xC3\xAB \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x8E\xA5";
    EXPECT_EQ(ToUtf8(text), text);
    EXPECT_EQ(ToHost(text), text);
    EXPECT_EQ(ToUtf8(""), "");
    const std::string r = kReplacement;
    EXPECT_EQ(ToUtf8("ab\xFF" "cd"), "ab" + r + "cd");
    EXPECT_EQ(ToHost("ab\xFF\xFE" "cd"), "ab" + r + r + "cd");
    EXPECT_EQ(ToUtf8("\xC0\xAF"), r + r);             // overlong '/'
    EXPECT_EQ(ToUtf8("\xED\xA0\x80"), r + r + r);     // surrogate
    EXPECT_EQ(ToUtf8("end\xE6\x9D"), "end" + r);      // cut short: one character
    EXPECT_EQ(ToUtf8("\xE6\x9Dx"), r + "x");
}

class PlatformCodePageInLatin1 : public store_test::FaultSafeTest {
protected:
    void SetUp() override {
        for (const char* name : {"en_US.ISO-8859-1", "en_US.iso88591", "de_DE.ISO-8859-1",
                                 "de_DE.iso88591", "fr_FR.ISO-8859-1", "en_GB.ISO-8859-1"}) {
            m_locale = std::make_unique<CtypeLocale>(name);
            if (m_locale->Active()) return;
        }
        m_locale.reset();
        GTEST_SKIP() << "no ISO-8859-1 locale is installed";
    }
    void TearDown() override {
        m_locale.reset();
        store_test::FaultSafeTest::TearDown();
    }

    std::unique_ptr<CtypeLocale> m_locale;
};

// What the code page cannot hold is replaced character by character.
TEST_F(PlatformCodePageInLatin1, ConvertsBothWaysAndReplacesWhatItCannotHold) {
    EXPECT_EQ(ToUtf8("Zo\xEB \xC0 la"), "Zo\xC3\xAB \xC3\x80 la");
    EXPECT_EQ(ToHost("Zo\xC3\xAB \xC3\x80 la"), "Zo\xEB \xC0 la");
    EXPECT_EQ(ToHost("Tokyo \xE6\x9D\xB1\xE4\xBA\xAC !"), "Tokyo ?? !");
    EXPECT_EQ(ToHost("a\xFF" "b"), "a?b");  // not UTF-8 at all
}

// Descriptors are kept between calls: a conversion cut short by a truncated character,
// a change of locale and back, and one from another thread each leave the next
// conversion as it would be alone.
TEST_F(PlatformCodePageInLatin1, EachConversionIsAsIfItWereTheFirst) {
    EXPECT_EQ(ToHost("cut \xC3"), "cut ?");
    EXPECT_EQ(ToHost("Zo\xC3\xAB"), "Zo\xEB");
    {
        CtypeLocale utf8("C.UTF-8");
        ASSERT_TRUE(utf8.Active());
        EXPECT_EQ(ToHost("Zo\xC3\xAB"), "Zo\xC3\xAB");
    }
    EXPECT_EQ(ToUtf8("Zo\xEB"), "Zo\xC3\xAB");
    std::string fromThread;
    std::thread([&] { fromThread = ToHost("\xC3\x80 la"); }).join();
    EXPECT_EQ(fromThread, "\xC0 la");
    EXPECT_EQ(ToHost("\xC3\x80 la"), "\xC0 la");
}

}  // namespace
