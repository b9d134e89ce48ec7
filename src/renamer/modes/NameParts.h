// Pieces the naming modes share: stem and extension, character deletion,
// plain and regular-expression replacement.
#pragma once

#include <cstdint>

#include <string>
#include <string_view>
#include <vector>

#include "formula/regex/Regex.h"

namespace kq::naming {

// Splits at the last "."; without one the stem is the whole name.
void SplitName(std::u16string_view name, std::u16string& stem, std::u16string& extension);
// Extension only ("" when the name has no ".").
std::u16string_view ExtensionOf(std::u16string_view name);

// Removes count characters at the front (fromEnd false) or the end.
void DeleteCharacters(std::u16string& text, int count, bool fromEnd);
// Every occurrence, left to right, not overlapping; an empty find changes nothing.
void ReplaceAll(std::u16string& text, std::u16string_view find, std::u16string_view replace);

// A template cut at its placeholders once, so that filling it for every row
// needs no search: the same text as ReplaceAll(template, placeholder, value).
class CPlaceholderText {
public:
    CPlaceholderText(std::u16string_view text, std::u16string_view placeholder);
    void Fill(std::u16string& out, std::u16string_view value) const;

private:
    std::vector<std::u16string> m_aPieces;  // the text between placeholders
};

// Counts the rows that share one index: the page's repeat text read as
// |integer| (INT_MIN stays the largest int) more rows after the first.
class CRepeatCounter {
public:
    explicit CRepeatCounter(const std::u16string& repeatText);
    // Call once per row; true when the next row takes the next index.
    bool Step();
    // The number of the index row r takes, counted from 0 (what Step gives
    // after r calls).
    long long GroupOf(int row) const { return row / (static_cast<long long>(m_nRepeat) + 1); }
    // The index row r shows when the first is first and each next adds step:
    // the counter wraps at 32 bits after every step, so the k-th value is
    // first + k * step modulo 2^32.
    int ValueOf(int row, int first, int step) const
    {
        const uint64_t k = static_cast<uint64_t>(GroupOf(row));
        return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(first)) +
                                                      k * static_cast<uint64_t>(static_cast<int64_t>(step))));
    }

private:
    int m_nRepeat;
    int m_nCount = 0;
};

// The deletion positions of the Simple and Enhanced pages.
enum EDeletePosition { kDeleteOldFront = 0, kDeleteOldBack = 1, kDeleteNewFront = 2, kDeleteNewBack = 3 };
// Applies the deletion when it belongs to this stage (old name or new name).
void ApplyDeletion(std::u16string& text, bool enabled, int position, int count, bool onOldName);

class CFindReplace;

// The replacement and deletion settings that the Simple and Enhanced pages share.
struct CReplaceDeleteFields {
    bool m_bReplaceEnabled = false;
    std::u16string m_strFind;
    std::u16string m_strReplace;
    // Check box "正则表达式" beside the find and replace edits (enabled with
    // them): the find text is a pattern and the replacement may use $1.
    bool m_bRegex = false;
    bool m_bDeleteEnabled = false;
    int m_nDeletePosition = 0;
    int m_nDeleteCount = 0;

    // The text a new name is built from: the old name (its stem when the
    // extension is kept), after the deletion on the old name. stem and
    // extension receive the parts of name.
    void MakeBase(std::u16string_view name, bool keepExtension, std::u16string& stem, std::u16string& extension,
                  std::u16string& base) const;
    // The tail of every such name: replacement (row `row` of the run),
    // deletion on the new name, then "." and the extension when it is kept.
    // False when the replacement could not be matched on this row.
    bool FinishName(std::u16string& result, bool keepExtension, std::u16string_view extension, CFindReplace& replace,
                    int row) const;
};

// The replacement step of one run of names. A pattern is compiled once, when
// the run starts; an invalid one (or a replacement naming no group of it)
// replaces nothing in any row. Threads that share a run's rows each need an
// object of their own.
class CFindReplace {
public:
    explicit CFindReplace(const CReplaceDeleteFields& fields);
    // Replaces in the name of row `row`. A row the pattern cannot be matched
    // on within the limits keeps its text: false, and GetRowErrorInfo says why.
    bool Apply(std::u16string& text, int row);
    // The first message of the run ("" when there was none): the invalid
    // pattern's, or the first row that kept its text and why.
    const std::u16string& GetErrorInfo() const { return m_strError; }
    // The message of the last row Apply returned false for.
    const std::u16string& GetRowErrorInfo() const { return m_strRowError; }

private:
    const CReplaceDeleteFields& m_fields;
    bool m_bPattern = false;  // a valid pattern and replacement
    CRegex m_regex;
    std::u16string m_strError;
    std::u16string m_strRowError;
    std::u16string m_strScratch;
};

}  // namespace kq::naming
