#include "updater/core/Signature.h"

#ifndef _WIN32
#include <openssl/evp.h>
#endif

#include <algorithm>

#include "platform/MappedFile.h"

namespace kq {

namespace {

std::string_view Trim(std::string_view text)
{
    const char* space = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// SubjectPublicKeyInfo of an Ed25519 key, up to the 32 key bytes.
constexpr std::string_view kEd25519DerPrefix("\x30\x2a\x30\x05\x06\x03\x2b\x65\x70\x03\x21\x00", 12);

}  // namespace

bool DecodeBase64(std::string_view text, std::string& bytes)
{
    if (text.empty() || text.size() % 4 != 0) return false;
    size_t padding = 0;
    while (padding < 2 && text[text.size() - 1 - padding] == '=') ++padding;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    unsigned int accumulator = 0;
    int bits = 0;
    for (size_t i = 0; i < text.size() - padding; ++i) {
        const int value = Base64Value(text[i]);
        if (value < 0) return false;
        accumulator = (accumulator << 6) | unsigned(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(char((accumulator >> bits) & 0xFF));
        }
    }
    // The bits the padding stands for must be zero, so one text means one key.
    if ((accumulator & ((1u << bits) - 1)) != 0) return false;
    bytes = std::move(out);
    return true;
}

bool ParsePublicKey(std::string_view text, CPublicKey& key)
{
    text = Trim(text);
    std::string bytes;
    if (text.size() == 2 * key.size()) {
        for (size_t i = 0; i < key.size(); ++i) {
            const int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
            if (high < 0 || low < 0) return false;
            bytes.push_back(char(high * 16 + low));
        }
    } else if (!DecodeBase64(text, bytes)) {
        return false;
    }
    if (bytes.size() == kEd25519DerPrefix.size() + key.size() &&
        bytes.compare(0, kEd25519DerPrefix.size(), kEd25519DerPrefix) == 0)
        bytes.erase(0, kEd25519DerPrefix.size());
    if (bytes.size() != key.size()) return false;
    std::copy(bytes.begin(), bytes.end(), key.begin());
    return true;
}

bool ParseSignature(std::string_view bytes, CSignature& signature)
{
    std::string decoded;
    if (bytes.size() == signature.size()) {
        decoded.assign(bytes);
    } else {
        const std::string_view line = Trim(bytes);
        if (line.find_first_of("\r\n") != std::string_view::npos || !DecodeBase64(line, decoded)) return false;
    }
    if (decoded.size() != signature.size()) return false;
    std::copy(decoded.begin(), decoded.end(), signature.begin());
    return true;
}

ESignatureResult VerifySignature(std::string_view message, const CSignature& signature, const CPublicKey& key)
{
#ifdef _WIN32
    (void)message;
    (void)signature;
    (void)key;
    return ESignatureResult::Unsupported;
#else
    EVP_PKEY* pkey = EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size());
    if (!pkey) return ESignatureResult::NoKey;
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    bool valid = context && EVP_DigestVerifyInit(context, nullptr, nullptr, nullptr, pkey) == 1 &&
                 EVP_DigestVerify(context, signature.data(), signature.size(),
                                  reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
    EVP_MD_CTX_free(context);
    EVP_PKEY_free(pkey);
    return valid ? ESignatureResult::Valid : ESignatureResult::Mismatch;
#endif
}

ESignatureResult VerifyFileSignature(std::u16string_view path, std::string_view signatureFile,
                                     std::string_view publicKeyText)
{
    CPublicKey key;
    if (!ParsePublicKey(publicKeyText, key)) return ESignatureResult::NoKey;
    CSignature signature;
    if (!ParseSignature(signatureFile, signature)) return ESignatureResult::BadSignature;
    CMappedFile file;
    if (!file.Open(path)) return ESignatureResult::Unreadable;
    return VerifySignature(file.Bytes(), signature, key);
}

}  // namespace kq
