// Setup packages are published with a detached Ed25519 signature beside
// them (the package's address + ".sig"); the updater starts only a package
// whose signature verifies against the public key built into it.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kq {

using CPublicKey = std::array<unsigned char, 32>;
using CSignature = std::array<unsigned char, 64>;

enum class ESignatureResult {
    Valid,
    NoKey,         // the program carries no (usable) public key
    BadSignature,  // not 64 bytes, raw or in base64
    Mismatch,      // well formed, but not made by the key for these bytes
    Unreadable,    // the package could not be read
    Unsupported,   // this build has no Ed25519 verifier
};

// The 32 key bytes from 64 hex digits, from their base64, or from the base64
// of the key's DER form (the line between the PEM markers that
// `openssl pkey -pubout` writes). White space around is ignored.
bool ParsePublicKey(std::string_view text, CPublicKey& key);
// 64 raw bytes, or their base64 on one line.
bool ParseSignature(std::string_view bytes, CSignature& signature);
// Standard base64 with padding; false for anything else.
bool DecodeBase64(std::string_view text, std::string& bytes);

// Checks the file's bytes against the signature file's contents.
ESignatureResult VerifyFileSignature(std::u16string_view path, std::string_view signatureFile,
                                     std::string_view publicKeyText);
// The same for bytes in memory.
ESignatureResult VerifySignature(std::string_view message, const CSignature& signature, const CPublicKey& key);

}  // namespace kq
