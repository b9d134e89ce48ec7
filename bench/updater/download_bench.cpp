// A 100 MB setup download over loopback with the progress window
// (offscreen), against `curl -o` on the same file in the same run, and
// what follows it: the signature check of those 100 MB. Also how soon
// "取消" brings its question while the server sends nothing.
// Goals: the updater's median at most 1.3 x curl's; the question within
// 0.1 s.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GuiThread.h"
#include "ProgressDlg.h"
#include "platform/Prompt.h"
#include "platform/Text.h"
#include "updater/core/Download.h"
#include "updater/core/Signature.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kSize = 100u << 20;
constexpr int kRuns = 5;

pid_t Spawn(std::vector<std::string> args, int stdinFd, int stdoutFd)
{
    pid_t pid = fork();
    if (pid == 0) {
        if (stdinFd >= 0) dup2(stdinFd, 0);
        if (stdoutFd >= 0) dup2(stdoutFd, 1);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Answers every question Yes and notes when it was asked.
class CTimingPrompt : public kq::IPromptProvider {
public:
    void Inform(const std::u16string&, const std::u16string&) override {}
    kq::EPromptAnswer AskYesNo(const std::u16string&, const std::u16string&) override
    {
        m_tAsked = std::chrono::steady_clock::now();
        return kq::EPromptAnswer::Yes;
    }
    kq::EPromptAnswer AskYesNoCancel(const std::u16string&, const std::u16string&) override
    {
        return kq::EPromptAnswer::Yes;
    }
    std::chrono::steady_clock::time_point m_tAsked{};
};

// Seconds from a press of "取消" to its question, the download stalled.
double MedianCancelSeconds(kq::IDownloader& downloader, const std::string& url, const fs::path& dir)
{
    std::vector<double> waits;
    for (int run = 0; run < kRuns; ++run) {
        CTimingPrompt boxes;
        kq::CGuiThreadPrompt prompt(boxes, qApp);
        kq::SetPromptProvider(&prompt);
        kq::CProgressDlg dialog;
        kq::CDownloadRequest request{
            kq::FromUtf8(url), kq::FromNativeName((dir / "Stalled.bin").string()), u"p", u"1", &dialog, true};
        std::chrono::steady_clock::time_point pressed{};
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [&] {
            // Pressed a while after the last bytes came.
            if (pressed == std::chrono::steady_clock::time_point{} && dialog.GetPos() >= 97) {
                QTimer::singleShot(300, [&] {
                    pressed = std::chrono::steady_clock::now();
                    dialog.CancelButton()->click();
                });
                pressed = std::chrono::steady_clock::time_point::max();
            }
        });
        press.start(5);
        kq::EDownloadResult result = kq::EDownloadResult::Failed;
        kq::RunOffGuiThread([&] { result = kq::DownloadFile(downloader, request); });
        kq::SetPromptProvider(nullptr);
        if (result != kq::EDownloadResult::Cancelled || boxes.m_tAsked < pressed) return -1;
        waits.push_back(std::chrono::duration<double>(boxes.m_tAsked - pressed).count());
    }
    return Median(waits);
}

// Seconds to check a real signature of the file, or -1 when it fails.
double MedianVerifySeconds(const fs::path& file)
{
    const fs::path key = file.parent_path() / "key.pem";
    const std::string script = std::string(KQ_SOURCE_DIR) + "/tools/sign-update.sh";
    if (std::system(("openssl genpkey -algorithm ed25519 -out '" + key.string() + "' && '" + script + "' '" +
                     key.string() + "' '" + file.string() + "' >/dev/null && '" + script + "' --public '" +
                     key.string() + "' > '" + key.string() + ".hex'")
                        .c_str()) != 0)
        return -1;
    std::ifstream hex(key.string() + ".hex"), sig(file.string() + ".sig", std::ios::binary);
    std::string publicKey((std::istreambuf_iterator<char>(hex)), {}),
        signature((std::istreambuf_iterator<char>(sig)), {});
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        auto start = std::chrono::steady_clock::now();
        if (kq::VerifyFileSignature(kq::FromNativeName(file.string()), signature, publicKey) !=
            kq::ESignatureResult::Valid)
            return -1;
        times.push_back(Seconds(start));
    }
    return Median(times);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("no_proxy", "127.0.0.1", 1);
    QApplication app(argc, argv);
    kq::CConsolePrompt prompt;

    char pattern[] = "/tmp/kqbench_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path dir = pattern;
    fs::create_directories(dir / "www");
    {
        std::ofstream out(dir / "www" / "setup.bin", std::ios::binary);
        std::string block(1 << 20, '\0');
        for (size_t i = 0; i < block.size(); ++i) block[i] = char(i * 131 % 251);
        for (size_t i = 0; i < kSize / block.size(); ++i) out.write(block.data(), std::streamsize(block.size()));
    }

    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return 1;
    const char* python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    pid_t server = Spawn({python, KQ_LOOPBACK_SERVER, "--root", (dir / "www").string(), "--lifetime", "600"}, in[0], out[1]);
    close(in[0]);
    close(out[1]);
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&p, 1, 15000) > 0) {
        char buffer[32];
        ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, size_t(n));
    }
    const int port = std::atoi(line.c_str());
    int status = 1;
    if (port > 0) {
        const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/files/setup.bin";
        auto downloader = kq::CreateSystemDownloader();
        std::vector<double> ours, curls;
        bool ok = true;
        for (int run = 0; run < kRuns && ok; ++run) {
            kq::CProgressDlg dialog;
            kq::CDownloadRequest request{kq::FromUtf8(url), kq::FromNativeName((dir / "Setup.bin").string()), u"远舟文件改名系统",
                                         u"2.16", &dialog, true};
            auto start = std::chrono::steady_clock::now();
            // As the program runs it: the download off the GUI thread.
            kq::EDownloadResult result = kq::EDownloadResult::Failed;
            kq::RunOffGuiThread([&] { result = kq::DownloadFile(*downloader, request); });
            ok = result == kq::EDownloadResult::Done && dialog.GetPos() == int(kSize / 1024);
            ours.push_back(Seconds(start));
            ok = ok && fs::file_size(dir / "Setup.bin") == kSize;

            start = std::chrono::steady_clock::now();
            pid_t curl = Spawn({"curl", "-s", "-o", (dir / "curl.bin").string(), url}, -1, -1);
            int curlStatus = 0;
            waitpid(curl, &curlStatus, 0);
            curls.push_back(Seconds(start));
            ok = ok && WIFEXITED(curlStatus) && WEXITSTATUS(curlStatus) == 0 && fs::file_size(dir / "curl.bin") == kSize;
        }
        if (ok) {
            const double a = Median(ours), b = Median(curls);
            std::printf(
                "download 100 MB with progress window: median %.3f s; curl -o: median %.3f s; ratio %.2f (goal <= 1.3)\n",
                a, b, a / b);
            const double verify = MedianVerifySeconds(dir / "Setup.bin");
            std::printf("Ed25519 check of the 100 MB package: median %.3f s\n", verify);
            const std::string stalled = "http://127.0.0.1:" + std::to_string(port) + "/stall/setup.bin?after=100000";
            const double cancel = MedianCancelSeconds(*downloader, stalled, dir);
            std::printf("question after 取消 while the server is silent: median %.1f ms (goal <= 100)\n",
                        cancel * 1000);
            status = a <= 1.3 * b && verify >= 0 && cancel >= 0 && cancel <= 0.1 ? 0 : 1;
        } else {
            std::printf("download bench: a download failed\n");
        }
    }
    close(in[1]);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return status;
}
