// Rows per second of the Formula page's fifteen ready-made formulas, each
// over 100,000 synthetic rows, evaluated the way the page does it: one
// engine per run, the row values set before every DoAnalyse.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "formula/engine/FileNameStringAnalyse.h"
#include "platform/Path.h"
#include "platform/Text.h"

using namespace kq;

namespace {

constexpr const char16_t* kFormulas[] = {
    u"Upper(Fname())",
    u"Lower(Fname())",
    u"Upper(Ftitle())",
    u"Lower(Ftitle())",
    u"Upper(Ftitle())&\".\"&Lower(Fext())",
    u"Fname()",
    u"Left(Fname(),5)",
    u"StrIndex(Index(),2)&Fname()",
    u"\"第\"&China(Index(),0)&\"文件\"",
    u"lpath()&\"_\"&ftitle()",
    u"\"Part \"&index()&\" of \"&count()",
    u"if(find(ftitle(),\" \",1)<1,ftitle(),delete(ftitle(),1,find(ftitle(),\" \",1)))",
    u"StrIndex(Index(),3)&\" \"&if(find(ftitle(),\" \",1)<1,ftitle(),delete(ftitle(),1,find(ftitle(),\" \",1)))",
    u"StrIndex(Index(),3)&\"-\"&triml(triml2(if(first(ftitle(),2)<0,ftitle(),delete(ftitle(),1,first(ftitle(),2)-1)),\"-\"))",
    u"if(exact(fext(),\"pdf\"),\"文档\"&ftitle(),\"图纸\"&ftitle())",
};

struct CRow {
    std::u16string m_strName;
    std::u16string m_strFolder;
};

// File names of 5-40 characters (letters, digits, spaces, dashes, some
// Chinese), most with an extension, spread over a few dozen folders.
std::vector<CRow> MakeRows(size_t count)
{
    std::mt19937 random(20150101);
    const std::u16string alphabet = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -_文件图纸资料";
    const std::u16string extensions[] = {u"pdf", u"dwg", u"txt", u"jpg", u"PDF", u"docx", u""};
    std::vector<std::u16string> folders;
    for (int i = 0; i < 40; ++i) {
        std::u16string folder;
        folder += kPathSeparator;
        folder += u"data";
        folder += kPathSeparator;
        folder += u"项目" + FromAscii(std::to_string(i % 7));
        folder += kPathSeparator;
        folder += FromAscii("part" + std::to_string(i));
        folders.push_back(folder);
    }
    std::vector<CRow> rows(count);
    for (auto& row : rows) {
        const std::u16string& ext = extensions[random() % 7];
        size_t total = 5 + random() % 36;
        size_t titleLength = ext.empty() ? total : (total > ext.size() + 1 ? total - ext.size() - 1 : 1);
        for (size_t i = 0; i < titleLength; ++i) row.m_strName.push_back(alphabet[random() % alphabet.size()]);
        if (!ext.empty()) row.m_strName += u"." + ext;
        row.m_strFolder = folders[random() % folders.size()];
    }
    return rows;
}

// Formulas that hit a limit of the engine (text length, nesting) or read a
// device: the window must get its failed rows at once, not after minutes.
constexpr const char16_t* kLimitFormulas[] = {
    u"calreplace(char(1)&\"calreplace(char(1)&x&char(2),char(1),char(2),x,1)\"&char(2),char(1),char(2),"
    u"\"calreplace(char(1)&x&char(2),char(1),char(2),x,1)\",1)",
    u"filelinecount(\"/dev/zero\")&filelineindex(\"/dev/zero\",index())",
};

std::u16string TooLongFormula()
{
    std::u16string formula = u"len(ftitle()";
    for (int i = 0; i < 520; ++i) formula += u"&rept(\"a\",32767)";
    return formula + u")";
}

// Evaluates formula over the rows the way the page does; returns seconds.
double Run(const std::u16string& formula, const std::vector<CRow>& rows, size_t& outputChars, int& failures)
{
    auto start = std::chrono::steady_clock::now();
    CFileNameStringAnalyse engine;
    engine.SetInputString(formula);
    engine.m_nCount = static_cast<int>(rows.size());
    CFolderCounter folders;
    for (size_t r = 0; r < rows.size(); ++r) {
        engine.m_strFileName = rows[r].m_strName;
        engine.m_strFilePath = rows[r].m_strFolder;
        engine.m_nIndex = static_cast<int>(r) + 1;
        folders.Count(rows[r].m_strFolder, engine.m_nPathIndex, engine.m_nIndexOnPath);
        if (engine.DoAnalyse() != 0) {
            ++failures;
            continue;
        }
        outputChars += engine.GetOutputString().size();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Peak memory (MB) of a process that makes the rows and runs only formula f.
double PeakMegabytes([[maybe_unused]] size_t f)
{
#ifdef _WIN32
    return 0;
#else
    pid_t pid = fork();
    if (pid == 0) {
        size_t chars = 0;
        int failures = 0;
        Run(kFormulas[f], MakeRows(100000), chars, failures);
        _exit(0);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) return 0;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    // An optional formula number runs only that one (for profiling).
    const size_t only = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 0;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each result as soon as it is known
    const std::vector<CRow> rows = MakeRows(100000);
    double slowest = 1e300;
    int failures = 0;
    std::printf("%-4s %14s  %s\n", "#", "rows/s", "formula");
    size_t slowestFormula = 0;
    for (size_t f = 0; f < std::size(kFormulas); ++f) {
        if (only != 0 && only != f + 1) continue;
        size_t outputChars = 0;
        double seconds = Run(kFormulas[f], rows, outputChars, failures);
        double rate = static_cast<double>(rows.size()) / seconds;
        if (rate < slowest) {
            slowest = rate;
            slowestFormula = f;
        }
        std::printf("%-4zu %14.0f  %s  (%zu chars)\n", f + 1, rate, ToUtf8(kFormulas[f]).c_str(), outputChars);
    }
    if (only == 0) {
        std::printf("slowest #%zu: peak memory %.1f MB (a process running only it)\n", slowestFormula + 1,
                    PeakMegabytes(slowestFormula));
        // Every row of these fails; they must fail fast.
        std::vector<std::u16string> limits(std::begin(kLimitFormulas), std::end(kLimitFormulas));
        limits.insert(limits.begin(), TooLongFormula());
        for (const std::u16string& formula : limits) {
            size_t chars = 0;
            int failed = 0;
            double seconds = Run(formula, rows, chars, failed);
            std::string text = ToUtf8(formula);
            if (text.size() > 60) text = text.substr(0, 57) + "...";
            std::printf("limit: %.3f s for %zu rows (goal 1 s), %d failed  %s\n", seconds, rows.size(), failed,
                        text.c_str());
        }
    }
    std::printf("slowest: %.0f rows/s (goal 500000)%s\n", slowest, failures ? ", with failed rows!" : "");
    return failures ? 1 : 0;
}
