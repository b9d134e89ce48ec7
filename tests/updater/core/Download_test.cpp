#include <gtest/gtest.h>

#include <chrono>

#include "LoopbackServer.h"
#include "UpdateTestSupport.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "support/TestSupport.h"
#include "updater/core/Download.h"

namespace kq {
namespace {

using test::CLoopbackServer;
using test::CRecordingProgress;
using test::CScriptedPrompt;
using test::CTempDir;

std::string Bytes(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char('a' + i % 26);
    return s;
}

struct CFixture {
    CLoopbackServer server;
    CTempDir dir;
    std::unique_ptr<IDownloader> downloader = CreateSystemDownloader();
    CRecordingProgress progress;
    CScriptedPrompt prompt;

    CDownloadRequest Request(const std::string& path, bool requireSuccess = true)
    {
        return {FromUtf8(server.Url(path)), dir.Child(u"Setup.deb"), u"改名", u"2.16", &progress, requireSuccess};
    }
    int Get(const std::string& path, bool requireSuccess = true)
    {
        return DownloadFile(*downloader, Request(path, requireSuccess)) == EDownloadResult::Done ? 1 : 0;
    }
};

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

TEST(Download, ProgressWindowOnlyAboveTenKilobytes)
{
    CFixture f;
    ASSERT_TRUE(f.server.Running());
    struct Row {
        size_t size;
        const char* prefix;
        int opens, high, steps;
    } rows[] = {
        {10240, "files", 0, -1, 0},
        {10241, "files", 1, 11, 0},
        {300000, "files", 1, 293, 0},
        {300000, "nolength", 0, -1, 0},  // no Content-Length: no window, still downloaded
        {0, "files", 0, -1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.size) + " " + row.prefix);
        f.progress = {};
        const std::string body = Bytes(row.size);
        f.server.Serve("body.bin", body);
        ASSERT_EQ(f.Get(std::string(row.prefix) + "/body.bin"), 1);
        EXPECT_EQ(f.dir.ReadFile(u"Setup.deb"), body);
        EXPECT_EQ(f.progress.m_nOpens, row.opens);
        EXPECT_EQ(f.progress.m_nCloses, row.opens);
        if (row.opens == 0) continue;
        EXPECT_EQ(f.progress.m_nLow, 0);
        EXPECT_EQ(f.progress.m_nHigh, row.high);
        EXPECT_EQ(f.progress.m_strCaption, u"升级 改名2.16");
        EXPECT_EQ(f.progress.m_strStatus, u"正在下载升级程序......");
        // One step per 1,024 bytes, the label only when its text changes.
        EXPECT_EQ(f.progress.m_nSteps, int((row.size + 1023) / 1024));
        EXPECT_EQ(f.progress.m_aPercents.back(), u"100%");
        std::set<std::u16string> distinct(f.progress.m_aPercents.begin(), f.progress.m_aPercents.end());
        EXPECT_EQ(distinct.size(), f.progress.m_aPercents.size());
    }
    EXPECT_TRUE(f.prompt.Shown().empty());
}

TEST(Download, FailuresLeaveNoFileUnderTheTargetName)
{
    CFixture f;
    ASSERT_TRUE(f.server.Running());
    f.server.Serve("body.bin", Bytes(50000));
    struct Row {
        const char* path;
        bool requireSuccess;
        int result;
    } rows[] = {
        {"short/body.bin", true, 0},     // body shorter than its Content-Length
        {"short/body.bin", false, 0},
        {"404/body.bin", true, 0},       // a setup program must come with 2xx
        {"redirect/body.bin", true, 0},  // redirections are not followed
        {"files/body.bin", true, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        f.dir.MakeFile(u"Setup.deb", "old");
        EXPECT_EQ(f.Get(row.path, row.requireSuccess), row.result);
        // The old file stays until a complete new one replaces it.
        EXPECT_EQ(f.dir.ReadFile(u"Setup.deb"), row.result ? Bytes(50000) : "old");
        EXPECT_EQ(f.dir.List(), std::vector<std::u16string>{u"Setup.deb"});
    }
    EXPECT_TRUE(f.prompt.Shown().empty());
}

TEST(Download, VersionFileIsTakenWhateverTheStatus)
{
    CFixture f;
    ASSERT_TRUE(f.server.Running());
    ASSERT_EQ(f.Get("404/Version.txt", false), 1);
    EXPECT_NE(f.dir.ReadFile(u"Setup.deb").find("<html>"), std::string::npos);
}

TEST(Download, SendsAcceptAndUserAgentHeaders)
{
    CFixture f;
    ASSERT_TRUE(f.server.Running());
    ASSERT_EQ(f.Get("headers"), 1);
    const std::string headers = f.dir.ReadFile(u"Setup.deb");
    EXPECT_NE(headers.find("Accept: text/*\n"), std::string::npos) << headers;
    EXPECT_NE(headers.find("User-Agent: HttpClient\n"), std::string::npos) << headers;
}

TEST(Download, OtherSchemesGetTheDownloadPathMessage)
{
    CTempDir dir;
    CScriptedPrompt prompt;
    auto downloader = CreateSystemDownloader();
    for (const char16_t* url : {u"ftp://127.0.0.1/Setup.exe", u"file:///etc/passwd", u"127.0.0.1/x", u"http://",
                                u"http://127.0.0.1:99999/x", u"http://user@127.0.0.1/x"}) {
        prompt.Clear();
        CDownloadRequest request{url, dir.Child(u"Setup"), u"p", u"1", nullptr, true};
        EXPECT_EQ(DownloadFile(*downloader, request), EDownloadResult::BadAddress);
        ASSERT_EQ(prompt.Shown().size(), 1u);
        EXPECT_EQ(prompt.Shown()[0].m_strText, u"指定的安装程序下载路径不存在，请稍候重试！");
        EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"远舟在线升级工具");
    }
    EXPECT_TRUE(dir.List().empty());
}

TEST(Download, ParsesHttpAndHttpsAddresses)
{
    struct Row {
        const char16_t* url;
        bool ok, secure;
        const char* host;
        int port;
        const char* object;
    } rows[] = {
        {u"http://example.org/a/b.txt", true, false, "example.org", 80, "/a/b.txt"},
        {u"HTTPS://example.org", true, true, "example.org", 443, "/"},
        {u"http://127.0.0.1:8080/v?x=1", true, false, "127.0.0.1", 8080, "/v?x=1"},
        {u"http://[::1]:81/x", true, false, "[::1]", 81, "/x"},
        {u"http://a b/x", false, false, "", 0, ""},
        {u"http://h:0/x", false, false, "", 0, ""},
        {u"gopher://h/x", false, false, "", 0, ""},
    };
    for (const auto& row : rows) {
        CHttpAddress a;
        ASSERT_EQ(ParseHttpAddress(row.url, a), row.ok) << ToUtf8(row.url);
        if (!row.ok) continue;
        EXPECT_EQ(a.m_bSecure, row.secure);
        EXPECT_EQ(a.m_strHost, row.host);
        EXPECT_EQ(a.m_nPort, row.port);
        EXPECT_EQ(a.m_strObject, row.object);
    }
}

TEST(Download, CancelAnsweredNoGoesOnAndYesStops)
{
    CFixture f;
    ASSERT_TRUE(f.server.Running());
    f.server.Serve("body.bin", Bytes(20 * 1024));
    f.progress.m_aCancelAtSteps = {3, 6};
    f.prompt.Answer(EPromptAnswer::No);
    f.prompt.Answer(EPromptAnswer::Yes);
    EXPECT_EQ(DownloadFile(*f.downloader, f.Request("files/body.bin")), EDownloadResult::Cancelled);
    EXPECT_EQ(f.progress.m_nSteps, 6);
    EXPECT_EQ(f.progress.m_nCloses, 1);
    ASSERT_EQ(f.prompt.Shown().size(), 2u);
    for (const auto& shown : f.prompt.Shown()) {
        EXPECT_EQ(shown.m_strKind, u"yesno");
        EXPECT_EQ(shown.m_strText, u"网络升级程序已经启动，确实需要取消吗？");
    }
    EXPECT_TRUE(f.dir.List().empty());

    // Answered No only: the download completes.
    f.progress = {};
    f.progress.m_aCancelAtSteps = {2};
    f.prompt.Clear();
    f.prompt.Answer(EPromptAnswer::No);
    EXPECT_EQ(f.Get("files/body.bin"), 1);
    EXPECT_EQ(f.progress.m_nSteps, 20);
    EXPECT_EQ(f.dir.ReadFile(u"Setup.deb"), Bytes(20 * 1024));
}

#ifndef _WIN32
// POSIX only: the certificate is made with openssl for the Python server, and
// only the libcurl client takes extra certificates (WinINet trusts the
// system's store alone).
TEST(Download, HttpsWithACertificateTrustedForThisTestOnly)
{
    CLoopbackServer server(true);
    ASSERT_TRUE(server.Running());
    server.Serve("body.bin", Bytes(12345));
    CTempDir dir;
    CScriptedPrompt prompt;
    CDownloadRequest request{FromUtf8(server.Url("files/body.bin")), dir.Child(u"Setup"), u"p", u"1", nullptr, true};
    // Not trusted by the system, whatever the environment says: refused.
    test::CScopedEnv ca("KQ_UPDATE_CA_FILE", server.CaFile());
    EXPECT_EQ(DownloadFile(*CreateSystemDownloader(), request), EDownloadResult::Failed);
    EXPECT_TRUE(dir.List().empty());
    ASSERT_EQ(DownloadFile(*CreateSystemDownloader({server.CaFile()}), request), EDownloadResult::Done);
    EXPECT_EQ(dir.ReadFile(u"Setup"), Bytes(12345));
}

// The shapes below come from the Python server only.
TEST(Download, BodiesStopAtTheirCap)
{
    CFixture f;
    ASSERT_TRUE(f.server.Running());
    f.server.Serve("body.bin", Bytes(50000));
    struct Row {
        const char* path;
        uint64_t cap;
        EDownloadResult result;
    } rows[] = {
        {"endless", 1u << 20, EDownloadResult::Failed},          // no end: stops at the cap
        {"claim/body.bin", 1u << 30, EDownloadResult::Failed},   // a Content-Length over the cap
        {"files/body.bin", 49999, EDownloadResult::Failed},
        {"nolength/body.bin", 49999, EDownloadResult::Failed},
        {"nolength/body.bin", 50000, EDownloadResult::Done},
        {"files/body.bin", 50000, EDownloadResult::Done},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path + std::string(" ") + std::to_string(row.cap));
        CDownloadRequest request = f.Request(row.path);
        request.m_nMaxBytes = row.cap;
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(DownloadFile(*f.downloader, request), row.result);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
        EXPECT_EQ(f.dir.List().size(), row.result == EDownloadResult::Done ? 1u : 0u);
        RemoveFile(f.dir.Child(u"Setup.deb"));
    }
}

