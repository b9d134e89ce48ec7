#include "formula/functions/FileBase.h"

#include <vector>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {

namespace {

size_t LastSeparator(std::u16string_view path) { return path.rfind(kPathSeparator); }

int32_t Low32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

// The first entry matching the path; wildcards are honoured in the last part
// only, the way a directory search takes them.
bool FindFirstMatch(std::u16string_view path, std::u16string& match)
{
    if (path.empty()) return false;
    size_t sep = LastSeparator(path);
    std::u16string_view name = sep == std::u16string_view::npos ? path : path.substr(sep + 1);
    if (name.find_first_of(u"*?") == std::u16string_view::npos) {
        if (name.empty() || !PathExists(path)) return false;
        match.assign(path);
        return true;
    }
    std::u16string folder;
    if (sep == std::u16string_view::npos) folder = u".";
    else if (sep == 0) folder.assign(1, kPathSeparator);
    else folder.assign(path.substr(0, sep));
    std::u16string found;
    ForEachFolderEntry(folder, [&](std::u16string_view entry, bool) {
        if (entry == u"." || entry == u"..") return true;
        if (!CFileBase::WildcardMatch(name, entry)) return true;
        found.assign(entry);
        return false;
    });
    if (found.empty()) return false;
    match = sep == std::u16string_view::npos ? found : std::u16string(path.substr(0, sep + 1)) + found;
    return true;
}

bool IsValidUtf8(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        size_t extra = c < 0x80 ? 0 : (c >= 0xC2 && c <= 0xDF) ? 1 : (c >> 4) == 0xE ? 2 : (c >= 0xF0 && c <= 0xF4) ? 3 : 4;
        if (extra == 4 || extra >= bytes.size() - i) {
            if (extra != 0) return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

// A text file as system text: UTF-16LE with its mark, UTF-8 (with or without
// its mark), else GBK, the usual charset of such files on Chinese systems.
bool ReadTextFile(std::u16string_view path, std::u16string& text)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return false;
    text.clear();
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.reserve((bytes.size() - 2) / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text.push_back(char16_t(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        }
        return true;
    }
    std::string_view body(bytes);
    body = StripUtf8Bom(body);
    if (IsValidUtf8(body) || !FromGbk(body, text)) text = FromUtf8(body);
    return true;
}

// Lines end at a line feed, a carriage return before it belongs to the end;
// a last line without a line feed counts too.
std::vector<std::u16string_view> SplitLines(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find(u'\n', start);
        size_t end = lf == std::u16string_view::npos ? text.size() : lf;
        std::u16string_view line = text.substr(start, end - start);
        if (lf != std::u16string_view::npos && !line.empty() && line.back() == u'\r') line.remove_suffix(1);
        lines.push_back(line);
        if (lf == std::u16string_view::npos) break;
        start = lf + 1;
    }
    return lines;
}

}  // namespace

std::u16string CFileBase::Base_GetFileName(std::u16string_view path)
{
    size_t sep = LastSeparator(path);
    return std::u16string(sep == std::u16string_view::npos ? path : path.substr(sep + 1));
}

std::u16string CFileBase::Base_GetFilePath(std::u16string_view path)
{
    size_t sep = LastSeparator(path);
    return std::u16string(sep == std::u16string_view::npos ? path : path.substr(0, sep + 1));
}

std::u16string CFileBase::Base_GetPathName(std::u16string_view path) { return std::u16string(path); }

std::u16string CFileBase::Base_GetFileTitle(std::u16string_view path)
{
    std::u16string name = Base_GetFileName(path);
    size_t dot = name.find(u'.');
    return dot == std::u16string::npos ? name : name.substr(0, dot);
}

std::u16string CFileBase::Base_GetFileExt(std::u16string_view path)
{
    std::u16string name = Base_GetFileName(path);
    size_t dot = name.find(u'.');
    return dot == std::u16string::npos ? std::u16string() : name.substr(dot + 1);
}

std::u16string CFileBase::Base_GetFileRoot(std::u16string_view path)
{
    if (path.size() >= 3 && path[1] == u':') return std::u16string(1, path[0]);
    return {};
}

int32_t CFileBase::Base_GetFileTimeC(std::u16string_view path)
{
    std::u16string match;
    CFileTimes times;
    if (!FindFirstMatch(path, match) || !GetFileTimes(match, times)) return 0;
    return Low32(times.m_nCreation);
}

int32_t CFileBase::Base_GetFileTimeM(std::u16string_view path)
{
    std::u16string match;
    CFileTimes times;
    if (!FindFirstMatch(path, match) || !GetFileTimes(match, times)) return 0;
    return Low32(times.m_nModification);
}

int32_t CFileBase::Base_GetFileTimeA(std::u16string_view path)
{
    std::u16string match;
    CFileTimes times;
    if (!FindFirstMatch(path, match) || !GetFileTimes(match, times)) return 0;
    return Low32(times.m_nAccess);
}

uint32_t CFileBase::Base_GetFileSize(std::u16string_view path)
{
    uint64_t size = 0;
    if (path.empty() || !IsRegularFile(path) || !GetFileSize(path, size)) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(size);
}

int CFileBase::Base_GetFileLineCount(std::u16string_view path)
{
    std::u16string text;
    if (path.empty() || !ReadTextFile(path, text)) return -1;
    size_t count = SplitLines(text).size();
    return count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(count);
}

std::u16string CFileBase::Base_GetFileLineString(std::u16string_view path, int n)
{
    std::u16string text;
    if (path.empty() || !ReadTextFile(path, text)) return {};
    std::vector<std::u16string_view> lines = SplitLines(text);
    // A file without lines has no line to wrap to.
    if (lines.empty()) return {};
    long long count = static_cast<long long>(lines.size());
    long long m = static_cast<long long>(n) % count;
    if (m <= 0) m += count;
    return std::u16string(lines[static_cast<size_t>(m - 1)]);
}

int CFileBase::Base_GetStringCount(std::u16string_view list)
{
    size_t count = 1;
    for (char16_t c : list) count += (c == u'\n');
    return count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(count);
}

std::u16string CFileBase::Base_GetStringIndex(std::u16string_view list, int n)
{
    std::vector<std::u16string_view> pieces;
    size_t start = 0;
    for (;;) {
        size_t lf = list.find(u'\n', start);
        if (lf == std::u16string_view::npos) {
            pieces.push_back(list.substr(start));
            break;
        }
        pieces.push_back(list.substr(start, lf - start));
        start = lf + 1;
    }
    long long count = static_cast<long long>(pieces.size());
    long long m = static_cast<long long>(n) % count;
    if (m <= 0) m += count;
    return std::u16string(TrimWideSpace(pieces[static_cast<size_t>(m - 1)], true, true));
}

bool CFileBase::IsWideSpace(char16_t c)
{
    if (c == u' ' || (c >= 9 && c <= 13)) return true;
    if (c < 0x85) return false;
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

std::u16string_view CFileBase::TrimWideSpace(std::u16string_view text, bool left, bool right)
{
    if (left) {
        size_t i = 0;
        while (i < text.size() && IsWideSpace(text[i])) ++i;
        text.remove_prefix(i);
    }
    if (right) {
        while (!text.empty() && IsWideSpace(text.back())) text.remove_suffix(1);
    }
    return text;
}

bool CFileBase::WildcardMatch(std::u16string_view pattern, std::u16string_view name)
{
    // Iterative match with one back-track point for the last star.
    size_t p = 0, s = 0, star = std::u16string_view::npos, mark = 0;
    while (s < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[s])) {
            ++p;
            ++s;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            mark = s;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            s = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

}  // namespace kq
