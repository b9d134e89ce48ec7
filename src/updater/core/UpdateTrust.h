// What the updater trusts: the public key that setup packages must be
// signed with, and the certificates HTTPS servers are checked against.
#pragma once

#include <string>

namespace kq {

struct CUpdateTrust {
    std::string m_strPublicKey;  // Ed25519, hex or base64; empty: nothing verifies
    std::string m_strCaFile;     // extra certificates; empty: the system's store only
};

// The shipped programs' trust: the key built in (cache variable
// KQ_UPDATE_PUBLIC_KEY) and the system's certificate store. Tests link a
// definition of their own instead of this file.
CUpdateTrust BuiltInUpdateTrust();

}  // namespace kq
