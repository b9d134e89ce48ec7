// File, time, clipboard and index functions of the formula language. None
// refuses a value: file-system, clock and clipboard failures give fixed
// results.
#include <cstdint>
#include <ctime>

#include "formula/text/TERNString.h"
#include "formula/functions/FileBase.h"
#include "formula/functions/FunctionTable.h"
#include "formula/functions/TextFunctionSupport.h"
#include "platform/Clock.h"
#include "platform/Crt.h"
#include "platform/Text.h"

namespace kq {

using namespace fn;

namespace {

// Padding of strindex stops here, the same limit as rept's results.
constexpr int kMaxIndexWidth = 32767;
// The formatted time must fit a buffer of 128 code units with its end mark.
constexpr size_t kMaxTimeText = 127;

// ---- path parts -------------------------------------------------------------

using PathPart = std::u16string (*)(std::u16string_view);

template <PathPart part>
int FnPathPart(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    return SetText(node, part(ReadText(e, node, 0)));
}

// ---- file facts -------------------------------------------------------------

template <int32_t (*time)(std::u16string_view)>
int FnFileTime(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    return SetInt(node, time(ReadText(e, node, 0)));
}

// Sizes of 2 GiB and more do not fit a formula integer: they come as a real
// number, exact to the byte (a double holds every size below 8 PiB).
int FnFileSize(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    const int64_t size = CFileBase::Base_GetFileSize(ReadText(e, node, 0));
    if (size > INT32_MAX) return SetReal(node, static_cast<double>(size));
    return SetInt(node, static_cast<int>(size));
}

int FnFileLineCount(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    return SetInt(node, CFileBase::Base_GetFileLineCount(ReadText(e, node, 0)));
}

int FnFileLineIndex(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string path = ReadText(e, node, 0);
    int n = 0;
    if (int rc = ReadInt(e, node, 1, n)) return rc;
    if (n <= 0) return SetText(node, {});
    return SetText(node, CFileBase::Base_GetFileLineString(path, n));
}

// ---- time -------------------------------------------------------------------

// Local broken-down time of a formula time. Times before 1970 cannot be
// converted, as on the system the formulas were first written for.
bool BreakDown(int t, std::tm& tm)
{
    if (t < 0) return false;
    return LocalTime(static_cast<int64_t>(t), tm);
}

int FnCurTime(CTERNBaseStringAnalyse&, CTERNOperateVar& node)
{
    return SetInt(node, static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(CurrentTime()))));
}

enum class ETimeField { Year, Month, Day, Hour, Minute, Second, Week };

template <ETimeField field>
int FnTimeField(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int t = 0;
    if (int rc = ReadInt(e, node, 0, t)) return rc;
    std::tm tm{};
    const bool ok = BreakDown(t, tm);
    switch (field) {
    case ETimeField::Year: return SetInt(node, ok ? tm.tm_year + 1900 : 0);
    case ETimeField::Month: return SetInt(node, ok ? tm.tm_mon + 1 : 0);
    case ETimeField::Day: return SetInt(node, ok ? tm.tm_mday : 0);
    case ETimeField::Hour: return SetInt(node, ok ? tm.tm_hour : -1);
    case ETimeField::Minute: return SetInt(node, ok ? tm.tm_min : -1);
    case ETimeField::Second: return SetInt(node, ok ? tm.tm_sec : -1);
    case ETimeField::Week: return SetInt(node, ok ? tm.tm_wday + 1 : 0);
    }
    return SetInt(node, 0);
}

// The standard strftime conversions (with the E and O modifiers where the
// standard allows them). Anything else is a format the formatter refuses.
bool IsTimeFormatValid(std::u16string_view format)
{
    constexpr std::u16string_view kPlain = u"aAbBcCdDeFgGhHIjmMnprRStTuUVwWxXyYzZ%";
    constexpr std::u16string_view kWithE = u"cCxXyY";
    constexpr std::u16string_view kWithO = u"deHImMSuUVwWy";
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') continue;
        if (++i >= format.size()) return false;
        char16_t c = format[i];
        if (c == u'E' || c == u'O') {
            if (++i >= format.size()) return false;
            if ((c == u'E' ? kWithE : kWithO).find(format[i]) == std::u16string_view::npos) return false;
        } else if (kPlain.find(c) == std::u16string_view::npos) {
            return false;
        }
    }
    return true;
}

// Formats with the "C" locale's names (day and month names in English), so
// the result does not depend on the user's locale.
std::u16string FormatTime(const std::tm& tm, std::u16string_view format)
{
    if (!IsTimeFormatValid(format)) return {};
    std::u16string text = FromUtf8(FormatTimeC(tm, ToUtf8(format)));
    if (text.size() > kMaxTimeText) return {};
    return text;
}

