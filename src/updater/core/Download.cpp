#include "updater/core/Download.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "platform/Crt.h"
#include "platform/Prompt.h"
#include "platform/SecureFiles.h"
#include "platform/Text.h"

namespace kq {

namespace {

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix)
{
    return text.size() >= prefix.size() && ToAsciiLower(text.substr(0, prefix.size())) == prefix;
}

class CFileSink : public IDownloadSink {
public:
    using Clock = std::chrono::steady_clock;

    explicit CFileSink(const CDownloadRequest& request)
        : m_request(request), m_tStart(Clock::now()), m_tLastMark(m_tStart)
    {
        m_strBlock.reserve(kDownloadBlock);
    }
    ~CFileSink() override { CloseWindow(); }

    bool OnResponse(int nStatus, uint64_t nContentLength) override
    {
        if (m_request.m_bRequireSuccess && (nStatus < 200 || nStatus > 299)) return false;
        if (nContentLength > m_request.m_nMaxBytes) return false;
        if (nContentLength > 0) m_nLimit = nContentLength;
        if (!m_file.Create(m_request.m_strTarget)) {
            m_bFileError = true;
            return false;
        }
        m_bCreated = true;
        if (nContentLength > kProgressThreshold && m_request.m_pProgress) {
            m_nHigh = int(std::min<uint64_t>(nContentLength / 1024 + 1, INT_MAX));
            m_pWindow = m_request.m_pProgress;
            m_pWindow->Open(u"升级 " + m_request.m_strProductName + m_request.m_strVersionText, u"正在下载升级程序......",
                            0, m_nHigh);
        }
        return true;
    }

    bool OnData(const char* data, size_t size) override
    {
        m_nReceived += size;
        if (m_nReceived > m_nLimit) return false;
        if (m_nReceived - m_nMarkBytes >= kStallBytes) {
            m_nMarkBytes = m_nReceived;
            m_tLastMark = Clock::now();
        }
        while (size > 0) {
            const size_t take = std::min(size, kDownloadBlock - m_strBlock.size());
            m_strBlock.append(data, take);
            data += take;
            size -= take;
            if (m_strBlock.size() == kDownloadBlock && !WriteBlock()) return false;
        }
        return true;
    }

    bool OnWait() override
    {
        if (m_pWindow && m_pWindow->TakeCancelRequest() && ConfirmCancel()) return false;
        const Clock::time_point now = Clock::now();
        if (m_request.m_totalDeadline.count() > 0 && now - m_tStart > m_request.m_totalDeadline) return false;
        return now - m_tLastMark <= m_request.m_stallDeadline;
    }

    // The last partial block, then the file under its name.
    EDownloadResult Finish()
    {
        if (!m_bCreated) return EDownloadResult::Failed;
        if (!m_strBlock.empty() && !WriteBlock()) return Result();
        CloseWindow();
        return m_file.Commit() ? EDownloadResult::Done : EDownloadResult::FileError;
    }

    EDownloadResult Result() const
    {
        return m_bCancelled   ? EDownloadResult::Cancelled
               : m_bFileError ? EDownloadResult::FileError
                              : EDownloadResult::Failed;
    }

private:
    bool WriteBlock()
    {
        if (!m_file.Write(m_strBlock)) {
            m_bFileError = true;
            return false;
        }
        m_strBlock.clear();
        if (!m_pWindow) return true;
        m_pWindow->PumpMessages();
        m_pWindow->StepIt();
        m_nPos = std::min(m_nPos + 1, m_nHigh);
        // The label starts as " 0 %", which no "%d%%" text equals, so the
        // number alone tells when the text changes.
        const int percent = int(static_cast<long long>(m_nPos) * 100 / m_nHigh);
        if (percent != m_nPercent) {
            m_nPercent = percent;
            m_pWindow->SetPercentText(FormatInt(percent) + u"%");
        }
        m_pWindow->PumpMessages();
        return !(m_pWindow->TakeCancelRequest() && ConfirmCancel());
    }

    // The question holds the download where it is; the time it stays open
    // counts against no deadline.
    bool ConfirmCancel()
    {
        const Clock::time_point asked = Clock::now();
        if (GetPromptProvider().AskYesNo(u"网络升级程序已经启动，确实需要取消吗？", kUpdateTitle) ==
            EPromptAnswer::Yes) {
            m_bCancelled = true;
            return true;
        }
        const Clock::duration open = Clock::now() - asked;
        m_tStart += open;
        m_tLastMark += open;
        return false;
    }

    void CloseWindow()
    {
        if (m_pWindow) m_pWindow->Close();
        m_pWindow = nullptr;
    }

    const CDownloadRequest& m_request;
    CAtomicFileWriter m_file;
    bool m_bCreated = false;
    bool m_bCancelled = false;
    bool m_bFileError = false;
    std::string m_strBlock;
    IProgressWindow* m_pWindow = nullptr;
    int m_nHigh = 1;
    int m_nPos = 0;
    int m_nPercent = -1;
    uint64_t m_nLimit = m_request.m_nMaxBytes;
    uint64_t m_nReceived = 0;
    uint64_t m_nMarkBytes = 0;
    Clock::time_point m_tStart;
    Clock::time_point m_tLastMark;
};

}  // namespace

bool ParseHttpAddress(std::u16string_view url, CHttpAddress& address)
{
    CHttpAddress parsed;
    std::u16string_view rest;
    if (StartsWithNoCase(url, u"http://")) {
        rest = url.substr(7);
    } else if (StartsWithNoCase(url, u"https://")) {
        parsed.m_bSecure = true;
        rest = url.substr(8);
    } else {
        return false;
    }
    const size_t slash = rest.find_first_of(u"/?#");
    std::u16string_view authority = rest.substr(0, slash);
    parsed.m_strObject = slash == std::u16string_view::npos ? "/" : ToUtf8(rest.substr(slash));
    if (parsed.m_strObject.front() != '/') parsed.m_strObject.insert(0, 1, '/');
    if (authority.find(u'@') != std::u16string_view::npos) return false;
    parsed.m_nPort = parsed.m_bSecure ? 443 : 80;
    std::u16string_view host = authority;
    const size_t colon = authority.rfind(u':');
    const size_t bracket = authority.rfind(u']');
    if (colon != std::u16string_view::npos && (bracket == std::u16string_view::npos || colon > bracket)) {
        std::u16string_view port = authority.substr(colon + 1);
        host = authority.substr(0, colon);
        if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), IsAsciiDigit)) return false;
        parsed.m_nPort = Wtoi(port);
        if (parsed.m_nPort < 1 || parsed.m_nPort > 65535) return false;
    }
    if (host.empty()) return false;
    for (char16_t c : host)
        if (c <= u' ' || c == u'\\' || c >= 0x7F) return false;
    parsed.m_strHost = ToUtf8(host);
    for (char c : parsed.m_strObject)
        if (static_cast<unsigned char>(c) <= ' ') return false;
    address = std::move(parsed);
    return true;
}

EDownloadResult DownloadFile(IDownloader& downloader, const CDownloadRequest& request)
{
    CHttpAddress address;
    if (!ParseHttpAddress(request.m_strUrl, address)) {
        GetPromptProvider().Inform(u"指定的安装程序下载路径不存在，请稍候重试！", kUpdateTitle);
        return EDownloadResult::BadAddress;
    }
    CFileSink sink(request);
    std::string error;  // fetched, not shown
    if (!downloader.Get(ToUtf8(request.m_strUrl), sink, error)) return sink.Result();
    return sink.Finish();
}

}  // namespace kq
