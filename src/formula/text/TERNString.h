// Number-to-text helpers that file names are built from: fixed decimals,
// sequence letters, padded numbers, Chinese and Roman numerals, comma-list
// items, and the clipboard.
#pragma once

#include <string>
#include <string_view>

namespace kq {

class CTERNString {
public:
    CTERNString() = default;
    CTERNString(const CTERNString&) = default;
    CTERNString& operator=(const CTERNString&) = default;
    virtual ~CTERNString() = default;

    // "%.<|decimals|>f" (at most 10 decimals); a negative count also strips
    // trailing zeros and then a trailing point.
    static std::u16string GetDoubleString(double value, int decimals);
    // Spreadsheet-column letters of the 0-based n (A ... ZZZ), else empty.
    static std::u16string GetAlpha(int n, int upper);
    // n+1 zero-padded to width; n above 10000 gives empty.
    static std::u16string GetNumber(int n, int width);
    // n+1 in Chinese numerals (n in 0..1000), else empty.
    static std::u16string GetChineseNumber(int n, int upper);
    // n+1 in Roman-numeral characters (n in 0..1000), else empty.
    static std::u16string GetRomanNum(int n, int upper);
    // Item n (0-based) of a comma-separated list, else empty.
    static std::u16string GetDefineString(int n, std::u16string_view list);
    static int SetClipText(const std::u16string& text);
    static int GetClipText(std::u16string& text);
    // While one lives, GetClipText on its thread answers from a text read
    // before (nullptr: the clipboard held none) instead of the clipboard,
    // which only the thread that owns it may read.
    class CClipSnapshot {
    public:
        explicit CClipSnapshot(const std::u16string* text);
        ~CClipSnapshot();
        CClipSnapshot(const CClipSnapshot&) = delete;
        CClipSnapshot& operator=(const CClipSnapshot&) = delete;

    private:
        friend class CTERNString;
        const std::u16string* m_pText;
        const CClipSnapshot* m_pPrevious;
    };
    static std::u16string GetFDoubleString(double value, int minDecimals, int maxDecimals);
    static double FormatDoublePrev(double value, int decimals);
    static double GetFDoubleValue(std::u16string_view text, int positive);
    static std::u16string GetFIntString(int value);
    static int GetFIntValue(std::u16string_view text, int positive);
};

}  // namespace kq
