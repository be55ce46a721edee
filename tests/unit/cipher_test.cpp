// Encrypt/Decrypt: round trips, the text form, keys, and what a failure leaves alone.
#include "libs/cipher/Cipher.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string RandomBytes(std::mt19937& generator, std::size_t size, int low, int high) {
    std::uniform_int_distribution<int> byte(low, high);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(byte(generator));
    return bytes;
}

bool IsBase64Text(const std::string& text) {
    if (text.empty() || text.size() % 4 != 0) return false;
    for (char c : text) {
        const bool alphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              (c >= '0' && c <= '9') || c == '+' || c == '/' || c == '=';
        if (!alphabet) return false;
    }
    return true;
}

class CipherTest : public ::testing::Test {
protected:
    std::mt19937 m_generator{20240611u};
    std::string m_key = RandomBytes(m_generator, 32, 0, 255);
};

using CipherRoundTrip = CipherTest;

TEST_F(CipherRoundTrip, EveryLengthFrom0To127ComesBackIntact) {
    for (std::size_t length = 0; length < 128; ++length) {
        const std::string plain = RandomBytes(m_generator, length, 1, 255);  // C text: no NUL
        std::string sealed = plain;
        ASSERT_EQ(Encrypt(plain.c_str(), &sealed, &m_key, 0), 0) << length;
        EXPECT_TRUE(IsBase64Text(sealed)) << sealed;
        std::string opened = "prefilled";
        ASSERT_EQ(Decrypt(&sealed, &opened, &m_key, 0), 0) << length;
        EXPECT_EQ(opened, plain) << length;
    }
}

TEST_F(CipherRoundTrip, TheSameTextEnciphersDifferentlyEachTime) {
    std::string first;
    std::string second;
    ASSERT_EQ(Encrypt("rtsp://10.0.0.1/stream", &first, &m_key, 0), 0);
    ASSERT_EQ(Encrypt("rtsp://10.0.0.1/stream", &second, &m_key, 0), 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.find("rtsp"), std::string::npos);
}

TEST_F(CipherRoundTrip, AKeyWithZeroBytesUsesAllOfThem) {
    for (std::size_t length : {32u, 33u, 16u}) {  // used as it is, and hashed
        std::string key(length, '\0');
        key[length - 1] = 'k';
        std::string sealed;
        ASSERT_EQ(Encrypt("path", &sealed, &key, 0), 0);
        std::string opened;
        ASSERT_EQ(Decrypt(&sealed, &opened, &key, 0), 0);
        EXPECT_EQ(opened, "path");

        std::string differsAfterTheZeros = key;
        differsAfterTheZeros[length - 1] = 'j';
        opened = "untouched";
        EXPECT_NE(Decrypt(&sealed, &opened, &differsAfterTheZeros, 0), 0) << length;
        EXPECT_EQ(opened, "untouched");
    }
}

TEST_F(CipherRoundTrip, KeysOfOtherLengthsWork) {
    const std::string fixedText = "3948-61027354###qoplarvex-kmd907";
    for (const std::string& key :
         {std::string("short"), std::string(), std::string(64, 'z'), fixedText}) {
        std::string sealed;
        ASSERT_EQ(Encrypt("text", &sealed, &key, 0), 0);
        std::string opened;
        ASSERT_EQ(Decrypt(&sealed, &opened, &key, 0), 0);
        EXPECT_EQ(opened, "text");
    }
}

using CipherFailure = CipherTest;

TEST_F(CipherFailure, ATamperedTextLeavesTheOutputUntouched) {
    std::string sealed;
    ASSERT_EQ(Encrypt("camera transport path", &sealed, &m_key, 0), 0);
    for (std::size_t at = 0; at < sealed.size() && sealed[at] != '='; ++at) {
        std::string tampered = sealed;
        tampered[at] = tampered[at] == 'A' ? 'B' : 'A';
        std::string out = "untouched";
        EXPECT_NE(Decrypt(&tampered, &out, &m_key, 0), 0) << at;
        EXPECT_EQ(out, "untouched");
    }
}

TEST_F(CipherFailure, TextThatWasNeverEncipheredStaysAsItIs) {
    std::string sealed;
    ASSERT_EQ(Encrypt("abc", &sealed, &m_key, 0), 0);
    const std::vector<std::string> inputs = {"",
                                             "rtsp://10.0.0.1:554/h264",
                                             "AAAA",
                                             sealed.substr(0, sealed.size() - 4),
                                             sealed + "AAAA",
                                             sealed + " ",
                                             "!!!!" + sealed};
    for (const std::string& in : inputs) {
        std::string out = "untouched";
        EXPECT_NE(Decrypt(&in, &out, &m_key, 0), 0) << in;
        EXPECT_EQ(out, "untouched") << in;
    }
}

TEST_F(CipherFailure, BadArgumentsFailAndLeaveTheOutputUntouched) {
    std::string out = "untouched";
    EXPECT_NE(Encrypt("text", &out, &m_key, 1), 0);
    EXPECT_NE(Encrypt(nullptr, &out, &m_key, 0), 0);
    EXPECT_NE(Encrypt("text", &out, nullptr, 0), 0);
    EXPECT_NE(Encrypt("text", nullptr, &m_key, 0), 0);
    std::string sealed;
    ASSERT_EQ(Encrypt("text", &sealed, &m_key, 0), 0);
    EXPECT_NE(Decrypt(&sealed, &out, &m_key, 1), 0);
    EXPECT_NE(Decrypt(nullptr, &out, &m_key, 0), 0);
    EXPECT_NE(Decrypt(&sealed, &out, nullptr, 0), 0);
    EXPECT_NE(Decrypt(&sealed, nullptr, &m_key, 0), 0);
    EXPECT_EQ(out, "untouched");
}

}  // namespace
