#include "formula/regex/Regex.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <new>
#include <utility>
#include <vector>

#include "formula/regex/RegexErrorTexts.h"
#include "platform/Clock.h"
#include "platform/Crt.h"
#include "platform/PerThread.h"
#include "platform/Text.h"

namespace kq {

static_assert(sizeof(PCRE2_UCHAR) == sizeof(char16_t));

// One compiled pattern. It is never changed after compiling, so threads may
// share it; what a match writes lives in each thread's CMatchState.
struct CCompiledRegex {
    pcre2_code* m_pCode = nullptr;
    bool m_bJit = false;
    int m_nGroups = 0;

    CCompiledRegex() = default;
    CCompiledRegex(const CCompiledRegex&) = delete;
    CCompiledRegex& operator=(const CCompiledRegex&) = delete;
    ~CCompiledRegex() { pcre2_code_free(m_pCode); }
};

namespace {

using CPatternPtr = std::shared_ptr<const CCompiledRegex>;

PCRE2_SPTR16 Units(std::u16string_view text) { return reinterpret_cast<PCRE2_SPTR16>(text.data()); }

// What one thread needs to match: the limits, a JIT stack, the match data
// (grown to the most groups seen) and the recent patterns.
class CMatchState {
public:
    static CMatchState& Get() { return PerThread<CMatchState>(); }
    CMatchState() = default;

    CMatchState(const CMatchState&) = delete;
    CMatchState& operator=(const CMatchState&) = delete;
    ~CMatchState()
    {
        pcre2_match_data_free(m_pData);
        pcre2_jit_stack_free(m_pJitStack);
        pcre2_match_context_free(m_pContext);
    }

    // False when memory ran out.
    bool Ready(int groups)
    {
        if (!m_pContext) {
            m_pContext = pcre2_match_context_create(nullptr);
            if (!m_pContext) return false;
            pcre2_set_match_limit(m_pContext, CRegex::kMatchLimit);
            pcre2_set_depth_limit(m_pContext, CRegex::kDepthLimit);
            pcre2_set_heap_limit(m_pContext, CRegex::kHeapLimitKiB);
            // Without a stack of its own JIT code gets 32 KiB of the machine
            // stack, too little for a long name with many alternatives.
            m_pJitStack = pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr);
            if (m_pJitStack) pcre2_jit_stack_assign(m_pContext, nullptr, m_pJitStack);
        }
        const uint32_t pairs = static_cast<uint32_t>(groups) + 1;
        if (!m_pData || m_nPairs < pairs) {
            pcre2_match_data* data = pcre2_match_data_create(pairs, nullptr);
            if (!data) return false;
            pcre2_match_data_free(m_pData);
            m_pData = data;
            m_nPairs = pairs;
        }
        return true;
    }

    pcre2_match_context* Context() const { return m_pContext; }
    pcre2_match_data* Data() const { return m_pData; }

