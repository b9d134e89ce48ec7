// The HTTP client on POSIX: libcurl.
#ifndef _WIN32

#include <curl/curl.h>

#include <mutex>

#include "updater/core/Download.h"

namespace kq {

namespace {

struct CTransfer {
    CURL* m_pCurl = nullptr;
    IDownloadSink* m_pSink = nullptr;
    bool m_bResponded = false;
    bool m_bAborted = false;

    bool Respond()
    {
        m_bResponded = true;
        long status = 0;
        curl_off_t length = -1;
        curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(m_pCurl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        return m_pSink->OnResponse(int(status), length > 0 ? uint64_t(length) : 0);
    }
};

size_t OnWrite(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<CTransfer*>(user);
    const size_t bytes = size * count;
    if ((!transfer->m_bResponded && !transfer->Respond()) || !transfer->m_pSink->OnData(data, bytes)) {
        transfer->m_bAborted = true;
        return 0;  // makes curl stop with a write error
    }
    return bytes;
}

class CCurlDownloader : public IDownloader {
public:
    explicit CCurlDownloader(CDownloaderOptions options) : m_options(std::move(options)) {}

    bool Get(const std::string& url, IDownloadSink& sink, std::string& error) override
    {
        static std::once_flag s_init;
        std::call_once(s_init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

        CURL* curl = curl_easy_init();
        CURLM* multi = curl_multi_init();
        if (!curl || !multi) {
            if (curl) curl_easy_cleanup(curl);
            if (multi) curl_multi_cleanup(multi);
            error = "curl_easy_init failed";
            return false;
        }
        CTransfer transfer{curl, &sink};
        char message[CURL_ERROR_SIZE] = {};
        curl_slist* headers = nullptr;
        headers = curl_slist_append(headers, "Accept: text/*");
        headers = curl_slist_append(headers, "User-Agent:HttpClient");
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnWrite);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, message);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 64L * 1024);
        if (!m_options.m_strCaFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, m_options.m_strCaFile.c_str());

        // The multi interface lets the sink look at its deadlines and at
        // "取消" while the server is silent; the deadlines are the sink's.
        curl_multi_add_handle(multi, curl);
        CURLcode rc = CURLE_OK;
        bool stopped = false;
        for (int running = 1; running;) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                rc = CURLE_FAILED_INIT;
                break;
            }
            if (transfer.m_bAborted || !running) break;
            if (!sink.OnWait()) {
                stopped = true;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, int(kWaitInterval.count()), nullptr);
        }
        int left = 0;
        while (CURLMsg* done = curl_multi_info_read(multi, &left))
            if (done->msg == CURLMSG_DONE) rc = done->data.result;
        if (stopped) rc = CURLE_ABORTED_BY_CALLBACK;
        if (rc == CURLE_OK && !transfer.m_bResponded && !transfer.Respond()) rc = CURLE_WRITE_ERROR;
        if (rc != CURLE_OK) error = *message ? message : curl_easy_strerror(rc);
        curl_multi_remove_handle(multi, curl);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        curl_multi_cleanup(multi);
        return rc == CURLE_OK;
    }

private:
    CDownloaderOptions m_options;
};

}  // namespace

std::unique_ptr<IDownloader> CreateSystemDownloader(const CDownloaderOptions& options)
{
    return std::make_unique<CCurlDownloader>(options);
}

}  // namespace kq

#endif
