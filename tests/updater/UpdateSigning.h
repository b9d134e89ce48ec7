// Key pairs made for one test, and packages signed the way a maintainer
// signs them (tools/sign-update.sh). POSIX only: it runs openssl.
#pragma once

#include <string>

#include "support/TestSupport.h"

namespace kq::test {

class CTestSigner {
public:
    CTestSigner();
    bool Ready() const { return !m_strPublicHex.empty(); }
    // The public key as -DKQ_UPDATE_PUBLIC_KEY takes it.
    const std::string& PublicKey() const { return m_strPublicHex; }
    // The 64-byte signature of content.
    std::string Sign(const std::string& content) const;

private:
    CTempDir m_dir;
    std::string m_strPublicHex;
};

}  // namespace kq::test