TEST(Download, SilentOrSlowServersFailAtTheirDeadline)
{
    CFixture f;
    ASSERT_TRUE(f.server.Running());
    f.server.Serve("body.bin", Bytes(30000));
    struct Row {
        const char* path;
        milliseconds total, stall;
        EDownloadResult result;
    } rows[] = {
        // 2.5 bytes a second: never 1 KiB within the stall deadline.
        {"drip/body.bin?delay=0.4", milliseconds(0), milliseconds(1500), EDownloadResult::Failed},
        {"stall/body.bin?after=20000", milliseconds(0), milliseconds(1500), EDownloadResult::Failed},
        {"stall/body.bin?after=20000", milliseconds(1500), milliseconds(60000), EDownloadResult::Failed},
        {"drip/body.bin?delay=0.4", milliseconds(1500), milliseconds(60000), EDownloadResult::Failed},
        {"files/body.bin", milliseconds(1500), milliseconds(1500), EDownloadResult::Done},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        CDownloadRequest request = f.Request(row.path);
        request.m_totalDeadline = row.total;
        request.m_stallDeadline = row.stall;
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(DownloadFile(*f.downloader, request), row.result);
        const Clock::duration took = Clock::now() - start;
        if (row.result == EDownloadResult::Failed) {
            EXPECT_GE(took, milliseconds(1400));
            EXPECT_LT(took, milliseconds(8000));
        }
        RemoveFile(f.dir.Child(u"Setup.deb"));
    }
}

