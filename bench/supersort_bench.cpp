// Speed of super sort: the whole `kqtools-cli sort` process on 100,000 files
// with a 10-clause rule (one clause looping 1→100, conditions of every
// mode), and the weight order against the quadratic exchange loop it
// replaces. Medians of several runs.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/Text.h"
#include "renamer/supersort/RouteFile.h"
#include "renamer/supersort/WeightOrder.h"

using namespace kq;
using kq::bench::Median;
using kq::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr int kRows = 100000;

CSortRouteClause Clause(int combination, std::array<int, 3> modes, std::array<std::u16string, 3> texts,
                        std::u16string weight)
{
    CSortRouteClause c;
    c.m_nCombination = combination;
    c.m_aConditionMode = modes;
    c.m_aConditionText = std::move(texts);
    c.m_strWeight = std::move(weight);
    return c;
}

CSortRouteList TenClauseRule()
{
    CSortRouteList list;
    list.AddRoute(u"基准", u"");
    CSortRouteClause loop = Clause(0, {0, 0, 0}, {u"=\"_\"&i&\"_\""}, u"=i");
    loop.m_nLoopMode = 1;
    loop.m_nLoopStart = 1;
    loop.m_nLoopEnd = 100;
    list[0].m_aClauses = {
        loop,
        Clause(1, {0, 1, 0}, {u"7", u"77"}, u"3"),
        Clause(2, {2, 3, 0}, {u"文件_5_00005", u"x"}, u"-2"),
        Clause(3, {4, 5, 6}, {u"文件", u"文件_9", u"1"}, u"=1+1"),
        Clause(4, {7, 0, 2}, {u"0", u"_42_", u"none"}, u"5"),
        Clause(5, {4, 6, 0}, {u"文件_1", u"3", u"9"}, u"11"),
        Clause(6, {5, 1, 7}, {u"文件", u"2", u"4"}, u"=2*3"),
        Clause(0, {6, 0, 0}, {u"99"}, u"100"),
        Clause(1, {1, 3, 0}, {u"_8_", u""}, u"-1"),
        Clause(4, {2, 2, 2}, {u"a", u"b", u"c"}, u"1000"),
    };
    return list;
}

}  // namespace

int main()
{
    const fs::path dir = fs::temp_directory_path() / ("kq-supersort-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "files");
    std::printf("creating %d files...\n", kRows);
    char name[64];
    for (int r = 0; r < kRows; ++r) {
        std::snprintf(name, sizeof name, "文件_%d_%05d.txt", r % 173, r);
        std::ofstream(dir / "files" / name);
    }
    const std::string rules = (dir / "rules.cfg").string();
    if (!SaveRouteFile(FromUtf8(rules), TenClauseRule())) return 1;

    const std::string command = std::string("\"") + KQ_CLI_PATH + "\" sort --rules \"" + rules + "\" --rule 基准 --json \"" +
                                (dir / "files").string() + "\" > /dev/null";
    std::vector<double> runs;
    for (int k = 0; k < 5; ++k) {
        int status = 0;
        runs.push_back(Seconds([&] { status = std::system(command.c_str()); }));
        if (status != 0) {
            std::fprintf(stderr, "kqtools-cli sort failed\n");
            return 1;
        }
    }
    const double sortProcess = Median(runs);
    std::printf("kqtools-cli sort, %d files, 10 clauses (100 passes in one): median %.3f s (goal < 1 s)\n", kRows,
                sortProcess);

    // The order alone: ours against the exchange loop on 20,000 weights rich in ties.
    std::mt19937 random(7);
    std::vector<int32_t> weights(20000);
    for (auto& w : weights) w = int32_t(random() % 50);
    std::vector<double> ours, loop;
    for (int k = 0; k < 3; ++k) {
        ours.push_back(Seconds([&] { ExchangeSortOrder(weights, true); }));
        loop.push_back(Seconds([&] {
            std::vector<int32_t> w = weights;
            std::vector<int> order(w.size());
            for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
            for (size_t i = 0; i + 1 < w.size(); ++i)
                for (size_t j = i + 1; j < w.size(); ++j)
                    if (w[j] < w[i]) {
                        std::swap(w[i], w[j]);
                        std::swap(order[i], order[j]);
                    }
            if (order.empty()) std::puts("");
        }));
    }
    std::printf("weight order of 20,000 entries: %.4f s, exchange loop %.3f s (ratio %.0fx)\n", Median(ours), Median(loop),
                Median(loop) / std::max(Median(ours), 1e-9));
    std::error_code ec;
    fs::remove_all(dir, ec);
    return sortProcess < 1.0 ? 0 : 1;
}
