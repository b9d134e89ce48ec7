// Evaluates one formula with a fresh engine for the table-driven tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "formula/engine/TERNBaseStringAnalyse.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq::test {

struct CEvalResult {
    int m_nCode = 0;
    std::u16string m_strOutput;
    int m_nType = OVT_NONE;
    std::u16string m_strError;
};

inline CEvalResult Evaluate(const std::u16string& formula)
{
    CTERNBaseStringAnalyse engine;
    engine.SetInputString(formula);
    CEvalResult r;
    r.m_nCode = engine.DoAnalyse();
    r.m_strOutput = engine.GetOutputString();
    r.m_nType = engine.GetOutputType();
    r.m_strError = engine.GetAnalyseErrorInfo();
    return r;
}

// A row: the formula and either its output text (code 0) or the code and the
// message it fails with; the output's value kind is checked when given.
struct CFormulaRow {
    std::u16string m_strFormula;
    std::u16string m_strExpected;  // output on success, message on failure
    int m_nCode = 0;
    int m_nType = -1;  // OVT_* of the output, -1: not checked
};

// Paths in the texts are written the POSIX way (see PlatformPath); rows
// whose backslashes are no separators (regular expressions) pass paths false.
inline void CheckRows(const CFormulaRow* rows, size_t count, bool paths = true)
{
    auto platform = [paths](const std::u16string& text) { return paths ? PlatformQuotedPaths(text) : text; };
    for (size_t i = 0; i < count; ++i) {
        const CFormulaRow& row = rows[i];
        SCOPED_TRACE(ToUtf8(row.m_strFormula));
        CEvalResult r = Evaluate(platform(row.m_strFormula));
        EXPECT_EQ(r.m_nCode, row.m_nCode) << ToUtf8(r.m_strError);
        if (row.m_nCode == kAnalyseOk) EXPECT_EQ(ToUtf8(platform(r.m_strOutput)), ToUtf8(row.m_strExpected));
        else EXPECT_EQ(ToUtf8(r.m_strError), ToUtf8(row.m_strExpected));
        if (row.m_nCode == kAnalyseOk && row.m_nType >= 0) {
            EXPECT_EQ(r.m_nType, row.m_nType);
        }
    }
}

template <size_t N>
void CheckRows(const CFormulaRow (&rows)[N], bool paths = true)
{
    CheckRows(rows, N, paths);
}

}  // namespace kq::test
