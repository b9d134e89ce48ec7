#include <gtest/gtest.h>

#include "updater/core/Signature.h"

namespace kq {
namespace {

// One key in every form a maintainer may paste into KQ_UPDATE_PUBLIC_KEY.
const char kHex[] = "d0f964e8656945c2e4eeca6858a3538bf5d4318d4b02e5355b7c19c1d6a72805";

TEST(Signature, PublicKeyForms)
{
    struct Row {
        const char* text;
        bool ok;
    } rows[] = {
        {kHex, true},
        {"D0F964E8656945C2E4EECA6858A3538BF5D4318D4B02E5355B7C19C1D6A72805\n", true},
        {"0Plk6GVpRcLk7spoWKNTi/XUMY1LAuU1W3wZwdanKAU=", true},                      // the 32 bytes
        {"MCowBQYDK2VwAyEA0Plk6GVpRcLk7spoWKNTi/XUMY1LAuU1W3wZwdanKAU=", true},      // the PEM line
        {"MCowBQYDK2VwAyEA0Plk6GVpRcLk7spoWKNTi/XUMY1LAuU1W3wZwdanKAU", false},      // padding cut
        {"0Plk6GVpRcLk7spoWKNTi/XUMY1LAuU1W3wZwdanKAV=", false},                     // stray bits
        {"d0f964e8656945c2e4eeca6858a3538bf5d4318d4b02e5355b7c19c1d6a7280", false},  // 63 digits
        {"g0f964e8656945c2e4eeca6858a3538bf5d4318d4b02e5355b7c19c1d6a72805", false},
        {"", false},
    };
    for (const auto& row : rows) {
        CPublicKey key{};
        ASSERT_EQ(ParsePublicKey(row.text, key), row.ok) << row.text;
        if (row.ok) {
            EXPECT_EQ(key[0], 0xd0);
            EXPECT_EQ(key[31], 0x05);
        }
    }
}

TEST(Signature, SignatureForms)
{
    const std::string raw(64, '\x7f');
    std::string base64;
    for (int i = 0; i < 21; ++i) base64 += "f39/";
    base64 += "fw==";
    struct Row {
        std::string bytes;
        bool ok;
    } rows[] = {
        {raw, true},
        {base64, true},
        {base64 + "\r\n", true},
        {raw.substr(1), false},
        {raw + "\n", false},
        {base64.substr(0, 44) + "\n" + base64.substr(44), false},  // one line only
        {"", false},
    };
    for (const auto& row : rows) {
        CSignature signature{};
        ASSERT_EQ(ParseSignature(row.bytes, signature), row.ok) << row.bytes;
        if (row.ok) {
            EXPECT_EQ(std::string(signature.begin(), signature.end()), raw);
        }
    }
}

}  // namespace
}  // namespace kq