    struct CEntry {
        std::u16string m_strPattern;
        CPatternPtr m_pCompiled;  // null: the pattern is invalid
        std::u16string m_strError;
    };
    std::vector<CEntry> m_aCache;  // most recently used first
    long long m_nCompiles = 0;

private:
    pcre2_match_context* m_pContext = nullptr;
    pcre2_jit_stack* m_pJitStack = nullptr;
    pcre2_match_data* m_pData = nullptr;
    uint32_t m_nPairs = 0;
};

constexpr size_t kMaxCacheEntries = 32;

// "." is one character and a surrogate pair one character; undecodable
// units never match; \C could split a pair and is refused.
constexpr uint32_t kCompileOptions = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_NEVER_BACKSLASH_C;

// The library gives the offset at which it noticed the error; one at the
// end (a missing ")") is shown as the last character.
std::u16string PatternError(size_t offset, size_t length, std::u16string_view reason)
{
    const size_t position = offset < length ? offset + 1 : (length > 0 ? length : 1);
    return u"正则表达式有误（第" + FormatInt(static_cast<long long>(position)) + u"个字符）：" + std::u16string(reason);
}

CPatternPtr CompilePattern(std::u16string_view pattern, std::u16string& error)
{
    ++CMatchState::Get().m_nCompiles;
    if (pattern.size() > CRegex::kMaxPatternLength) {
        error = u"正则表达式有误：不能超过" + FormatInt(static_cast<long long>(CRegex::kMaxPatternLength)) + u"个字符";
        return nullptr;
    }
    int code = 0;
    PCRE2_SIZE offset = 0;
    // A view of an empty text may have no storage; the library wants one.
    static const char16_t kEmpty = 0;
    PCRE2_SPTR16 units = pattern.empty() ? reinterpret_cast<PCRE2_SPTR16>(&kEmpty) : Units(pattern);
    pcre2_code* compiled = pcre2_compile(units, pattern.size(), kCompileOptions, &code, &offset, nullptr);
    if (!compiled) {
        error = code == PCRE2_ERROR_HEAP_FAILED ? std::u16string(u"内存不足，无法编译正则表达式")
                                                : PatternError(offset, pattern.size(), RegexCompileReason(code));
        return nullptr;
    }
    auto result = std::make_shared<CCompiledRegex>();
    result->m_pCode = compiled;
    // Without JIT (not available, or refused for this pattern) the
    // interpreter runs under the same limits.
    size_t jitSize = 0;
    result->m_bJit = pcre2_jit_compile(compiled, PCRE2_JIT_COMPLETE) == 0 &&
                     pcre2_pattern_info(compiled, PCRE2_INFO_JITSIZE, &jitSize) == 0 && jitSize > 0;
    uint32_t groups = 0;
    pcre2_pattern_info(compiled, PCRE2_INFO_CAPTURECOUNT, &groups);
    result->m_nGroups = static_cast<int>(groups);
    return result;
}

// The groups a "${name}" may stand for, in the pattern's order (several
// with (?J)); empty when no group has the name.
std::vector<int> GroupsNamed(const CCompiledRegex& compiled, std::u16string_view name)
{
    std::vector<int> groups;
    const std::u16string terminated(name);
    PCRE2_SPTR16 first = nullptr;
    PCRE2_SPTR16 last = nullptr;
    const int size = pcre2_substring_nametable_scan(compiled.m_pCode, Units(terminated), &first, &last);
    if (size <= 0 || !first || !last) return groups;
    for (PCRE2_SPTR16 entry = first; entry <= last; entry += size) groups.push_back(entry[0]);
    return groups;
}

std::u16string ReplacementError(size_t at, std::u16string_view reason)
{
    return u"替换文本有误（第" + FormatInt(static_cast<long long>(at) + 1) + u"个字符）：" + std::u16string(reason);
}

// Walks the replacement. With out set, appends the expansion for the match
// in ovector; without, only checks every reference (error set on failure).
bool ExpandReplacement(const CCompiledRegex& compiled, std::u16string_view replacement, std::u16string_view subject,
                       const PCRE2_SIZE* ovector, std::u16string* out, std::u16string& error)
{
    auto appendGroup = [&](int group) {
        if (!out) return;
        const PCRE2_SIZE start = ovector[2 * group], end = ovector[2 * group + 1];
        if (start != PCRE2_UNSET && end != PCRE2_UNSET && start <= end && end <= subject.size())
            out->append(subject.substr(start, end - start));
    };
    const size_t n = replacement.size();
    size_t i = 0;
    while (i < n) {
        const size_t dollar = replacement.find(u'$', i);
        if (out) out->append(replacement.substr(i, (dollar == std::u16string_view::npos ? n : dollar) - i));
        if (dollar == std::u16string_view::npos) break;
        i = dollar + 1;
        const char16_t next = i < n ? replacement[i] : u'\0';
        if (IsAsciiDigit(next)) {
            int group = next - u'0';
            ++i;
            if (i < n && IsAsciiDigit(replacement[i])) group = group * 10 + (replacement[i++] - u'0');
            if (group > compiled.m_nGroups) {
                error = ReplacementError(dollar, u"没有第" + FormatInt(group) + u"个分组");
                return false;
            }
            appendGroup(group);
        } else if (next == u'{') {
            const size_t close = replacement.find(u'}', i + 1);
            if (close == std::u16string_view::npos) {
                error = ReplacementError(dollar, u"“${”缺少右花括号“}”");
                return false;
            }
            const std::u16string_view name = replacement.substr(i + 1, close - i - 1);
            i = close + 1;
            if (name.empty()) {
                error = ReplacementError(dollar, u"“${}”中缺少分组的序号或名称");
                return false;
            }
            bool digits = name.size() <= 5;
            for (char16_t c : name) digits = digits && IsAsciiDigit(c);
            if (digits) {
                const int group = static_cast<int>(Wtoi(name));
                if (group > compiled.m_nGroups) {
                    error = ReplacementError(dollar, u"没有第" + FormatInt(group) + u"个分组");
                    return false;
                }
                appendGroup(group);
                continue;
            }
            const std::vector<int> groups = GroupsNamed(compiled, name);
            if (groups.empty()) {
                error = ReplacementError(dollar, u"没有名为“" + std::u16string(name) + u"”的分组");
                return false;
            }
            // Of groups sharing the name, the first that took part.
            int chosen = groups.front();
            if (out)
                for (int g : groups)
                    if (ovector[2 * g] != PCRE2_UNSET) {
                        chosen = g;
                        break;
                    }
            appendGroup(chosen);
        } else {
            if (out) out->push_back(u'$');
            if (next == u'$') ++i;
        }
    }
    return true;
}

}  // namespace

