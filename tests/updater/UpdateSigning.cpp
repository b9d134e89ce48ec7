#include "UpdateSigning.h"

#ifndef _WIN32

namespace kq::test {

namespace {
std::string Script() { return std::string(KQ_SOURCE_DIR) + "/tools/sign-update.sh"; }
}  // namespace

CTestSigner::CTestSigner()
{
    const std::string key = m_dir.NativePath() + "/key.pem";
    if (RunProgram("/usr/bin/openssl", {"genpkey", "-algorithm", "ed25519", "-out", key}).m_nExitCode != 0) return;
    CRunResult result = RunProgram(Script(), {"--public", key});
    if (result.m_nExitCode == 0 && result.m_strOut.size() == 65) m_strPublicHex = result.m_strOut.substr(0, 64);
}

std::string CTestSigner::Sign(const std::string& content) const
{
    m_dir.MakeFile(u"package", content);
    if (RunProgram(Script(), {m_dir.NativePath() + "/key.pem", m_dir.NativePath() + "/package"}).m_nExitCode != 0)
        return {};
    return m_dir.ReadFile(u"package.sig");
}

}  // namespace kq::test

#else

namespace kq::test {

// No openssl on Windows: the signer is never ready and signs nothing.
CTestSigner::CTestSigner() = default;
std::string CTestSigner::Sign(const std::string&) const { return {}; }

}  // namespace kq::test

#endif
