// The HTTP client on Windows: WinINet with the system's proxy settings.
#ifdef _WIN32

#include <windows.h>
#include <wininet.h>

#include "platform/Text.h"
#include "updater/core/Download.h"

namespace kq {

namespace {

struct CInternetHandle {
    HINTERNET m_h;
    explicit CInternetHandle(HINTERNET h) : m_h(h) {}
    ~CInternetHandle() { if (m_h) InternetCloseHandle(m_h); }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;
};

std::string LastError()
{
    DWORD code = GetLastError();
    return "WinINet error " + std::to_string(code);
}

class CWinInetDownloader : public IDownloader {
public:
    bool Get(const std::string& url, IDownloadSink& sink, std::string& error) override
    {
        CHttpAddress address;
        if (!ParseHttpAddress(FromUtf8(url), address)) {
            error = "bad address";
            return false;
        }
        CInternetHandle session(InternetOpenA("HttpClient", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!session.m_h) return error = LastError(), false;
        CInternetHandle connection(InternetConnectA(session.m_h, address.m_strHost.c_str(),
                                                    INTERNET_PORT(address.m_nPort), nullptr, nullptr,
                                                    INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection.m_h) return error = LastError(), false;
        // A blocked read cannot look at the sink's deadlines; these bound it.
        DWORD timeout = 60000;
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            InternetSetOptionA(connection.m_h, option, &timeout, sizeof timeout);
        DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
        if (address.m_bSecure) flags |= INTERNET_FLAG_SECURE;
        CInternetHandle request(HttpOpenRequestA(connection.m_h, "GET", address.m_strObject.c_str(), nullptr, nullptr,
                                                 nullptr, flags, 0));
        if (!request.m_h) return error = LastError(), false;
        static const char kHeaders[] = "Accept: text/*\r\nUser-Agent:HttpClient\r\n";
        HttpAddRequestHeadersA(request.m_h, kHeaders, DWORD(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        if (!HttpSendRequestA(request.m_h, nullptr, 0, nullptr, 0)) return error = LastError(), false;

        DWORD status = 0, length = 0, size = sizeof(DWORD);
        HttpQueryInfoA(request.m_h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
        size = sizeof(DWORD);
        if (!HttpQueryInfoA(request.m_h, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr))
            length = 0;
        if (!sink.OnResponse(int(status), length)) return error = "aborted", false;

        char buffer[kDownloadBlock];
        uint64_t received = 0;
        for (;;) {
            DWORD got = 0;
            if (!InternetReadFile(request.m_h, buffer, sizeof buffer, &got)) return error = LastError(), false;
            if (got == 0) break;
            received += got;
            if (!sink.OnData(buffer, got) || !sink.OnWait()) return error = "aborted", false;
        }
        if (length > 0 && received < length) return error = "body shorter than Content-Length", false;
        return true;
    }
};

}  // namespace

// WinINet trusts the system's certificate store alone.
std::unique_ptr<IDownloader> CreateSystemDownloader(const CDownloaderOptions&)
{
    return std::make_unique<CWinInetDownloader>();
}

}  // namespace kq

#endif
