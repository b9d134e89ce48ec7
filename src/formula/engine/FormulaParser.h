// Cutting a formula text into the engine's flat node list. The result
// depends only on the text and the names of the preset variables, so it is
// made once and shared by every evaluation of the same formula.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formula/engine/AnalyseCode.h"
#include "formula/engine/TERNOperateVar.h"

namespace kq {

struct CFunctionInfo;

enum class ENodeKind : unsigned char { Value, Operator, If, And, Or, Function };

struct CNodePlan {
    ENodeKind m_eKind = ENodeKind::Value;
    const CFunctionInfo* m_pInfo = nullptr;  // library entry of a function node, if any
};

struct CParsedFormula {
    std::u16string m_strText;
    std::vector<std::u16string> m_aPresetNames;
    int m_nCode = kAnalyseOk;    // or the code that ends every evaluation of this text
    std::u16string m_strError;   // its message (none for 99)
    std::vector<CTERNOperateVar> m_aNodes;  // the preset slots come first
    std::vector<CNodePlan> m_aPlan;
    std::vector<int> m_aUses;    // how many nodes read each node (the root once more)
    int m_nRootSource = -1;      // the root is a copy of this preset slot
};

// Cuts `text` (without its leading "=") into nodes. Never fails by itself:
// a syntax error is stored in the result's code and message.
std::shared_ptr<const CParsedFormula> ParseFormula(const std::u16string& text,
                                                   const std::vector<CTERNOperateVar>& presets);

// The same parse, through a small per-thread cache of recent formulas.
std::shared_ptr<const CParsedFormula> CachedParseFormula(const std::u16string& text,
                                                         const std::vector<CTERNOperateVar>& presets);

// True when `parsed` was made for this text and these preset names.
bool ParsedMatches(const CParsedFormula& parsed, const std::u16string& text,
                   const std::vector<CTERNOperateVar>& presets);

// Helpers of the text rewriting, shared with the tests.
//
// First quoted string at or after `from` (negative: 0) and before `to` (outside
// the text: its end). None: start = end = -1, 0. Unclosed: kAnalyseQuote. A doubled quote
// inside a string is an escaped quote.
int GetStringMark(int& start, int& end, const std::u16string& text, int from, int to);
// A numeric constant: first character a digit, ".", "+" or "-", then digits
// and at most one "." in all. The empty text passes.
bool CheckConst(std::u16string_view text);
// Operand delimiters & * + - / < = > ("^" and "!" are not).
bool IsOperateCode(char16_t c);

}  // namespace kq
