// The HTTP client on POSIX: libcurl.
#ifndef _WIN32

#include <curl/curl.h>

#include <cstdlib>
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
    int Get(const std::string& url, IDownloadSink& sink, std::string& error) override
    {
        static std::once_flag s_init;
        std::call_once(s_init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

        CURL* curl = curl_easy_init();
        if (!curl) {
            error = "curl_easy_init failed";
            return -1;
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
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
        // A server that stops sending must not hold the updater forever.
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 64L * 1024);
        // Extra trust for test servers only; the system's store otherwise.
        if (const char* ca = std::getenv("KQ_UPDATE_CA_FILE"); ca && *ca) curl_easy_setopt(curl, CURLOPT_CAINFO, ca);

        CURLcode rc = curl_easy_perform(curl);
        if (rc == CURLE_OK && !transfer.m_bResponded && !transfer.Respond()) rc = CURLE_WRITE_ERROR;
        if (rc != CURLE_OK) error = *message ? message : curl_easy_strerror(rc);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        return rc == CURLE_OK ? 0 : int(rc);
    }
};

}  // namespace

std::unique_ptr<IDownloader> CreateSystemDownloader() { return std::make_unique<CCurlDownloader>(); }

}  // namespace kq

#endif
