// Evaluates a formula with a fresh engine and collects what the caller sees.
#pragma once

#include <string>

#include "formula/engine/FileNameStringAnalyse.h"
#include "platform/Text.h"

namespace kq::test {
// Its own namespace: the function tests have a CEvalResult of another shape,
// and one test program may link both.
inline namespace engine {

struct CEvalResult {
    int m_nCode = 0;
    std::string m_strOutput;  // UTF-8
    int m_nType = 0;
    std::string m_strError;   // UTF-8
};

inline CEvalResult Collect(CTERNBaseStringAnalyse& engine)
{
    CEvalResult r;
    r.m_nCode = engine.DoAnalyse();
    r.m_strOutput = ToUtf8(engine.GetOutputString());
    r.m_nType = engine.GetOutputType();
    r.m_strError = ToUtf8(engine.GetAnalyseErrorInfo());
    return r;
}

inline CEvalResult EvalFormula(const std::string& formula)
{
    CFileNameStringAnalyse engine;
    engine.SetInputString(FromUtf8(formula));
    return Collect(engine);
}

}  // namespace engine
}  // namespace kq::test
