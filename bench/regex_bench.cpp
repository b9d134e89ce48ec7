// Regular expressions: rows per second of regexreplace over 100,000 names
// (against the literal substitute in the same run), of the Simple page's
// regex replace, and the time per row of patterns whose backtracking
// explodes, which must fail with error 4 within 50 ms a row.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "formula/engine/FileNameStringAnalyse.h"
#include "formula/regex/Regex.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/SimpleNaming.h"

using namespace kq;
using kq::bench::Median;
using kq::bench::Seconds;

namespace {

constexpr size_t kRows = 100000;
constexpr int kRuns = 5;

// Names as cameras, series and reports write them: most hold a number or
// two, some none; a few are Chinese.
std::vector<std::u16string> MakeNames(size_t count)
{
    std::mt19937 random(20150601);
    const char16_t* const words[] = {u"IMG_", u"DSC", u"第", u"集 ", u"Report ", u"final", u"照片", u"v", u"-", u" "};
    const char16_t* const extensions[] = {u".jpg", u".mp4", u".pdf", u".txt", u""};
    std::vector<std::u16string> names(count);
    for (auto& name : names) {
        const int parts = 1 + static_cast<int>(random() % 4);
        for (int p = 0; p < parts; ++p) {
            name += words[random() % std::size(words)];
            if (random() % 3 != 0) name += FromAscii(std::to_string(random() % 100000));
        }
        name += extensions[random() % std::size(extensions)];
    }
    return names;
}

// Evaluates formula for every name as the Formula page does; returns the
// seconds and counts the rows that failed with each code.
double RunFormula(const std::u16string& formula, const std::vector<std::u16string>& names, int& failed,
                  std::vector<double>* perRow = nullptr)
{
    CFileNameStringAnalyse engine;
    engine.SetInputString(formula);
    engine.m_nCount = static_cast<int>(names.size());
    failed = 0;
    return Seconds([&] {
        for (size_t r = 0; r < names.size(); ++r) {
            engine.m_strFileName = names[r];
            engine.m_nIndex = static_cast<int>(r) + 1;
            const auto start = std::chrono::steady_clock::now();
            if (engine.DoAnalyse() != kAnalyseOk) ++failed;
            if (perRow)
                perRow->push_back(
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    });
}

double RowsPerSecond(const std::u16string& formula, const std::vector<std::u16string>& names, int& failed)
{
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) runs.push_back(static_cast<double>(names.size()) / RunFormula(formula, names, failed));
    return Median(runs);
}

double SimplePageRowsPerSecond(const std::vector<std::u16string>& names, bool regex)
{
    CFileNameList list;
    list.Reserve(names.size());
    for (size_t r = 0; r < names.size(); ++r) list.AddRow(u"/data", names[r] + FromAscii("." + std::to_string(r)));
    CEaFields fields;
    fields.m_bReplaceEnabled = true;
    fields.m_bRegex = regex;
    fields.m_strFind = regex ? u"(\\d+)" : u"1";
    fields.m_strReplace = regex ? u"<$1>" : u"<1>";
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(static_cast<double>(names.size()) / Seconds([&] { fields.FillNewNames(list, true); }));
    return Median(runs);
}

// Each row must fail with error 4, and fast.
void Catastrophic(const char* what, const std::u16string& formula, const std::u16string& name, int rows)
{
    std::vector<double> perRow;
    int failed = 0;
    RunFormula(formula, std::vector<std::u16string>(static_cast<size_t>(rows), name), failed, &perRow);
    double slowest = 0;
    for (double ms : perRow) slowest = ms > slowest ? ms : slowest;
    const double median = Median(perRow);
    std::printf("%-44s median %6.2f ms, slowest %6.2f ms a row (goal 50 ms), %d of %d rows error 4 %s\n", what, median,
                slowest, failed, rows, slowest <= 50 && failed == rows ? "ok" : "FAILED");
}

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::vector<std::u16string> names = MakeNames(kRows);
    int failed = 0;

    const long long compiles = CRegex::GetCompileCount();
    const double regex = RowsPerSecond(u"regexreplace(ftitle(),\"(\\d+)\",\"<$1>\")", names, failed);
    const long long compiled = CRegex::GetCompileCount() - compiles;
    const double literal = RowsPerSecond(u"substitute(ftitle(),\"1\",\"<1>\")", names, failed);
    std::printf("regexreplace(ftitle(),\"(\\d+)\",\"<$1>\")  %10.0f rows/s (goal 1000000) %s, %.2f of substitute's "
                "%.0f rows/s; pattern compiled %lld time(s) in %d runs of %zu rows\n",
                regex, regex >= 1e6 ? "ok" : "SLOW", regex / literal, literal, compiled, kRuns, kRows);
    const double count = RowsPerSecond(u"regexcount(fname(),\"\\d+\")", names, failed);
    const double match = RowsPerSecond(u"regexmatch(fname(),\"(?i)^img_\\d{4}\")", names, failed);
    std::printf("regexcount(fname(),\"\\d+\")              %10.0f rows/s\n", count);
    std::printf("regexmatch(fname(),\"(?i)^img_\\d{4}\")    %10.0f rows/s\n", match);

    const double pageRegex = SimplePageRowsPerSecond(names, true);
    const double pageLiteral = SimplePageRowsPerSecond(names, false);
    std::printf("简洁 page, regex (\\d+) -> <$1>            %10.0f rows/s, %.2f of the literal replace's %.0f rows/s\n",
                pageRegex, pageRegex / pageLiteral, pageLiteral);

    const std::u16string aaab = std::u16string(30, u'a') + u"b";
    Catastrophic("(a+)+$ on 30 a's and a b", u"regexmatch(fname(),\"(a+)+$\")", aaab, 200);
    Catastrophic("the same, interpreted ((*NO_JIT))", u"regexmatch(fname(),\"(*NO_JIT)(a+)+$\")", aaab, 50);
    Catastrophic("^(\\w+\\s?)*$ on 40 a's and a !", u"regexreplace(fname(),\"^(\\w+\\s?)*$\",\"x\")",
                 std::u16string(40, u'a') + u"!", 50);
    // Slow but successful searches one after another: each is under the
    // limit, their time together is not.
    std::u16string slow;
    for (int i = 0; i < 19; ++i) slow += u"(a|a)";
    Catastrophic("255 slow searches on 255 a's", u"regexcount(fname(),\"" + slow + u"c|.\")", std::u16string(255, u'a'),
                 20);
    return 0;
}
