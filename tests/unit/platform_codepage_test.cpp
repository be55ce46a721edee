// Code-page conversion: UTF-8 in the C locale, a single-byte code page where one is
// installed (code page 1252 on Windows, under the test preset's locale), and
// replacement of what does not convert.
#if defined(_WIN32)
#include <windows.h>
#endif

#include <clocale>
#include <memory>
#include <thread>

#include "platform/platform.h"
#include "tests/unit/store_test_support.h"

namespace {

std::string ToUtf8(const std::string& host) {
    std::string out = "stale";
    EXPECT_TRUE(vellum::platform::HostToUtf8(host.c_str(), out)) << host;
    return out;
}

std::string ToHost(const std::string& utf8) {
    std::string out = "stale";
    EXPECT_TRUE(vellum::platform::Utf8ToHost(utf8.c_str(), out)) << utf8;
    return out;
}

using PlatformCodePage = store_test::FaultSafeTest;

#if defined(_WIN32)
TEST_F(PlatformCodePage, ConvertsCodePage1252AndReplacesWhatDoesNotConvert) {
    ASSERT_EQ(GetACP(), 1252u) << "run with an en_US locale, as the test preset does";
    EXPECT_EQ(ToUtf8("Caf\xE9 \x80 Nord"), "Caf\xC3\xA9 \xE2\x82\xAC Nord");
    EXPECT_EQ(ToUtf8("plain"), "plain");
    EXPECT_EQ(ToUtf8(""), "");
    EXPECT_EQ(ToUtf8("\x81"), "\xC2\x81");  // undefined in 1252: kept as the control character
    EXPECT_EQ(ToHost("Caf\xC3\xA9 \xE2\x82\xAC Nord"), "Caf\xE9 \x80 Nord");
    EXPECT_EQ(ToHost("Tokyo \xE6\x9D\xB1\xE4\xBA\xAC !"), "Tokyo ?? !");  // no look-alike
    EXPECT_EQ(ToHost("a\xFF" "b"), "a?b");  // not UTF-8 at all
    EXPECT_EQ(ToHost("\xCE\xA9"), "?");     // a name is never emptied
}
#else
const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Sets LC_CTYPE for the life of the guard and restores the previous one after.
class CtypeLocale {
public:
    explicit CtypeLocale(const char* name) : m_previous(std::setlocale(LC_CTYPE, nullptr)) {
        m_active = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~CtypeLocale() { std::setlocale(LC_CTYPE, m_previous.c_str()); }
    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

// UTF-8 passes through both ways; each invalid sequence is replaced and the rest kept.
TEST_F(PlatformCodePage, InTheCLocalePassesUtf8ThroughAndReplacesEachInvalidSequence) {
    CtypeLocale locale("C");
    ASSERT_TRUE(locale.Active());
    const std::string text =
        "Camera 7 \xE2\x80\x94 Zo\xC3\xAB \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x8E\xA5";
    EXPECT_EQ(ToUtf8(text), text);
    EXPECT_EQ(ToHost(text), text);
    EXPECT_EQ(ToUtf8(""), "");
    const std::string r = kReplacement;
    EXPECT_EQ(ToUtf8("ab\xFF" "cd"), "ab" + r + "cd");
    EXPECT_EQ(ToHost("ab\xFF\xFE" "cd"), "ab" + r + r + "cd");
    EXPECT_EQ(ToUtf8("\xC0\xAF"), r + r);          // overlong '/'
    EXPECT_EQ(ToUtf8("\xED\xA0\x80"), r + r + r);  // surrogate
    EXPECT_EQ(ToUtf8("end\xE6\x9D"), "end" + r);   // cut short: one character
    EXPECT_EQ(ToUtf8("\xE6\x9Dx"), r + "x");
}

// What the code page cannot hold is replaced character by character, and a name is
// never emptied. Descriptors are kept between calls: a conversion cut short by a
// truncated character, a change of locale and back, and one from another thread each
// leave the next conversion as it would be alone.
TEST_F(PlatformCodePage, InLatin1ReplacesWhatItCannotHoldAndEachConversionStandsAlone) {
    std::unique_ptr<CtypeLocale> latin1;
    for (const char* name : {"en_US.ISO-8859-1", "en_US.iso88591", "de_DE.ISO-8859-1",
                             "de_DE.iso88591", "fr_FR.ISO-8859-1", "en_GB.ISO-8859-1"}) {
        latin1 = std::make_unique<CtypeLocale>(name);
        if (latin1->Active()) break;
    }
    if (!latin1->Active()) GTEST_SKIP() << "no ISO-8859-1 locale is installed";
    EXPECT_EQ(ToUtf8("Zo\xEB \xC0 la"), "Zo\xC3\xAB \xC3\x80 la");
    EXPECT_EQ(ToHost("Zo\xC3\xAB \xC3\x80 la"), "Zo\xEB \xC0 la");
    EXPECT_EQ(ToHost("Tokyo \xE6\x9D\xB1\xE4\xBA\xAC !"), "Tokyo ?? !");
    EXPECT_EQ(ToHost("\xCE\xA9"), "?");
    EXPECT_EQ(ToHost("a\xFF" "b"), "a?b");  // not UTF-8 at all

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

#endif

}  // namespace
