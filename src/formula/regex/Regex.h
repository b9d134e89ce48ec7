// Regular expressions over system text (UTF-16), for the formula functions
// and the find-and-replace of the naming modes.
//
// Patterns are Unicode-aware: "." is one character, a surrogate pair is one
// character, "\d" and "\w" are ASCII unless the pattern starts with (*UCP),
// and (?i) ignores case. Units that are no valid UTF-16 (the lone surrogates
// that stand for undecodable bytes of a file name) never match, but are
// kept by a replacement.
//
// Every match is bounded in work and memory, so no pattern can hang the
// caller; a match beyond the bounds fails with ERegexCode::Limit.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kq {

enum class ERegexCode {
    Ok = 0,
    BadPattern,      // the pattern does not compile (or no pattern was compiled)
    BadReplacement,  // a "$" reference in the replacement names no group
    BadGroup,        // a group number outside 0..GetGroupCount()
    Limit,           // the match needed more work or memory than allowed
    TooLong,         // the result would be longer than the caller allows
};

struct CCompiledRegex;

// One pattern and its last message. An object serves one thread at a time;
// the compiled pattern it holds is shared safely between threads, and what
// a search writes is kept per thread.
class CRegex {
public:
    CRegex();
    ~CRegex();
    CRegex(const CRegex&);
    CRegex& operator=(const CRegex&);

    // Compiles the pattern (through a per-thread cache of recent patterns,
    // so a pattern used on every row is compiled once per thread). False
    // with the message in GetErrorInfo when it is invalid:
    // "正则表达式有误（第N个字符）：…", N counting UTF-16 units from 1.
    bool Compile(std::u16string_view pattern);
    bool IsCompiled() const { return m_pCompiled != nullptr; }
    // Capturing groups of the pattern (0 before a successful Compile).
    int GetGroupCount() const;
    // The message of the last failure.
    const std::u16string& GetErrorInfo() const { return m_strError; }

    // Whether the pattern matches somewhere in text.
    ERegexCode Match(std::u16string_view text, bool& found);
    // Non-overlapping matches, an empty match counted like any other.
    ERegexCode Count(std::u16string_view text, int& count);
    // Group `group` of the first match (0: the whole match); empty when
    // nothing matches or the group took no part.
    ERegexCode Extract(std::u16string_view text, int group, std::u16string& out);
    // Every match replaced by the replacement, in which $0..$99 (up to two
    // digits), ${n} and ${name} stand for groups and $$ for "$"; any other
    // "$" is itself. out must not be text's storage. maxLength bounds the
    // result (TooLong beyond it).
    ERegexCode Replace(std::u16string_view text, std::u16string_view replacement, std::u16string& out,
                       size_t maxLength = static_cast<size_t>(-1));
    // The replacement's references checked without matching: BadReplacement
    // with the message when one names no group.
    ERegexCode CheckReplacement(std::u16string_view replacement);

    // Patterns compiled by this thread so far (the cache's misses).
    static long long GetCompileCount();

    // The processor time one Count or Replace may take, in milliseconds.
    // Changed by tests only.
    void SetTimeBudget(int milliseconds) { m_nTimeBudgetMs = milliseconds; }

    // One search may take this many steps of backtracking, and this much
    // memory: on this machine at most about 8 ms compiled to machine code,
    // 15 ms interpreted.
    static constexpr unsigned kMatchLimit = 500000;
    static constexpr unsigned kDepthLimit = 100000;
    static constexpr unsigned kHeapLimitKiB = 32 * 1024;
    // A run of searches stops once it has taken this much processor time;
    // with the search under way it ends within 50 ms. The budget is looked
    // at only after the searches took kSlowRunMs.
    static constexpr int kDefaultTimeBudgetMs = 35;
    static constexpr int kSlowRunMs = 5;
    // Longer patterns are refused; longer than kMaxCachedPattern are not cached.
    static constexpr size_t kMaxPatternLength = 32767;
    static constexpr size_t kMaxCachedPattern = 4096;

private:
    ERegexCode Fail(ERegexCode code, std::u16string message);
    ERegexCode MatchAt(std::u16string_view text, size_t start, unsigned options, int& rc);
    template <class OnMatch>
    ERegexCode ForEachMatch(std::u16string_view text, OnMatch onMatch);

    std::shared_ptr<const CCompiledRegex> m_pCompiled;
    std::u16string m_strError;
    int m_nTimeBudgetMs = kDefaultTimeBudgetMs;
};

// The message of ERegexCode::Limit.
std::u16string RegexLimitMessage();

}  // namespace kq