int FnTimeFormat(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int t = 0;
    if (int rc = ReadInt(e, node, 0, t)) return rc;
    std::u16string format = ReadText(e, node, 1);
    std::tm tm{};
    if (!BreakDown(t, tm)) return SetText(node, {});
    return SetText(node, FormatTime(tm, format));
}

// ---- clipboard --------------------------------------------------------------

std::u16string ClipText()
{
    std::u16string text;
    if (!CTERNString::GetClipText(text)) text.clear();
    return text;
}

int FnClip(CTERNBaseStringAnalyse&, CTERNOperateVar& node) { return SetText(node, ClipText()); }

int FnClipCount(CTERNBaseStringAnalyse&, CTERNOperateVar& node)
{
    return SetInt(node, CFileBase::Base_GetStringCount(ClipText()));
}

int FnClipIndex(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int n = 0;
    if (int rc = ReadInt(e, node, 0, n)) return rc;
    if (n <= 0) return SetText(node, {});
    return SetText(node, CFileBase::Base_GetStringIndex(ClipText(), n));
}

// ---- index texts ------------------------------------------------------------

// The formula's index is 1-based; the index texts take a 0-based one. Any
// index at or below 0 has no text, so -1 stands for all of them.
int ZeroBased(int n) { return n <= 0 ? -1 : n - 1; }

int FnChina(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int n = 0, financial = 0;
    if (int rc = ReadInt(e, node, 0, n)) return rc;
    if (int rc = ReadBool(e, node, 1, financial)) return rc;
    return SetText(node, CTERNString::GetChineseNumber(ZeroBased(n), financial));
}

int FnAlpha(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int n = 0, upper = 0;
    if (int rc = ReadInt(e, node, 0, n)) return rc;
    if (int rc = ReadBool(e, node, 1, upper)) return rc;
    return SetText(node, CTERNString::GetAlpha(ZeroBased(n), upper));
}

int FnStrIndex(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int n = 0, width = 0;
    if (int rc = ReadInt(e, node, 0, n)) return rc;
    if (int rc = ReadInt(e, node, 1, width)) return rc;
    std::u16string text = FormatInt(n);
    if (width > kMaxIndexWidth) width = kMaxIndexWidth;
    if (width > 0 && text.size() < static_cast<size_t>(width)) text.insert(0, static_cast<size_t>(width) - text.size(), u'0');
    return SetText(node, std::move(text));
}

constexpr std::u16string_view kFile = u"文件函数";
constexpr std::u16string_view kTime = u"时间函数";
constexpr std::u16string_view kClip = u"剪贴板函数";
constexpr std::u16string_view kIndex = u"序号函数";

