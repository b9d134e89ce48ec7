#include "updater/core/PRKFileBase.h"

#include <algorithm>
#include <cstring>

#include "platform/Crt.h"
#include "platform/Prompt.h"
#include "platform/Text.h"

namespace kq {

namespace {

constexpr size_t kMaxLine = 64 * 1024;
constexpr size_t kReadBlock = 64 * 1024;

bool IsSpaceByte(char c) { return c == ' ' || (c >= 9 && c <= 13); }

// An optional "-", then digits with at most one point; empty passes.
bool IsVersionNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    int points = 0;
    for (char c : text) {
        if (c == '.') {
            if (++points > 1) return false;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string_view TrimSpaces(std::string_view text)
{
    while (!text.empty() && IsSpaceByte(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpaceByte(text.back())) text.remove_suffix(1);
    return text;
}

CPRKFileBase::CPRKFileBase(std::u16string strDescription) : m_strFileDescription(std::move(strDescription))
{
    if (m_strFileDescription.empty()) m_strFileDescription = kFileErrorTitle;
}

CPRKFileBase::~CPRKFileBase() = default;

bool CPRKFileBase::OpenRead()
{
    Close();
    if (!m_file.Open(m_strFilePath)) return false;
    if (m_file.Size() > m_nMaxLength) {
        m_file.Close();
        return false;
    }
    m_nFileLength = m_file.Size();
    m_nLineNumber = 0;
    m_nPosition = 0;
    m_bEndOfFile = false;
    m_bOpen = true;
    return true;
}

void CPRKFileBase::Close()
{
    m_file.Close();
    m_strBuffer.clear();
    m_nBufferPos = 0;
    m_bOpen = false;
}

bool CPRKFileBase::ReadPhysicalLine(std::string& line)
{
    line.clear();
    bool any = false;
    // The length taken at open time ends the file, even if it grows since.
    while (m_nPosition < m_nFileLength) {
        if (m_nBufferPos == m_strBuffer.size()) {
            m_strBuffer.resize(kReadBlock);
            long long got = m_file.Read(m_strBuffer.data(), m_strBuffer.size());
            m_strBuffer.resize(got > 0 ? size_t(got) : 0);
            m_nBufferPos = 0;
            if (got <= 0) {
                m_nFileLength = m_nPosition;  // shrunk or unreadable: stop here
                break;
            }
        }
        any = true;
        const size_t left = std::min<uint64_t>(m_strBuffer.size() - m_nBufferPos, m_nFileLength - m_nPosition);
        const char* start = m_strBuffer.data() + m_nBufferPos;
        const void* nl = std::memchr(start, '\n', left);
        const size_t take = nl ? size_t(static_cast<const char*>(nl) - start) : left;
        if (line.size() < kMaxLine) line.append(start, std::min(take, kMaxLine - line.size()));
        const size_t consumed = nl ? take + 1 : take;
        m_nBufferPos += consumed;
        m_nPosition += consumed;
        if (nl) break;
    }
    return any;
}

bool CPRKFileBase::ReadLine(std::string& strLine)
{
    if (!m_bOpen) return false;
    std::string physical;
    while (ReadPhysicalLine(physical)) {
        ++m_nLineNumber;
        std::string_view trimmed = TrimSpaces(physical);
        if (trimmed.empty()) continue;
        if (!m_strCommentMark.empty() && trimmed.substr(0, m_strCommentMark.size()) == m_strCommentMark) continue;
        strLine.assign(trimmed);
        return true;
    }
    return false;
}

bool CPRKFileBase::ReadHeader()
{
    std::string line;
    if (!ReadLine(line)) {
        m_bEndOfFile = true;
        return false;
    }
    for (char& c : line)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    if (line.compare(0, 3, "VER") != 0) {
        ShowError(u"文件头没有版本信息或版本信息错误！");
        return false;
    }
    std::string_view rest(line);
    rest.remove_prefix(3);
    while (!rest.empty() && IsSpaceByte(rest.front())) rest.remove_prefix(1);
    if (!IsVersionNumber(rest)) {
        ShowError(u"版本信息错误，版本应由VER和实数(一位小数)构成！");
        return false;
    }
    m_dFormatVersion = Atof(rest);
    return true;
}

std::u16string CPRKFileBase::FormatError(const std::u16string& strMessage, const std::u16string& strDetail) const
{
    std::u16string text = m_strFileDescription + u"，无法继续进行，请按以下错误信息描述检查该文件：\n\n文件名称：" +
                          m_strFilePath + u"\n文件版本：Ver" + FormatFixed(m_dFormatVersion, 2) + u"\n错误位置：第" +
                          FormatInt(m_nLineNumber) + u"行\n错误描述：" + strMessage;
    if (!strDetail.empty()) text += u"\n错误文本：" + strDetail;
    return text;
}

void CPRKFileBase::ShowError(const std::u16string& strMessage, const std::u16string& strDetail) const
{
    GetPromptProvider().Inform(FormatError(strMessage, strDetail), kFileErrorTitle);
}

}  // namespace kq
