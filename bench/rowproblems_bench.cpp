// The preview's row problems over 100,000 real files: the first check
// (which reads the folder), a name cycle that changes every name (a
// keystroke on the Formula page) and one that changes a single name (a hand
// edit). Medians of several runs.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/safety/RowProblems.h"

using namespace kq;
using kq::bench::Median;
using kq::bench::Seconds;
namespace fs = std::filesystem;

int main()
{
    constexpr int kRows = 100000;
    const fs::path dir = fs::temp_directory_path() / ("kq_rowproblems_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (int i = 0; i < kRows; ++i) std::ofstream(dir / ("IMG_" + std::to_string(100000 + i) + ".jpg"));
    CFileNameList list;
    list.Reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        list.AddRow(FromNativeName(dir.string()), FromAscii("IMG_" + std::to_string(100000 + i) + ".jpg"));
    auto fill = [&](const char* prefix) {
        for (int r = 0; r < kRows; ++r) list.SetText(r, kColNewName, FromAscii(prefix + std::to_string(r) + ".jpg"));
    };
    std::vector<double> first, all, one;
    for (int run = 0; run < 5; ++run) {
        CRowProblems problems(list.Policy());
        fill("a_");
        first.push_back(Seconds([&] { problems.Update(list); }));
        fill(run % 2 ? "b_" : "c_");
        all.push_back(Seconds([&] { problems.Update(list); }));
        list.SetText(7, kColNewName, std::u16string(list.GetText(8, kColNewName)));  // a clash with the row after
        one.push_back(Seconds([&] { problems.Update(list); }));
        if (problems.Count(ERowProblem::Collision) != 2)
            std::printf("wrong: %zu collisions\n", problems.Count(ERowProblem::Collision));
    }
    std::printf("row problems, %d rows: first check %.1f ms, every name changed %.1f ms, one name changed %.1f ms\n",
                kRows, Median(first) * 1e3, Median(all) * 1e3, Median(one) * 1e3);
    fs::remove_all(dir);
    return 0;
}
