#include "formula/functions/FileBase.h"

#include <algorithm>
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

// Walks the lines of a text file piece by piece, keeping only the one line
// it is asked for. A file starting with the UTF-16LE mark is read in code
// units; any other is read in bytes (UTF-8 or GBK: neither uses the byte
// of a line feed inside a character), with a UTF-8 mark skipped.
class CLineScanner {
public:
    // wanted: the 1-based line to keep, 0 to only count.
    explicit CLineScanner(long long wanted) : m_nWanted(wanted) {}

    // False once the wanted line is complete: the rest need not be read.
    bool Feed(std::string_view data)
    {
        if (m_nMode == kUndecided) {
            const size_t take = std::min(data.size(), 3 - m_strHead.size());
            m_strHead.append(data.substr(0, take));
            data.remove_prefix(take);
            if (m_strHead.size() < 3) return true;
            DecideMode();
        }
        return Process(data);
    }

    // Lines in the file: the last one needs no line feed.
    long long Finish()
    {
        if (m_nMode == kUndecided) DecideMode();
        if (!m_bDone && m_bPending) {
            ++m_nLines;
            m_bPending = false;
            if (m_nLines == m_nWanted) m_bDone = true;
        }
        return m_nLines;
    }

    bool Found() const { return m_bDone; }

    std::u16string Line() const
    {
        if (m_nMode == kUtf16) {
            std::u16string text;
            text.reserve(m_strLine.size() / 2);
            for (size_t i = 0; i + 1 < m_strLine.size(); i += 2)
                text.push_back(char16_t(static_cast<unsigned char>(m_strLine[i]) |
                                        (static_cast<unsigned char>(m_strLine[i + 1]) << 8)));
            if (m_bEndedByFeed && !text.empty() && text.back() == u'\r') text.pop_back();
            return text;
        }
        std::string_view bytes(m_strLine);
        if (m_bEndedByFeed && !bytes.empty() && bytes.back() == '\r') bytes.remove_suffix(1);
        std::u16string text;
        if (IsValidUtf8(bytes) || !FromGbk(bytes, text)) text = FromUtf8(bytes);
        return text;
    }

private:
    enum { kUndecided, kBytes, kUtf16 };

    void DecideMode()
    {
        const std::string head = m_strHead;
        m_strHead.clear();
        if (head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF && static_cast<unsigned char>(head[1]) == 0xFE) {
            m_nMode = kUtf16;
            Process(std::string_view(head).substr(2));
        } else {
            m_nMode = kBytes;
            Process(StripUtf8Bom(head));
        }
    }

    bool Process(std::string_view data)
    {
        if (m_bDone) return false;
        if (m_nMode == kUtf16) return ProcessUnits(data);
        while (!data.empty()) {
            const size_t lf = data.find('\n');
            const std::string_view piece = data.substr(0, lf);
            if (m_nLines + 1 == m_nWanted) m_strLine.append(piece);
            if (!piece.empty()) m_bPending = true;
            if (lf == std::string_view::npos) break;
            if (EndLine()) return false;
            data.remove_prefix(lf + 1);
        }
        return true;
    }

    bool ProcessUnits(std::string_view data)
    {
        for (char byte : data) {
            if (!m_bHalf) {
                m_cLow = byte;
                m_bHalf = true;
                continue;
            }
            m_bHalf = false;
            if (m_cLow == '\n' && byte == 0) {
                if (EndLine()) return false;
                continue;
            }
            m_bPending = true;
            if (m_nLines + 1 == m_nWanted) {
                m_strLine.push_back(m_cLow);
                m_strLine.push_back(byte);
            }
        }
        return true;
    }

    // True when the line just ended is the wanted one.
    bool EndLine()
    {
        ++m_nLines;
        m_bPending = false;
        if (m_nLines != m_nWanted) return false;
        m_bDone = m_bEndedByFeed = true;
        return true;
    }

    long long m_nWanted;
    int m_nMode = kUndecided;
    std::string m_strHead;
    long long m_nLines = 0;
    bool m_bPending = false;
    bool m_bDone = false;
    bool m_bEndedByFeed = false;
    bool m_bHalf = false;
    char m_cLow = 0;
    std::string m_strLine;
};

// Scans the file; false when it cannot be read as a line file.
bool ScanLines(std::u16string_view path, CLineScanner& scanner)
{
    if (path.empty()) return false;
    if (!ReadFileChunks(path, CFileBase::kMaxLineFileBytes, [&](std::string_view chunk) { return scanner.Feed(chunk); }))
        return false;
    scanner.Finish();
    return true;
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

int64_t CFileBase::Base_GetFileSize(std::u16string_view path)
{
    uint64_t size = 0;
    if (path.empty() || !IsRegularFile(path) || !GetFileSize(path, size)) return -1;
    return size > uint64_t(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(size);
}

int CFileBase::Base_GetFileLineCount(std::u16string_view path)
{
    CLineScanner scanner(0);
    if (!ScanLines(path, scanner)) return -1;
    const long long count = scanner.Finish();
    return count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(count);
}

std::u16string CFileBase::Base_GetFileLineString(std::u16string_view path, int n)
{
    // Line n itself when the file has that many lines; otherwise a second
    // pass for n wrapped around the line count.
    CLineScanner first(n > 0 ? n : 0);
    if (!ScanLines(path, first)) return {};
    if (first.Found()) return first.Line();
    const long long count = first.Finish();
    // A file without lines has no line to wrap to.
    if (count == 0) return {};
    long long m = static_cast<long long>(n) % count;
    if (m <= 0) m += count;
    CLineScanner second(m);
    if (!ScanLines(path, second) || !second.Found()) return {};
    return second.Line();
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
