#include "LoopbackServer.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>

#include "platform/Text.h"

namespace kq::test {

#ifndef _WIN32

namespace {

// Runs a program to its end with stdout and stderr discarded.
bool RunQuietly(std::vector<std::string> args)
{
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

CLoopbackServer::CLoopbackServer(bool tls) : m_bTls(tls)
{
    // A proxy from the environment must not see loopback requests.
    setenv("no_proxy", "127.0.0.1,localhost", 1);
    m_root.MakeFolder(u"www");
    const std::string dir = m_root.NativePath();
    // The system interpreter: it starts fastest and has what the server needs.
    const char* python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    std::vector<std::string> args = {python, KQ_LOOPBACK_SERVER, "--root", dir + "/www", "--lifetime", "600"};
    if (tls) {
        if (!RunQuietly({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                         "-keyout", dir + "/key.pem", "-out", dir + "/cert.pem", "-days", "1", "-subj", "/CN=127.0.0.1",
                         "-addext", "subjectAltName=IP:127.0.0.1"}))
            return;
        args.insert(args.end(), {"--cert", dir + "/cert.pem", "--key", dir + "/key.pem"});
    }
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    m_nPid = fork();
    if (m_nPid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    m_hStdin = in[1];
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    // The port line comes within seconds or not at all.
    while (m_nPid > 0 && line.find('\n') == std::string::npos && poll(&p, 1, 15000) > 0) {
        char buffer[64];
        ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, size_t(n));
    }
    close(out[0]);
    m_nPort = std::atoi(line.c_str());
}

CLoopbackServer::~CLoopbackServer()
{
    if (m_hStdin >= 0) close(m_hStdin);
    if (m_nPid > 0) {
        kill(m_nPid, SIGTERM);
        waitpid(m_nPid, nullptr, 0);
    }
}

#endif  // !_WIN32

void CLoopbackServer::Serve(const std::string& name, const std::string& content) const
{
    m_root.MakeFile(u"www/" + FromUtf8(name), content);
}

std::string CLoopbackServer::Url(const std::string& path) const
{
    return std::string(m_bTls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_nPort) + "/" + path;
}

}  // namespace kq::test
