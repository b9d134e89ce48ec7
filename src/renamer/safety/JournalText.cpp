// The journal's text: escaped fields, one record a line, written piece by
// piece and read back the same way, so that a journal of any size is read
// in memory proportional to its moves.
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/safety/RenameJournal.h"

namespace kq {

namespace {

constexpr std::string_view kHeader = "KQTOOLS-RENAME-JOURNAL 1\n";

// The escapes for names already in their bytes, written at p (room for twice
// the text); returns the end.
char* PutField(char* p, std::string_view text)
{
    // The escape letter of each byte, 0 for the bytes copied as they are.
    static constexpr auto kEscape = [] {
        std::array<char, 256> table{};
        table['\\'] = '\\';
        table['\t'] = 't';
        table['\n'] = 'n';
        table['\r'] = 'r';
        return table;
    }();
    const char* s = text.data();
    const char* const end = s + text.size();
    while (s < end) {
        // Eight bytes at a time while none needs an escape.
        for (uint64_t word; end - s >= 8; s += 8, p += 8) {
            std::memcpy(&word, s, sizeof word);
            if (WordHasByte(word, '\\') || WordHasByte(word, '\t') || WordHasByte(word, '\n') ||
                WordHasByte(word, '\r'))
                break;
            std::memcpy(p, s, sizeof word);
        }
        if (s == end) break;
        const char c = *s++;
        if (char e = kEscape[static_cast<unsigned char>(c)]) {
            *p++ = '\\';
            *p++ = e;
        } else {
            *p++ = c;
        }
    }
    return p;
}

std::u16string Unescape(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (c == '\\' && i + 1 < field.size()) {
            char n = field[++i];
            out += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += c;
        }
    }
    return FromNativeName(out);
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

// A whole decimal number, a sign only where the type takes one.
template <class T>
bool ParseNumber(std::string_view text, T& value)
{
    if (text.empty() || text[0] == '+') return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// A journal names files inside its folders only: one path component, never
// "." or "..", no separator and no NUL.
bool SingleName(std::u16string_view name)
{
    return !name.empty() && name != u"." && name != u".." && name.find(kPathSeparator) == std::u16string_view::npos &&
           name.find(u'/') == std::u16string_view::npos && name.find(u'\0') == std::u16string_view::npos;
}

}  // namespace

void AppendJournalHeader(std::string& out) { out += kHeader; }

void AppendJournalFolder(std::string& out, std::u16string_view folder)
{
    // Names may hold tabs and line feeds on POSIX: fields are escaped, in the
    // bytes the file system knows the name by.
    const std::string bytes = ToNativeName(folder);
    const size_t at = out.size();
    out.resize(at + 3 + 2 * bytes.size());
    char* p = out.data() + at;
    *p++ = 'D';
    *p++ = '\t';
    p = PutField(p, bytes);
    *p++ = '\n';
    out.resize(static_cast<size_t>(p - out.data()));
}

void AppendJournalMove(std::string& out, uint64_t node, std::u16string_view oldName, std::u16string_view temp,
                       std::u16string_view newName, const CFileStamp* stamp)
{
    AppendJournalMove(out, node, std::string_view(ToNativeName(oldName)), std::string_view(ToNativeName(temp)),
                      std::string_view(ToNativeName(newName)), stamp);
}

void AppendJournalMove(std::string& out, uint64_t node, std::string_view oldName, std::string_view temp,
                       std::string_view newName, const CFileStamp* stamp)
{
    // One line written in place: "M", the node, three fields, four tabs and
    // the line feed around them (and a stamp's two numbers and tabs).
    const size_t at = out.size();
    out.resize(at + 76 + 2 * (oldName.size() + temp.size() + newName.size()));
    char* p = out.data() + at;
    *p++ = 'M';
    *p++ = '\t';
    p = std::to_chars(p, p + 20, node).ptr;
    *p++ = '\t';
    p = PutField(p, oldName);
    *p++ = '\t';
    p = PutField(p, temp);
    *p++ = '\t';
    p = PutField(p, newName);
    if (stamp) {
        *p++ = '\t';
        p = std::to_chars(p, p + 20, stamp->m_nSize).ptr;
        *p++ = '\t';
        p = std::to_chars(p, p + 20, stamp->m_nModified).ptr;
    }
    *p++ = '\n';
    out.resize(static_cast<size_t>(p - out.data()));
}

void AppendJournalTemp(std::string& out, std::string_view oldName, std::string_view temp)
{
    const size_t at = out.size();
    out.resize(at + 4 + 2 * (oldName.size() + temp.size()));
    char* p = out.data() + at;
    *p++ = 'T';
    *p++ = '\t';
    p = PutField(p, oldName);
    *p++ = '\t';
    p = PutField(p, temp);
    *p++ = '\n';
    out.resize(static_cast<size_t>(p - out.data()));
}

void AppendJournalTemp(std::string& out, std::u16string_view oldName, std::u16string_view temp)
{
    AppendJournalTemp(out, std::string_view(ToNativeName(oldName)), std::string_view(ToNativeName(temp)));
}

std::string FormatJournal(const std::vector<CJournalFolder>& folders)
{
    std::string out;
    AppendJournalHeader(out);
    for (const auto& folder : folders) {
        AppendJournalFolder(out, folder.m_strFolder);
        for (const auto& move : folder.m_aMoves)
            AppendJournalMove(out, move.m_nNode, move.m_strOld, move.m_strTemp, move.m_strNew,
                              move.m_bStamped ? &move.m_stamp : nullptr);
    }
    return out;
}

bool CJournalParser::Feed(std::string_view bytes)
{
    while (m_bGood && !bytes.empty()) {
        const size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            // No record comes near this length: a file without line feeds
            // is refused before it fills the memory.
            m_bGood = m_strPartial.size() + bytes.size() <= kMaxJournalLine;
            if (m_bGood) m_strPartial.append(bytes);
            break;
        }
        if (m_strPartial.empty()) {
            m_bGood = Line(bytes.substr(0, end));
        } else {
            m_strPartial.append(bytes.substr(0, end));
            m_bGood = Line(m_strPartial);
            m_strPartial.clear();
        }
        bytes.remove_prefix(end + 1);
    }
    return m_bGood;
}

// A journal ends with a whole line; one cut short is refused.
bool CJournalParser::Finish() { return m_bGood && m_bHeader && m_strPartial.empty(); }

bool CJournalParser::Line(std::string_view line)
{
    if (!m_bHeader) {
        m_bHeader = line == kHeader.substr(0, kHeader.size() - 1);
        return m_bHeader;
    }
    std::vector<CJournalFolder>& folders = m_folders;
    const std::vector<std::string_view> fields = SplitTabs(line);
    if (fields[0] == "D" && fields.size() == 2) {
        std::u16string folder = Unescape(fields[1]);
        // A folder met again (for its parking names) continues its entry.
        auto found = m_folderAt.find(folder);
        if (found != m_folderAt.end()) {
            m_nCurrent = found->second;
        } else {
            m_nCurrent = folders.size();
            m_folderAt.emplace(folder, m_nCurrent);
            folders.push_back({std::move(folder), {}});
        }
        m_bMapped = false;
    } else if (fields[0] == "M" && (fields.size() == 5 || fields.size() == 7) && !folders.empty()) {
        CJournalMove move;
        if (!ParseNumber(fields[1], move.m_nNode)) return false;
        // A move without a stamp (every journal of earlier versions) knows
        // its file by the node.
        if (fields.size() == 7) {
            move.m_bStamped = true;
            if (!ParseNumber(fields[5], move.m_stamp.m_nSize) || !ParseNumber(fields[6], move.m_stamp.m_nModified))
                return false;
        }
        move.m_strOld = Unescape(fields[2]);
        move.m_strTemp = Unescape(fields[3]);
        move.m_strNew = Unescape(fields[4]);
        if (!SingleName(move.m_strOld) || !SingleName(move.m_strNew) ||
            (!move.m_strTemp.empty() && !SingleName(move.m_strTemp)))
            return false;
        folders[m_nCurrent].m_aMoves.push_back(std::move(move));
        m_bMapped = false;
    } else if (fields[0] == "T" && fields.size() == 3 && !folders.empty()) {
        std::vector<CJournalMove>& moves = folders[m_nCurrent].m_aMoves;
        if (!m_bMapped) {
            m_moveOf.clear();
            for (size_t i = 0; i < moves.size(); ++i) m_moveOf.emplace(moves[i].m_strOld, i);
            m_bMapped = true;
        }
        auto found = m_moveOf.find(Unescape(fields[1]));
        std::u16string temp = Unescape(fields[2]);
        if (found == m_moveOf.end() || !SingleName(temp)) return false;
        moves[found->second].m_strTemp = std::move(temp);
    } else {
        return false;
    }
    return true;
}

bool ParseJournal(std::string_view text, std::vector<CJournalFolder>& folders)
{
    folders.clear();
    CJournalParser parser(folders);
    return parser.Feed(text) && parser.Finish();
}

}  // namespace kq