CRegex::CRegex() = default;
CRegex::~CRegex() = default;
CRegex::CRegex(const CRegex&) = default;
CRegex& CRegex::operator=(const CRegex&) = default;

std::u16string RegexLimitMessage() { return u"正则表达式匹配的计算量超出限制，请简化正则表达式"; }

long long CRegex::GetCompileCount() { return CMatchState::Get().m_nCompiles; }

int CRegex::GetGroupCount() const { return m_pCompiled ? m_pCompiled->m_nGroups : 0; }

ERegexCode CRegex::Fail(ERegexCode code, std::u16string message)
{
    m_strError = std::move(message);
    return code;
}

bool CRegex::Compile(std::u16string_view pattern)
{
    m_pCompiled.reset();
    m_strError.clear();
    try {
        CMatchState& state = CMatchState::Get();
        auto& cache = state.m_aCache;
        for (size_t i = 0; i < cache.size(); ++i) {
            if (cache[i].m_strPattern != pattern) continue;
            if (i != 0) std::rotate(cache.begin(), cache.begin() + static_cast<long>(i), cache.begin() + static_cast<long>(i) + 1);
            m_pCompiled = cache.front().m_pCompiled;
            m_strError = cache.front().m_strError;
            return m_pCompiled != nullptr;
        }
        std::u16string error;
        CPatternPtr compiled = CompilePattern(pattern, error);
        if (pattern.size() <= kMaxCachedPattern) {
            if (cache.size() >= kMaxCacheEntries) cache.pop_back();
            cache.insert(cache.begin(), CMatchState::CEntry{std::u16string(pattern), compiled, error});
        }
        m_pCompiled = std::move(compiled);
        m_strError = std::move(error);
    } catch (const std::bad_alloc&) {
        m_pCompiled.reset();
        m_strError = u"内存不足，无法编译正则表达式";
    }
    return m_pCompiled != nullptr;
}

// One search from start; rc is the library's result (> 0 matched, or
// PCRE2_ERROR_NOMATCH). Anything else is a failure with its message.
ERegexCode CRegex::MatchAt(std::u16string_view text, size_t start, unsigned options, int& rc)
{
    if (!m_pCompiled) return Fail(ERegexCode::BadPattern, m_strError.empty() ? u"没有正则表达式" : m_strError);
    CMatchState& state = CMatchState::Get();
    if (!state.Ready(m_pCompiled->m_nGroups)) return Fail(ERegexCode::Limit, u"内存不足，无法匹配正则表达式");
    static const char16_t kEmpty = 0;
    PCRE2_SPTR16 units = text.empty() ? reinterpret_cast<PCRE2_SPTR16>(&kEmpty) : Units(text);
    rc = m_pCompiled->m_bJit
             ? pcre2_jit_match(m_pCompiled->m_pCode, units, text.size(), start, options, state.Data(), state.Context())
             : pcre2_match(m_pCompiled->m_pCode, units, text.size(), start, options, state.Data(), state.Context());
    if (rc > 0 || rc == PCRE2_ERROR_NOMATCH) return ERegexCode::Ok;
    switch (rc) {
    case PCRE2_ERROR_MATCHLIMIT:
    case PCRE2_ERROR_DEPTHLIMIT:
    case PCRE2_ERROR_HEAPLIMIT:
    case PCRE2_ERROR_JIT_STACKLIMIT:
    case PCRE2_ERROR_NOMEMORY: return Fail(ERegexCode::Limit, RegexLimitMessage());
    default: return Fail(ERegexCode::Limit, u"正则表达式匹配失败（错误" + FormatInt(rc) + u"）");
    }
}

ERegexCode CRegex::Match(std::u16string_view text, bool& found)
{
    found = false;
    int rc = 0;
    if (ERegexCode code = MatchAt(text, 0, 0, rc); code != ERegexCode::Ok) return code;
    found = rc > 0;
    return ERegexCode::Ok;
}

