// Downloading one address to one file with a progress window, over a small
// HTTP client interface (libcurl on POSIX, WinINet on Windows).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#ifndef KQ_UPDATE_MAX_PACKAGE_SIZE
#define KQ_UPDATE_MAX_PACKAGE_SIZE 4294967296ULL
#endif

namespace kq {

inline constexpr char16_t kUpdateTitle[] = u"远舟在线升级工具";

// A setup package without a Content-Length stops here (cache variable
// KQ_UPDATE_MAX_PACKAGE_SIZE); a version file at 16 MiB.
inline constexpr uint64_t kMaxPackageBytes = uint64_t(KQ_UPDATE_MAX_PACKAGE_SIZE);
inline constexpr uint64_t kMaxVersionFileBytes = uint64_t(16) << 20;

// Receives one response. Returning false from either call aborts it.
class IDownloadSink {
public:
    virtual ~IDownloadSink() = default;
    // Once, before any body byte: the status and Content-Length (0 when absent).
    virtual bool OnResponse(int nStatus, uint64_t nContentLength) = 0;
    virtual bool OnData(const char* data, size_t size) = 0;
    // While no body byte arrives (connecting, a silent server), at least
    // every kWaitInterval, and between bursts of data.
    virtual bool OnWait() = 0;
};

// How often a waiting download looks at its deadlines and at "取消".
inline constexpr std::chrono::milliseconds kWaitInterval{20};

// Trust beyond what the system gives, for test servers only; the shipped
// programs pass none (BuiltInUpdateTrust).
struct CDownloaderOptions {
    std::string m_strCaFile;  // an extra certificate file for HTTPS
};

class IDownloader {
public:
    virtual ~IDownloader() = default;
    // GET without following redirections, headers "Accept: text/*" and
    // "User-Agent:HttpClient", proxies as the system configures them. True
    // when the whole body arrived (a body shorter than its Content-Length is
    // an error); otherwise false with the error text.
    virtual bool Get(const std::string& url, IDownloadSink& sink, std::string& error) = 0;
};

// libcurl on POSIX, WinINet on Windows.
std::unique_ptr<IDownloader> CreateSystemDownloader(const CDownloaderOptions& options = {});

// The progress window ("正在下载升级程序"): modeless, driven between blocks.
class IProgressWindow {
public:
    virtual ~IProgressWindow() = default;
    virtual void Open(const std::u16string& caption, const std::u16string& status, int nLow, int nHigh) = 0;
    virtual void StepIt() = 0;
    virtual void SetPercentText(const std::u16string& text) = 0;
    // Lets pending window messages run.
    virtual void PumpMessages() = 0;
    // True once for each press of "取消"; may be asked from the download's
    // thread while the window runs on another.
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
    // A body (or a Content-Length) beyond this fails: an endless body must
    // not fill the disk.
    uint64_t m_nMaxBytes = kMaxPackageBytes;
    // The whole download must end within this; zero: no such limit.
    std::chrono::milliseconds m_totalDeadline{0};
    // It fails when fewer than kStallBytes arrive within this.
    std::chrono::milliseconds m_stallDeadline{std::chrono::seconds(60)};
};

// Responses longer than this show the progress window.
inline constexpr uint64_t kProgressThreshold = 10240;
inline constexpr size_t kDownloadBlock = 1024;
inline constexpr uint64_t kStallBytes = 1024;

enum class EDownloadResult {
    Done,        // the whole body is in the target file
    BadAddress,  // not an http(s) address; the download-path message was shown
    Cancelled,   // the user cancelled and confirmed
    FileError,   // the target file could not be written
    Failed,      // network error, refused status, too long, or past a deadline
};

// The file appears under its name only when complete.
EDownloadResult DownloadFile(IDownloader& downloader, const CDownloadRequest& request);

// Splits an http or https address; false for any other or a malformed one.
struct CHttpAddress {
    bool m_bSecure = false;
    std::string m_strHost;
    int m_nPort = 0;
    std::string m_strObject;  // "/" when the address has no path
};
bool ParseHttpAddress(std::u16string_view url, CHttpAddress& address);

}  // namespace kq
