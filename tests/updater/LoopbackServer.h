// The loopback HTTP(S) server of the updater tests (loopback_server.py),
// serving the files of a temporary folder on 127.0.0.1. On Windows, where
// there is no Python, the same plain-HTTP responses come from a thread of the
// test (LoopbackServer_Windows.cpp); TLS is POSIX-only.
#pragma once

#include <cstdint>
#include <string>
#include <thread>

#include "support/TestSupport.h"

namespace kq::test {

class CLoopbackServer {
public:
    // With tls, a certificate for 127.0.0.1 is made for this server only;
    // CaFile() names it for the downloader's options (CDownloaderOptions).
    explicit CLoopbackServer(bool tls = false);
    ~CLoopbackServer();
    CLoopbackServer(const CLoopbackServer&) = delete;
    CLoopbackServer& operator=(const CLoopbackServer&) = delete;

    bool Running() const { return m_nPort > 0; }
    // Puts a file into the served folder.
    void Serve(const std::string& name, const std::string& content) const;
    // "http(s)://127.0.0.1:PORT/<path>", path like "files/Version.txt".
    std::string Url(const std::string& path) const;
    std::string CaFile() const { return m_root.NativePath() + "/cert.pem"; }

private:
    CTempDir m_root;
#ifdef _WIN32
    void ServeConnections();
    uintptr_t m_hListen = ~uintptr_t(0);
    std::thread m_thread;
#else
    int m_nPid = -1;
    int m_hStdin = -1;
#endif
    int m_nPort = 0;
    bool m_bTls = false;
};

}  // namespace kq::test
