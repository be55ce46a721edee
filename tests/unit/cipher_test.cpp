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

// Twice each: the same text enciphers differently each time.
TEST_F(CipherRoundTrip, EveryLengthFrom0To127ComesBackIntact) {
    for (std::size_t length = 0; length < 128; ++length) {
        const std::string plain = RandomBytes(m_generator, length, 1, 255);  // C text: no NUL
        std::string sealed[2];
        for (std::string& text : sealed) {
            text = plain;
            ASSERT_EQ(Encrypt(plain.c_str(), &text, &m_key, 0), 0) << length;
            EXPECT_TRUE(IsBase64Text(text)) << text;
            std::string opened = "prefilled";
            ASSERT_EQ(Decrypt(&text, &opened, &m_key, 0), 0) << length;
            EXPECT_EQ(opened, plain) << length;
        }
        EXPECT_NE(sealed[0], sealed[1]) << length;
    }
}

// Keys of 32 bytes are used as they are, others hashed; either way every byte counts,
// those after zero bytes too: a key that differs in its last byte does not decipher.
TEST_F(CipherRoundTrip, KeysOfAnyLengthWorkAndEveryByteOfThemCounts) {
    const std::string zeros = std::string(31, '\0') + "k";
    for (const std::string& key :
         {zeros, '\0' + zeros, zeros.substr(16), std::string("short"), std::string(),
          std::string(64, 'z'), std::string("3948-61027354###qoplarvex-kmd907")}) {
        SCOPED_TRACE(key.size());
        std::string sealed;
        ASSERT_EQ(Encrypt("path", &sealed, &key, 0), 0);
        std::string opened;
        ASSERT_EQ(Decrypt(&sealed, &opened, &key, 0), 0);
        EXPECT_EQ(opened, "path");
        if (key.empty()) continue;
        std::string other = key;
        other.back() ^= 1;
        opened = "untouched";
        EXPECT_NE(Decrypt(&sealed, &opened, &other, 0), 0);
        EXPECT_EQ(opened, "untouched");
    }
}

using CipherFailure = CipherTest;

// Each character of an enciphered text changed in turn, cut, lengthened, and texts
// that were never enciphered: none deciphers, and the output stays as it was.
TEST_F(CipherFailure, ATextThatDoesNotDecipherLeavesTheOutputUntouched) {
    std::string sealed;
    ASSERT_EQ(Encrypt("camera transport path", &sealed, &m_key, 0), 0);
    std::vector<std::string> inputs = {"",
                                       "rtsp://10.0.0.1:554/h264",
                                       "AAAA",
                                       sealed.substr(0, sealed.size() - 4),
                                       sealed + "AAAA",
                                       sealed + " ",
                                       "!!!!" + sealed};
    for (std::size_t at = 0; at < sealed.size() && sealed[at] != '='; ++at) {
        inputs.push_back(sealed);
        inputs.back()[at] = sealed[at] == 'A' ? 'B' : 'A';
    }
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