constexpr CFunctionInfo kFileTimeFunctions[] = {
    {u"filename", 1, FnPathPart<CFileBase::Base_GetFileName>, kFile, u"text path", u"文本", u"返回路径中最后一个分隔符后面的文件名。",
     u"filename(\"/a/b.c.txt\") → \"b.c.txt\""},
    {u"filepath", 1, FnPathPart<CFileBase::Base_GetFilePath>, kFile, u"text path", u"文本", u"返回路径中到最后一个分隔符为止的目录部分（含分隔符）。",
     u"filepath(\"/a/b.c.txt\") → \"/a/\""},
    {u"pathname", 1, FnPathPart<CFileBase::Base_GetPathName>, kFile, u"text path", u"文本", u"原样返回路径。",
     u"pathname(\"/a/b.txt\") → \"/a/b.txt\""},
    {u"filetitle", 1, FnPathPart<CFileBase::Base_GetFileTitle>, kFile, u"text path", u"文本", u"返回文件名中第一个点前面的部分。",
     u"filetitle(\"/a/b.c.txt\") → \"b\""},
    {u"fileext", 1, FnPathPart<CFileBase::Base_GetFileExt>, kFile, u"text path", u"文本", u"返回文件名中第一个点后面的部分。",
     u"fileext(\"/a/b.c.txt\") → \"c.txt\""},
    {u"fileroot", 1, FnPathPart<CFileBase::Base_GetFileRoot>, kFile, u"text path", u"文本", u"返回路径的盘符（第二个字符为冒号时的第一个字符）。",
     u"fileroot(\"C:\\a.txt\") → \"C\""},
    {u"filetimec", 1, FnFileTime<CFileBase::Base_GetFileTimeC>, kFile, u"text path", u"整数", u"返回文件的创建时间（1970年起的秒数），文件不存在时为0。",
     u"filetimec(\"/no/such/file\") → 0"},
    {u"filetimem", 1, FnFileTime<CFileBase::Base_GetFileTimeM>, kFile, u"text path", u"整数", u"返回文件的最后修改时间（1970年起的秒数），文件不存在时为0。",
     u"filetimem(\"/no/such/file\") → 0"},
    {u"filetimea", 1, FnFileTime<CFileBase::Base_GetFileTimeA>, kFile, u"text path", u"整数", u"返回文件的最后访问时间（1970年起的秒数），文件不存在时为0。",
     u"filetimea(\"/no/such/file\") → 0"},
    {u"filesize", 1, FnFileSize, kFile, u"text path", u"整数", u"返回文件的字节数，文件无法打开时为-1；2GB及以上的文件返回实数。", u"filesize(\"/no/such/file\") → -1"},
    {u"filelinecount", 1, FnFileLineCount, kFile, u"text path", u"整数", u"返回文本文件的行数，文件无法打开时为-1。",
     u"filelinecount(\"/no/such/file\") → -1"},
    {u"filelineindex", 2, FnFileLineIndex, kFile, u"text path, int n", u"文本", u"返回文本文件的第n行，n超过行数时从头循环。",
     u"filelineindex(\"/no/such/file\",1) → \"\""},
    {u"curtime", 0, FnCurTime, kTime, u"", u"整数", u"返回当前时间（1970年起的秒数）。", u"year(curtime())>2000 → TRUE"},
    {u"year", 1, FnTimeField<ETimeField::Year>, kTime, u"int t", u"整数", u"返回时间t的年份。", u"year(86400*365) → 1971"},
    {u"month", 1, FnTimeField<ETimeField::Month>, kTime, u"int t", u"整数", u"返回时间t的月份（1～12）。", u"month(86400*40) → 2"},
    {u"day", 1, FnTimeField<ETimeField::Day>, kTime, u"int t", u"整数", u"返回时间t是当月的第几天（1～31）。", u"day(86400*40) → 10"},
    {u"hour", 1, FnTimeField<ETimeField::Hour>, kTime, u"int t", u"整数", u"返回时间t的小时（0～23），无法转换时为-1。", u"hour(-1) → -1"},
    {u"minute", 1, FnTimeField<ETimeField::Minute>, kTime, u"int t", u"整数", u"返回时间t的分钟（0～59），无法转换时为-1。", u"minute(-1) → -1"},
    {u"second", 1, FnTimeField<ETimeField::Second>, kTime, u"int t", u"整数", u"返回时间t的秒（0～59），无法转换时为-1。", u"second(59) → 59"},
    {u"week", 1, FnTimeField<ETimeField::Week>, kTime, u"int t", u"整数", u"返回时间t是星期几（星期日为1，星期六为7）。",
     u"week(86400*3) → 1"},
    {u"timeformat", 2, FnTimeFormat, kTime, u"int t, text format", u"文本", u"按strftime格式（%Y、%m、%d、%H、%M、%S等）把时间t转为文本。",
     u"timeformat(86400*40,\"%Y-%m-%d\") → \"1970-02-10\""},
    {u"clip", 0, FnClip, kClip, u"", u"文本", u"返回剪贴板中的文本，没有文本时为空。", u"lequ(clip(),clipindex(1)) → TRUE"},
    {u"clipcount", 0, FnClipCount, kClip, u"", u"整数", u"返回剪贴板文本按换行分成的段数。", u"clipcount()>0 → TRUE"},
    {u"clipindex", 1, FnClipIndex, kClip, u"int n", u"文本", u"返回剪贴板文本的第n行（去掉两边空白），n超过行数时从头循环。",
     u"clipindex(0) → \"\""},
    {u"china", 2, FnChina, kIndex, u"int n, bool b", u"文本", u"把序号n写成中文数字，b为真时用大写数字（壹、拾、佰）。", u"china(12,0) → \"十二\""},
    {u"alpha", 2, FnAlpha, kIndex, u"int n, bool b", u"文本", u"把序号n写成字母序号（a…z、aa…），b为真时用大写字母。", u"alpha(27,1) → \"AA\""},
    {u"strindex", 2, FnStrIndex, kIndex, u"int n, int w", u"文本", u"把整数n写成十进制文本，不足w位时在前面补0。", u"strindex(7,3) → \"007\""},
};

}  // namespace

std::span<const CFunctionInfo> FileTimeFunctions() { return kFileTimeFunctions; }

}  // namespace kq
