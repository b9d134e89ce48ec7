// A control-expression template cut into literal texts and items once, so
// that a run over many rows reads the template only once. Used by
// CStringOperatorMacro; the expansion of one item is here too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kq {

class CGetValFromString;

struct CMacroParam {
    std::u16string m_strKey;    // text before the first "=" (upper case)
    std::u16string m_strValue;  // text after it
};

struct CMacroItemParts {
    std::u16string m_strText;     // as typed between the braces, for the message
    std::u16string m_strControl;  // upper case, trimmed: "F", "I+9", ...
    std::vector<CMacroParam> m_aParams;
    bool m_bParamsValid = true;   // false when a parameter had no "="
};

struct CMacroSegment {
    std::u16string m_strLiteral;  // copied unchanged ("{{" already made "{")
    bool m_bHasItem = false;      // an item follows the literal
    CMacroItemParts m_item;
};

struct CMacroTemplate {
    bool m_bBraceCheckFailed = false;  // a "}" without "{" before it: fail silently
    bool m_bUnmatchedBrace = false;    // after the segments comes a "{" without "}"
    std::vector<CMacroSegment> m_aSegments;
};

CMacroTemplate ParseMacroTemplate(std::u16string_view text);
CMacroItemParts ParseMacroItem(std::u16string_view itemText);

// The text of a string item with value `value`; false when a parameter is
// not one of S, E, L, R, M, T.
bool ExpandStringItem(const CMacroItemParts& item, std::u16string_view value, std::u16string& text);
// The text of a numeric item, evaluated with the evaluator's variables;
// false when the evaluation fails or a parameter is not one of V, D, L, A.
bool ExpandNumericItem(const CMacroItemParts& item, CGetValFromString& evaluator, std::u16string& text);

}  // namespace kq
