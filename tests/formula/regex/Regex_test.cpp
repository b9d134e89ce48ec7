#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "formula/regex/Regex.h"
#include "formula/regex/RegexErrorTexts.h"
#include "platform/Text.h"

namespace kq {
namespace {

TEST(Regex, EveryCompileErrorHasAChineseReason)
{
    // The library numbers its compile errors from 101; 199 is its last.
    for (int code = 101; code <= 199; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(RegexCompileReason(code).find(u"无法识别的写法"), std::u16string::npos);
    }
    EXPECT_EQ(ToUtf8(RegexCompileReason(250)), "无法识别的写法（错误250）");
}

// Units that are no valid UTF-16 (undecodable bytes of a POSIX name) are
// never matched, and a replacement keeps them where they were.
TEST(Regex, UndecodableUnitsNeverMatchAndSurvive)
{
    const std::u16string name = u"a\xDC80" u"b\xD800";
    CRegex regex;
    ASSERT_TRUE(regex.Compile(u"."));
    std::u16string out;
    ASSERT_EQ(regex.Replace(name, u"-", out), ERegexCode::Ok);
    EXPECT_EQ(out, u"-\xDC80-\xD800");
    int count = 0;
    ASSERT_EQ(regex.Count(name, count), ERegexCode::Ok);
    EXPECT_EQ(count, 2);
    ASSERT_TRUE(regex.Compile(u"^a.b"));
    bool found = true;
    ASSERT_EQ(regex.Match(name, found), ERegexCode::Ok);
    EXPECT_FALSE(found);
}

// Each search is bounded by the match limit; a run of searches by the
// processor time it takes.
TEST(Regex, ARunOfSearchesIsBoundedInTime)
{
    CRegex regex;
    ASSERT_TRUE(regex.Compile(u"a"));
    regex.SetTimeBudget(-1);  // no time at all after the first match
    int count = -1;
    std::u16string out;
    EXPECT_EQ(regex.Count(u"b", count), ERegexCode::Ok);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(regex.Count(u"a", count), ERegexCode::Ok);  // the search after it finds nothing
    EXPECT_EQ(count, 1);
    EXPECT_EQ(regex.Count(u"aa", count), ERegexCode::Limit);
    EXPECT_EQ(regex.GetErrorInfo(), RegexLimitMessage());
    EXPECT_EQ(regex.Replace(u"aa", u"b", out), ERegexCode::Limit);
    EXPECT_TRUE(out.empty());
}

TEST(Regex, NothingCompiledRefusesEveryOperation)
{
    CRegex regex;
    bool found = true;
    std::u16string out = u"x";
    EXPECT_EQ(regex.Match(u"a", found), ERegexCode::BadPattern);
    EXPECT_FALSE(found);
    EXPECT_EQ(regex.Replace(u"a", u"b", out), ERegexCode::BadPattern);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(regex.Compile(u"("));
    EXPECT_EQ(regex.CheckReplacement(u"b"), ERegexCode::BadPattern);
    EXPECT_EQ(ToUtf8(regex.GetErrorInfo()), "正则表达式有误（第1个字符）：缺少右括号“)”");
}

// Threads share compiled patterns through nothing but their own caches, and
// each compiles a pattern once however many texts it matches.
TEST(Regex, ThreadsMatchAtTheSameTimeEachCompilingOnce)
{
    constexpr int kThreads = 4;
    constexpr int kTexts = 3000;
    std::vector<int> wrong(kThreads, 0);
    std::vector<long long> compiles(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &wrong, &compiles] {
            const long long before = CRegex::GetCompileCount();
            std::u16string out;
            for (int i = 0; i < kTexts; ++i) {
                CRegex regex;
                const std::u16string text = u"第" + FromAscii(std::to_string(i * kThreads + t)) + u"集";
                if (!regex.Compile(u"第(\\d+)集") || regex.Replace(text, u"E$1", out) != ERegexCode::Ok ||
                    out != u"E" + FromAscii(std::to_string(i * kThreads + t)))
                    ++wrong[t];
            }
            compiles[t] = CRegex::GetCompileCount() - before;
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(wrong[t], 0);
        EXPECT_EQ(compiles[t], 1);
    }
}

}  // namespace
}  // namespace kq
