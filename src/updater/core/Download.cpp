#include "updater/core/Download.h"

#include <algorithm>
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
    explicit CFileSink(const CDownloadRequest& request) : m_request(request) { m_strBlock.reserve(kDownloadBlock); }
    ~CFileSink() override { CloseWindow(); }

    bool OnResponse(int nStatus, uint64_t nContentLength) override
    {
        if (m_request.m_bRequireSuccess && (nStatus < 200 || nStatus > 299)) return false;
        if (!m_file.Create(m_request.m_strTarget)) return false;
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
        while (size > 0) {
            const size_t take = std::min(size, kDownloadBlock - m_strBlock.size());
            m_strBlock.append(data, take);
            data += take;
            size -= take;
            if (m_strBlock.size() == kDownloadBlock && !WriteBlock()) return false;
        }
        return true;
    }

    // The last partial block, then the file under its name.
    bool Finish()
    {
        if (!m_bCreated) return false;
        if (!m_strBlock.empty() && !WriteBlock()) return false;
        CloseWindow();
        return m_file.Commit();
    }

    bool Cancelled() const { return m_bCancelled; }

private:
    bool WriteBlock()
    {
        if (!m_file.Write(m_strBlock)) return false;
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
        if (m_pWindow->TakeCancelRequest() &&
            GetPromptProvider().AskYesNo(u"网络升级程序已经启动，确实需要取消吗？", kUpdateTitle) == EPromptAnswer::Yes) {
            m_bCancelled = true;
            return false;
        }
        return true;
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
    std::string m_strBlock;
    IProgressWindow* m_pWindow = nullptr;
    int m_nHigh = 1;
    int m_nPos = 0;
    int m_nPercent = -1;
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

int DownloadFile(IDownloader& downloader, const CDownloadRequest& request)
{
    CHttpAddress address;
    if (!ParseHttpAddress(request.m_strUrl, address)) {
        GetPromptProvider().Inform(u"指定的安装程序下载路径不存在，请稍候重试！", kUpdateTitle);
        return 0;
    }
    CFileSink sink(request);
    std::string error;  // fetched, not shown
    if (downloader.Get(ToUtf8(request.m_strUrl), sink, error) != 0) return 0;
    return sink.Finish() ? 1 : 0;
}

}  // namespace kq
