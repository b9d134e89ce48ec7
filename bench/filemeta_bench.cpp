// Speed and memory of the file metadata functions, the whole kqtools-cli
// process each time, against the standard tools over the same files in the
// same run: 100,000 photos named by their Exif date (against exiftool),
// 10,000 songs by artist and title, and 1 GB of files by SHA-256 (against
// sha256sum). Medians of several runs, wall and CPU time (on a loaded
// machine the CPU time is the fairer figure); the files are made here.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "support/MediaSamples.h"

extern char** environ;

namespace fs = std::filesystem;
using kq::bench::Median;

namespace {

constexpr int kPhotos = 100000;
constexpr int kSongs = 10000;
constexpr int kHashFiles = 16;
constexpr size_t kHashFileBytes = size_t(64) << 20;  // 16 x 64 MB = 1 GB

struct CRun {
    double m_dSeconds = 0;
    double m_dCpuSeconds = 0;  // user and system time of the process
    long m_nMaxRssKb = 0;
    bool m_bOk = false;
};

// Runs a program with its output thrown away; wall time and peak memory.
CRun Run(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    CRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.m_dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.m_nMaxRssKb = usage.ru_maxrss;
    run.m_dCpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.m_bOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

CRun MedianRun(const std::vector<std::string>& args, int times)
{
    std::vector<double> seconds, cpu;
    CRun last;
    long rss = 0;
    for (int k = 0; k < times; ++k) {
        last = Run(args);
        if (!last.m_bOk) return last;
        seconds.push_back(last.m_dSeconds);
        cpu.push_back(last.m_dCpuSeconds);
        rss = std::max(rss, last.m_nMaxRssKb);
    }
    last.m_dSeconds = Median(seconds);
    last.m_dCpuSeconds = Median(cpu);
    last.m_nMaxRssKb = rss;
    return last;
}

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Copies of one tagged template, each with its own text patched in place
// (same length, so the tags stay valid).
void Copies(const fs::path& folder, const std::string& stem, const std::string& ext, const std::string& bytes,
            const std::string& marker, int count, const std::function<std::string(int)>& text)
{
    fs::create_directories(folder);
    const size_t at = bytes.find(marker);
    std::string copy = bytes;
    char name[64];
    for (int i = 0; i < count; ++i) {
        if (at != std::string::npos) copy.replace(at, marker.size(), text(i));
        std::snprintf(name, sizeof name, "%s%06d.%s", stem.c_str(), i, ext.c_str());
        std::ofstream(folder / name, std::ios::binary) << copy;
    }
}

bool HaveProgram(const char* name)
{
    const std::string command = std::string("command -v ") + name + " > /dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!kq::test::HaveImageLibrary() || !kq::test::HaveAudioLibrary()) {
        std::printf("built without the metadata libraries: nothing to measure\n");
        return 0;
    }
    const fs::path dir = fs::temp_directory_path() / ("kq-filemeta-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string cli = KQ_CLI_PATH;
    bool ok = true;

    // ---- photos ----
    std::printf("creating %d photos...\n", kPhotos);
    const fs::path photoTemplate = dir / "template.jpg";
    std::ofstream(photoTemplate, std::ios::binary) << kq::test::MakeJpeg(4000, 3000);
    kq::test::WriteImageTags(photoTemplate.string(), {{"Exif.Photo.DateTimeOriginal", "2023:05:01 14:25:30"},
                                                      {"Exif.Image.Model", "KQ-100"},
                                                      {"Exif.Image.Make", "TernSoft"}});
    Copies(dir / "photos", "IMG_", "jpg", ReadAll(photoTemplate), "2023:05:01 14:25:30", kPhotos, [](int i) {
        char date[32];
        std::snprintf(date, sizeof date, "2023:%02d:%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28, i % 24, i % 60,
                      (i / 60) % 60);
        return std::string(date);
    });
    const CRun photos = MedianRun({cli, "rename", "--dry-run", "--mode", "formula", "--formula",
                                   "timeformat(exifdate(),\"%Y%m%d_%H%M%S\")", (dir / "photos").string()},
                                  3);
    std::printf("kqtools-cli rename --dry-run, exifdate of %d photos: median %.2f s (CPU %.2f s), peak %.0f MB "
                "(goals <= 5 s, <= 200 MB)\n",
                kPhotos, photos.m_dSeconds, photos.m_dCpuSeconds, photos.m_nMaxRssKb / 1024.0);
    ok = ok && photos.m_bOk && photos.m_dSeconds <= 5.0 && photos.m_nMaxRssKb <= 200 * 1024;
    if (HaveProgram("exiftool")) {
        const CRun exiftool = Run({"exiftool", "-q", "-p", "$DateTimeOriginal", (dir / "photos").string()});
        std::printf("exiftool -p '$DateTimeOriginal' over the same photos: %.2f s (CPU %.2f s), ratio %.1fx, CPU ratio "
                    "%.1fx (goal >= 10x)\n",
                    exiftool.m_dSeconds, exiftool.m_dCpuSeconds, exiftool.m_dSeconds / std::max(photos.m_dSeconds, 1e-9),
                    exiftool.m_dCpuSeconds / std::max(photos.m_dCpuSeconds, 1e-9));
        ok = ok && exiftool.m_dSeconds >= 10 * photos.m_dSeconds;
    } else {
        std::printf("exiftool not installed: no comparison (bench/run.sh installs libimage-exiftool-perl as root)\n");
    }
    fs::remove_all(dir / "photos");

    // ---- songs ----
    std::printf("creating %d songs...\n", kSongs);
    const fs::path songTemplate = dir / "template.mp3";
    std::ofstream(songTemplate, std::ios::binary) << kq::test::MakeMp3(0.2);
    kq::test::WriteAudioTags(songTemplate.string(), {{"ARTIST", "Artist"}, {"TITLE", "Title 000000"}});
    Copies(dir / "songs", "song", "mp3", ReadAll(songTemplate), "Title 000000", kSongs, [](int i) {
        char title[32];
        std::snprintf(title, sizeof title, "Title %06d", i);
        return std::string(title);
    });
    const CRun songs = MedianRun({cli, "rename", "--dry-run", "--mode", "formula", "--formula",
                                  "mediatag(\"artist\")&\" - \"&mediatag(\"title\")", (dir / "songs").string()},
                                 5);
    std::printf("kqtools-cli rename --dry-run, artist and title of %d MP3s: median %.3f s (CPU %.3f s) (goal <= 1 s)\n",
                kSongs, songs.m_dSeconds, songs.m_dCpuSeconds);
    ok = ok && songs.m_bOk && songs.m_dSeconds <= 1.0;
    fs::remove_all(dir / "songs");

    // ---- hashes ----
    std::printf("creating %d x %zu MB...\n", kHashFiles, kHashFileBytes >> 20);
    fs::create_directories(dir / "data");
    std::mt19937_64 random(26);
    std::string block(kHashFileBytes, '\0');
    std::vector<std::string> sums = {"sha256sum"};
    for (int f = 0; f < kHashFiles; ++f) {
        for (size_t i = 0; i + 8 <= block.size(); i += 8) {
            const uint64_t v = random();
            std::memcpy(&block[i], &v, 8);
        }
        const fs::path file = dir / "data" / ("part" + std::to_string(f) + ".bin");
        std::ofstream(file, std::ios::binary) << block;
        sums.push_back(file.string());
    }
    const CRun ours = MedianRun({cli, "rename", "--dry-run", "--mode", "formula", "--formula", "filehash(\"sha256\")",
                                 (dir / "data").string()},
                                3);
    const CRun sha256sum = MedianRun(sums, 3);
    std::printf("filehash(\"sha256\") of 1 GB: median %.2f s (CPU %.2f s), sha256sum %.2f s (CPU %.2f s), ratio %.2f "
                "(goal <= 1.2)\n",
                ours.m_dSeconds, ours.m_dCpuSeconds, sha256sum.m_dSeconds, sha256sum.m_dCpuSeconds,
                ours.m_dSeconds / std::max(sha256sum.m_dSeconds, 1e-9));
    ok = ok && ours.m_bOk && ours.m_dSeconds <= 1.2 * sha256sum.m_dSeconds;

    std::error_code ec;
    fs::remove_all(dir, ec);
    return ok ? 0 : 1;
}
