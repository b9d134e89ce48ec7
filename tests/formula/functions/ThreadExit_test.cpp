// The engine keeps per-thread state (parsed formulas, regex match data);
// threads that evaluate and end, as a name cycle's do at every keystroke,
// must leave nothing behind that breaks at their end.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "FormulaRows.h"
#include "platform/Text.h"

namespace kq {
namespace {

TEST(EngineThreads, ShortLivedThreadsEvaluateAndEndCleanly)
{
    const std::u16string formulas[] = {
        u"regexreplace(\"IMG_0042.jpg\",\"(\\d+)\",\"<$1>\")",
        u"upper(\"abc\")&strcal(\"1+2\")",
        u"regexcount(\"a1b22c333\",\"\\d+\")",
    };
    const std::u16string expected[] = {u"\"IMG_<0042>.jpg\"", u"\"ABC3\"", u"3"};
    std::atomic<int> wrong{0};
    for (int round = 0; round < 30; ++round) {
        std::vector<std::thread> threads;
        for (int t = 0; t < 6; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < 3; ++i) {
                    const size_t f = size_t(t + i) % std::size(formulas);
                    const test::CEvalResult r = test::Evaluate(formulas[f]);
                    if (r.m_nCode != 0 || r.m_strOutput != expected[f]) ++wrong;
                }
            });
        for (std::thread& t : threads) t.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace kq
