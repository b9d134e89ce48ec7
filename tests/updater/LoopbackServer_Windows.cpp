// The loopback server's Windows side: the responses of loopback_server.py
// (plain HTTP only) from one thread of the test program.
#ifdef _WIN32

#include <winsock2.h>
#include <ws2tcpip.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "LoopbackServer.h"
#include "platform/Text.h"

namespace kq::test {

namespace {

void SendAll(SOCKET s, std::string_view bytes)
{
    while (!bytes.empty()) {
        int n = send(s, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20)), 0);
        if (n <= 0) return;  // the client went away
        bytes.remove_prefix(size_t(n));
    }
}

std::string Response(int status, const std::string& headers, std::string_view body)
{
    const char* reason = status == 200 ? "OK" : status == 302 ? "Found" : "Not Found";
    return "HTTP/1.0 " + std::to_string(status) + " " + reason + "\r\n" + headers + "\r\n" + std::string(body);
}

std::string Length(size_t n) { return "Content-Length: " + std::to_string(n) + "\r\n"; }

// One request: the request line and header lines, answered and closed.
void Answer(SOCKET s, const std::string& www)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        request.append(buffer, size_t(n));
    }
    std::istringstream lines(request.substr(0, request.find("\r\n\r\n")));
    std::string line, method, target;
    std::getline(lines, line);
    std::istringstream(line) >> method >> target;
    target = target.substr(0, target.find('?'));
    while (!target.empty() && target.front() == '/') target.erase(0, 1);
    const std::string kind = target.substr(0, target.find('/'));
    if (kind == "headers") {
        std::string body;
        while (std::getline(lines, line)) body += line.substr(0, line.find_last_not_of('\r') + 1) + "\n";
        SendAll(s, Response(200, "Content-Type: text/plain\r\n" + Length(body.size()), body));
        return;
    }
    const size_t slash = target.find('/');
    std::string name = slash == std::string::npos ? "" : target.substr(slash + 1);
    name = name.substr(name.find_last_of('/') + 1);
    const std::filesystem::path file = std::filesystem::path(FromUtf8(www)) / FromUtf8(name);
    std::error_code ec;
    if (kind == "404" || name.empty() || !std::filesystem::is_regular_file(file, ec)) {
        const std::string page = "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>\n";
        SendAll(s, Response(404, "Content-Type: text/html\r\n" + Length(page.size()), page));
        return;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    const std::string body = content.str();
    const std::string type = "Content-Type: application/octet-stream\r\n";
    if (kind == "files") SendAll(s, Response(200, type + Length(body.size()), body));
    else if (kind == "nolength") SendAll(s, Response(200, type, body));
    else if (kind == "short") SendAll(s, Response(200, type + Length(body.size() + 1000), body));
    else if (kind == "redirect") SendAll(s, Response(302, "Location: /files/" + name + "\r\n" + Length(0), ""));
    else SendAll(s, Response(404, Length(0), ""));
}

}  // namespace

CLoopbackServer::CLoopbackServer(bool tls) : m_bTls(tls)
{
    m_root.MakeFolder(u"www");
    if (tls) return;  // no certificate tools here
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(listener);
        return;
    }
    m_hListen = listener;
    m_nPort = ntohs(address.sin_port);
    m_thread = std::thread([this] { ServeConnections(); });
}

void CLoopbackServer::ServeConnections()
{
    const std::string www = m_root.NativePath() + "/www";
    for (;;) {
        SOCKET client = accept(static_cast<SOCKET>(m_hListen), nullptr, nullptr);
        if (client == INVALID_SOCKET) return;  // closed by the destructor
        Answer(client, www);
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}

CLoopbackServer::~CLoopbackServer()
{
    if (m_hListen == ~uintptr_t(0)) return;
    closesocket(static_cast<SOCKET>(m_hListen));
    if (m_thread.joinable()) m_thread.join();
    WSACleanup();
}

}  // namespace kq::test

#endif  // _WIN32
