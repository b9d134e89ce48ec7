// Downloading one address to one file with a progress window, over a small
// HTTP client interface (libcurl on POSIX, WinINet on Windows).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kq {

inline constexpr char16_t kUpdateTitle[] = u"远舟在线升级工具";

// Receives one response. Returning false from either call aborts it.
class IDownloadSink {
public:
    virtual ~IDownloadSink() = default;
    // Once, before any body byte: the status and Content-Length (0 when absent).
    virtual bool OnResponse(int nStatus, uint64_t nContentLength) = 0;
    virtual bool OnData(const char* data, size_t size) = 0;
};

class IDownloader {
public:
    virtual ~IDownloader() = default;
    // GET without following redirections, headers "Accept: text/*" and
    // "User-Agent:HttpClient", proxies as the system configures them. 0 when
    // the whole body arrived (a body shorter than its Content-Length is an
    // error); otherwise non-zero with the error text.
    virtual int Get(const std::string& url, IDownloadSink& sink, std::string& error) = 0;
};

// libcurl on POSIX, WinINet on Windows.
std::unique_ptr<IDownloader> CreateSystemDownloader();

// The progress window ("正在下载升级程序"): modeless, driven between blocks.
class IProgressWindow {
public:
    virtual ~IProgressWindow() = default;
    virtual void Open(const std::u16string& caption, const std::u16string& status, int nLow, int nHigh) = 0;
    virtual void StepIt() = 0;
    virtual void SetPercentText(const std::u16string& text) = 0;
    // Lets pending window messages run.
    virtual void PumpMessages() = 0;
    // True once for each press of "取消".
    virtual bool TakeCancelRequest() = 0;
    virtual void Close() = 0;
};

struct CDownloadRequest {
    std::u16string m_strUrl;
    std::u16string m_strTarget;
    std::u16string m_strProductName;  // caption values
    std::u16string m_strVersionText;
    IProgressWindow* m_pProgress = nullptr;  // none: no window
    // A setup program must come with a 2xx status; a version file is taken
    // whatever the status.
    bool m_bRequireSuccess = false;
};

// Responses longer than this show the progress window.
inline constexpr uint64_t kProgressThreshold = 10240;
inline constexpr size_t kDownloadBlock = 1024;

// 1 when the whole response is in the target file, 0 on failure or cancel.
// The file appears under its name only when complete.
int DownloadFile(IDownloader& downloader, const CDownloadRequest& request);

// Splits an http or https address; false for any other or a malformed one.
struct CHttpAddress {
    bool m_bSecure = false;
    std::string m_strHost;
    int m_nPort = 0;
    std::string m_strObject;  // "/" when the address has no path
};
bool ParseHttpAddress(std::u16string_view url, CHttpAddress& address);

}  // namespace kq