// "取消" pressed while no byte comes: the question is asked, and Yes ends it.
TEST(Download, CancelIsSeenWhileTheServerIsSilent)
{
    CFixture f;
    ASSERT_TRUE(f.server.Running());
    f.server.Serve("body.bin", Bytes(30000));
    struct CTimedCancel : CRecordingProgress {
        Clock::time_point m_tRaise = Clock::now() + milliseconds(500);
        Clock::time_point m_tTaken{};
        bool TakeCancelRequest() override
        {
            if (m_tTaken != Clock::time_point{} || Clock::now() < m_tRaise) return false;
            m_tTaken = Clock::now();
            return true;
        }
    } progress;
    f.prompt.Answer(EPromptAnswer::Yes);
    CDownloadRequest request = f.Request("stall/body.bin?after=12000");
    request.m_pProgress = &progress;
    EXPECT_EQ(DownloadFile(*f.downloader, request), EDownloadResult::Cancelled);
    ASSERT_NE(progress.m_tTaken, Clock::time_point{});
    EXPECT_LT(progress.m_tTaken - progress.m_tRaise, milliseconds(500));
    EXPECT_EQ(progress.m_nSteps, 11);  // the bytes that came, and no more
    ASSERT_EQ(f.prompt.Shown().size(), 1u);
    EXPECT_EQ(f.prompt.Shown()[0].m_strText, u"网络升级程序已经启动，确实需要取消吗？");
    EXPECT_TRUE(f.dir.List().empty());
}
#endif

}  // namespace
}  // namespace kq
