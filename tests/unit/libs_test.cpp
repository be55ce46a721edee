// The libraries under libs/: the cipher, and xlog's threshold and destinations.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "libs/cipher/Cipher.h"
#include "libs/xlog/xlog.h"
#include "tests/unit/store_test_support.h"

namespace {

std::string RandomBytes(std::mt19937& generator, std::size_t size, int low, int high) {
    std::uniform_int_distribution<int> byte(low, high);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(byte(generator));
    return bytes;
}

bool IsBase64Text(const std::string& text) {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
    return !text.empty() && text.size() % 4 == 0 &&
           text.find_first_not_of(alphabet) == std::string::npos;
}

class CipherTest : public ::testing::Test {
protected:
    std::mt19937 m_generator{20240611u};
    std::string m_key = RandomBytes(m_generator, 32, 0, 255);
};

// Keys of 32 bytes are used as they are, others hashed; either way every byte counts,
// those after zero bytes too: a key that differs in its last byte does not decipher.
// Twice each: the same text enciphers differently each time.
TEST_F(CipherTest, EveryLengthFrom0To127ComesBackIntactUnderKeysOfAnyLength) {
    const std::string zeros = std::string(31, '\0') + "k";
    const std::string keys[] = {m_key,  zeros, '\0' + zeros, zeros.substr(16), "short",
                                "",     std::string(64, 'z'),
                                "3948-61027354###qoplarvex-kmd907"};
    for (std::size_t length = 0; length < 128; ++length) {
        const std::string& key = keys[length % std::size(keys)];
        SCOPED_TRACE(testing::Message() << length << " bytes, a key of " << key.size());
        const std::string plain = RandomBytes(m_generator, length, 1, 255);  // C text: no NUL
        std::string sealed[2];
        for (std::string& text : sealed) {
            text = plain;
            ASSERT_EQ(Encrypt(plain.c_str(), &text, &key, 0), 0);
            EXPECT_TRUE(IsBase64Text(text)) << text;
            std::string opened = "prefilled";
            ASSERT_EQ(Decrypt(&text, &opened, &key, 0), 0);
            EXPECT_EQ(opened, plain);
        }
        EXPECT_NE(sealed[0], sealed[1]);
        if (key.empty()) continue;
        std::string other = key;
        other.back() ^= 1;
        std::string opened = "untouched";
        EXPECT_NE(Decrypt(&sealed[0], &opened, &other, 0), 0);
        EXPECT_EQ(opened, "untouched");
    }
}

// Each character of an enciphered text changed in turn, cut, lengthened, texts that
// were never enciphered, and bad arguments: none succeeds, and the output stays as it was.
TEST_F(CipherTest, WhatDoesNotDecipherAndBadArgumentsLeaveTheOutputUntouched) {
    std::string sealed;
    ASSERT_EQ(Encrypt("camera transport path", &sealed, &m_key, 0), 0);
    std::vector<std::string> inputs = {"", "rtsp://10.0.0.1:554/h264", "AAAA",
                                       sealed.substr(0, sealed.size() - 4), sealed + "AAAA",
                                       sealed + " ", "!!!!" + sealed};
    for (std::size_t at = 0; at < sealed.size() && sealed[at] != '='; ++at) {
        inputs.push_back(sealed);
        inputs.back()[at] = sealed[at] == 'A' ? 'B' : 'A';
    }
    for (const std::string& in : inputs) {
        std::string out = "untouched";
        EXPECT_NE(Decrypt(&in, &out, &m_key, 0), 0) << in;
        EXPECT_EQ(out, "untouched") << in;
    }
    std::string out = "untouched";
    const int results[] = {
        Encrypt("text", &out, &m_key, 1),   Encrypt(nullptr, &out, &m_key, 0),
        Encrypt("text", &out, nullptr, 0),  Encrypt("text", nullptr, &m_key, 0),
        Decrypt(&sealed, &out, &m_key, 1),  Decrypt(nullptr, &out, &m_key, 0),
        Decrypt(&sealed, &out, nullptr, 0), Decrypt(&sealed, nullptr, &m_key, 0),
    };
    for (std::size_t i = 0; i < std::size(results); ++i) EXPECT_NE(results[i], 0) << i;
    EXPECT_EQ(out, "untouched");
}


using store_test::LogCapture;
using Lines = std::vector<store_test::LogLine>;

TEST(Xlog, LinesBelowTheThresholdAreNeitherTakenNorWritten) {
    const Lines both = {{2, "m", "two 2"}, {3, "m", "three 3"}};
    struct Case {
        int threshold;
        std::vector<int> enabled;  // at levels 2 and 3
        Lines received;
    };
    for (const Case& c : {Case{3, {0, 1}, {both[1]}}, Case{2, {1, 1}, both}, Case{4, {0, 0}, {}}}) {
        SCOPED_TRACE(c.threshold);
        LogCapture log;
        xlog_set_threshold(c.threshold);
        EXPECT_EQ(xlog_threshold(), c.threshold);
        EXPECT_EQ((std::vector<int>{xlog_enabled(2), xlog_enabled(3)}), c.enabled);
        xlog_write(2, "m", "two %d", 2);
        xlog_write(3, "m", "three %s", "3");
        EXPECT_EQ(log.Lines(), c.received);
    }
}

TEST(Xlog, NothingTakesNoLineUntilASinkIsChosenAndALongLineIsCutAt4095Bytes) {
    LogCapture before;
    xlog_set_nothing();
    EXPECT_EQ(xlog_enabled(100), 0);
    xlog_write(100, "m", "dropped");
    LogCapture after;
    const std::string longText(5000, 'x');
    xlog_write(3, "m", "%s", longText.c_str());
    EXPECT_TRUE(before.Lines().empty());
    EXPECT_EQ(after.Lines(), (Lines{{3, "m", longText.substr(0, 4095)}}));
}

TEST(Xlog, FileAndStandardErrorGetLevelModuleAndLine) {
    LogCapture log;
    vellum_test::TempDir dir;
    const std::string path = dir.Path() + "log.txt";
    EXPECT_EQ(xlog_set_file((dir.Path() + "no-such-dir/log.txt").c_str()), 0);
    xlog_write(3, "m", "still to the sink");  // a file that cannot be opened changes nothing
    ASSERT_EQ(xlog_set_file(path.c_str()), 1);
    xlog_write(3, "tvwall", "<%s>", "a");
    xlog_write(4, nullptr, "b");
#if defined(_WIN32)
    const std::string eol = "\r\n";  // a text file, as the platform writes one
#else
    const std::string eol = "\n";
#endif
    EXPECT_EQ(store_test::ReadFile(path), "[3] tvwall: <a>" + eol + "[4] : b" + eol);

    xlog_set_sink(nullptr, nullptr);
    ::testing::internal::CaptureStderr();
    xlog_write(3, "client", "c %d", 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[3] client: c 1\n");
    EXPECT_EQ(log.Lines(), (Lines{{3, "m", "still to the sink"}}));
}

// The environment is read once per process, so each row of the table in
// tests/CMakeLists.txt runs this case in a program of its own, with XLOG_LEVEL /
// XLOG_DEST and the answers expected.
TEST(XlogEnvironment, ThresholdAndDestinationComeFromTheEnvironment) {
    const char* threshold = std::getenv("XLOG_TEST_THRESHOLD");
    const char* enabled = std::getenv("XLOG_TEST_ENABLED_AT_INT_MAX");
    if (threshold == nullptr || enabled == nullptr)
        GTEST_SKIP() << "runs only in a row of the environment table";
    EXPECT_EQ(xlog_threshold(), std::atoi(threshold));
    EXPECT_EQ(xlog_enabled(INT_MAX), std::atoi(enabled));
}

}  // namespace
