// Encrypt/Decrypt: round trips, the text form, keys, and what a failure leaves alone.
#include "libs/cipher/Cipher.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

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

}  // namespace
