#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>

#include "formula/filemeta/MetaReaders.h"
#include "platform/Clock.h"
#include "platform/ContentFile.h"
#include "platform/Text.h"

namespace kq::meta {

namespace {

bool IsTrimmed(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\0'; }

// Reads `width` digits at pos.
bool Digits(std::string_view text, size_t& pos, size_t width, int& value)
{
    if (pos + width > text.size()) return false;
    value = 0;
    for (size_t i = 0; i < width; ++i) {
        char c = text[pos + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    pos += width;
    return true;
}

bool Separator(std::string_view text, size_t& pos, std::string_view allowed)
{
    if (pos >= text.size() || allowed.find(text[pos]) == std::string_view::npos) return false;
    ++pos;
    return true;
}

}  // namespace

CBlockReader::CBlockReader(const CContentFile& file) : m_file(file), m_nSize(file.Size()) {}

long long CBlockReader::ReadAt(uint64_t offset, void* buffer, size_t size)
{
    unsigned char* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < size && offset < m_nSize) {
        if (offset >= m_nBlockStart && offset < m_nBlockStart + m_nBlockSize) {
            const size_t at = size_t(offset - m_nBlockStart);
            const size_t n = std::min(size - done, m_nBlockSize - at);
            std::memcpy(out + done, m_aBlock + at, n);
            done += n;
            offset += n;
            continue;
        }
        if (size - done >= sizeof m_aBlock) {  // a large read goes straight to the file
            const long long got = m_file.ReadAt(offset, out + done, size - done);
            if (got < 0) return -1;
            return static_cast<long long>(done) + got;
        }
        const long long got = m_file.ReadAt(offset, m_aBlock, sizeof m_aBlock);
        if (got < 0) return -1;
        if (got == 0) break;
        m_nBlockStart = offset;
        m_nBlockSize = size_t(got);
    }
    return static_cast<long long>(done);
}

void KeepMediaTags(std::unique_ptr<CMediaTags> tags, CFileMetaRecord& record)
{
    for (const std::u16string& value : *tags)
        if (!value.empty()) {
            record.m_pMediaTags = std::move(tags);
            return;
        }
}

std::u16string MetaText(std::string_view utf8)
{
    if (utf8.size() > kMaxMetaText * 3) utf8 = utf8.substr(0, kMaxMetaText * 3);
    std::u16string text = FromUtf8(utf8);
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text)
        if (c != u'\0') out.push_back(c);
    size_t begin = 0, end = out.size();
    while (begin < end && IsTrimmed(out[begin])) ++begin;
    while (end > begin && IsTrimmed(out[end - 1])) --end;
    if (end - begin > kMaxMetaText) end = begin + kMaxMetaText;
    return out.substr(begin, end - begin);
}

bool ParseMetaDate(std::string_view text, int32_t& t)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    std::tm tm{};
    size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, pos, 4, year) || !Separator(text, pos, ":-") || !Digits(text, pos, 2, month) ||
        !Separator(text, pos, ":-") || !Digits(text, pos, 2, day))
        return false;
    if (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T')) {
        ++pos;
        if (!Digits(text, pos, 2, hour) || !Separator(text, pos, ":") || !Digits(text, pos, 2, minute)) return false;
        if (pos < text.size() && text[pos] == ':' && !(++pos, Digits(text, pos, 2, second))) return false;
    }
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    int64_t seconds = 0;
    if (!LocalTimeToSeconds(tm, seconds)) return false;
    // The language's times are the low 32 bits, as filetimem gives them.
    t = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(seconds)));
    return true;
}

}  // namespace kq::meta