ERegexCode CRegex::Extract(std::u16string_view text, int group, std::u16string& out)
{
    out.clear();
    if (m_pCompiled && (group < 0 || group > m_pCompiled->m_nGroups))
        return Fail(ERegexCode::BadGroup, u"分组序号必须在0到" + FormatInt(m_pCompiled->m_nGroups) + u"之间");
    int rc = 0;
    if (ERegexCode code = MatchAt(text, 0, 0, rc); code != ERegexCode::Ok) return code;
    if (rc <= 0) return ERegexCode::Ok;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(CMatchState::Get().Data());
    const PCRE2_SIZE start = ovector[2 * group], end = ovector[2 * group + 1];
    if (start != PCRE2_UNSET && start <= end && end <= text.size()) out.assign(text.substr(start, end - start));
    return ERegexCode::Ok;
}

// The loop of Count and Replace: each match found after the previous one.
// After an empty match the next may not be empty at the same place, so
// "x*" on "abc" matches at 0, 1, 2 and 3. onMatch gets the bounds of each
// match and the groups' offsets, and returns a code other than Ok to stop.
template <class OnMatch>
ERegexCode CRegex::ForEachMatch(std::u16string_view text, OnMatch onMatch)
{
    // Every single search is bounded by the limits, a long run of slow ones
    // by the processor time the run takes. The wall clock (cheap) is read
    // around each search; only once the searches have taken kSlowRunMs by it
    // is the thread's processor time (a system call) read, so that waiting
    // for a busy machine never ends a run. Building the result is bounded by
    // its length.
    using Clock = std::chrono::steady_clock;
    const int64_t budgetUs = static_cast<int64_t>(m_nTimeBudgetMs) * 1000;
    const int64_t slowUs = std::min<int64_t>(kSlowRunMs * 1000, budgetUs);
    Clock::duration searching{};
    int64_t cpuStart = -1;
    size_t position = 0;
    unsigned options = 0;
    for (;;) {
        const Clock::time_point before = Clock::now();
        int rc = 0;
        if (ERegexCode code = MatchAt(text, position, options, rc); code != ERegexCode::Ok) return code;
        if (rc <= 0) return ERegexCode::Ok;
        searching += Clock::now() - before;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(CMatchState::Get().Data());
        const size_t start = ovector[0];
        const size_t end = ovector[1] < start ? start : ovector[1];
        if (ERegexCode code = onMatch(start, end, ovector); code != ERegexCode::Ok) return code;
        if (start == end && end >= text.size()) return ERegexCode::Ok;
        if (std::chrono::duration_cast<std::chrono::microseconds>(searching).count() > slowUs) {
            const int64_t cpu = ThreadCpuMicroseconds();
            if (cpuStart < 0)
                cpuStart = cpu;
            else if (std::max<int64_t>(slowUs, 0) + (cpu - cpuStart) > budgetUs)
                return Fail(ERegexCode::Limit, RegexLimitMessage());
        }
        options = start == end ? PCRE2_NOTEMPTY_ATSTART : 0;
        position = end;
    }
}

ERegexCode CRegex::Count(std::u16string_view text, int& count)
{
    count = 0;
    return ForEachMatch(text, [&](size_t, size_t, const PCRE2_SIZE*) {
        if (count < INT_MAX) ++count;
        return ERegexCode::Ok;
    });
}

ERegexCode CRegex::CheckReplacement(std::u16string_view replacement)
{
    if (!m_pCompiled) return Fail(ERegexCode::BadPattern, m_strError.empty() ? u"没有正则表达式" : m_strError);
    std::u16string error;
    if (!ExpandReplacement(*m_pCompiled, replacement, {}, nullptr, nullptr, error))
        return Fail(ERegexCode::BadReplacement, std::move(error));
    return ERegexCode::Ok;
}

ERegexCode CRegex::Replace(std::u16string_view text, std::u16string_view replacement, std::u16string& out,
                           size_t maxLength)
{
    out.clear();
    if (ERegexCode code = CheckReplacement(replacement); code != ERegexCode::Ok) return code;
    size_t copied = 0;
    std::u16string unused;
    ERegexCode code = ForEachMatch(text, [&](size_t start, size_t end, const PCRE2_SIZE* ovector) {
        out.append(text.substr(copied, start - copied));
        ExpandReplacement(*m_pCompiled, replacement, text, ovector, &out, unused);
        copied = end;
        return out.size() > maxLength ? ERegexCode::TooLong : ERegexCode::Ok;
    });
    if (code == ERegexCode::Ok) {
        out.append(text.substr(copied));
        if (out.size() > maxLength) code = ERegexCode::TooLong;
    }
    if (code == ERegexCode::TooLong) m_strError = u"替换后的文本太长";
    if (code != ERegexCode::Ok) out.clear();
    return code;
}

}  // namespace kq
