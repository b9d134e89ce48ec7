// Line-oriented text files whose first significant line carries a format
// version ("VER1.0"). Files are GBK; lines are kept as their bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/SecureFiles.h"

namespace kq {

class CPRKFileBase {
public:
    explicit CPRKFileBase(std::u16string strDescription = {});
    virtual ~CPRKFileBase();
    CPRKFileBase(const CPRKFileBase&) = delete;
    CPRKFileBase& operator=(const CPRKFileBase&) = delete;

    void SetFilePath(std::u16string strPath) { m_strFilePath = std::move(strPath); }
    const std::u16string& GetFilePath() const { return m_strFilePath; }

    // True when the file is open for reading (its length recorded and the line
    // count reset), false when it cannot be opened or is larger than
    // m_nMaxLength (version files are small; this bounds memory).
    bool OpenRead();
    void Close();
    // True and the next significant line (trimmed; blank and comment lines
    // skipped), false at end of file.
    bool ReadLine(std::string& strLine);
    // Reads and checks the header; false on failure (shown, except
    // for a file without any significant line).
    bool ReadHeader();
    // The error box text for message (and an optional detail).
    std::u16string FormatError(const std::u16string& strMessage, const std::u16string& strDetail = {}) const;
    void ShowError(const std::u16string& strMessage, const std::u16string& strDetail = {}) const;

    std::string m_strCommentMark = "//";
    std::u16string m_strFileDescription;
    double m_dFormatVersion = 0;
    long m_nLineNumber = 0;
    bool m_bEndOfFile = false;
    bool m_bOpen = false;
    uint64_t m_nFileLength = 0;
    uint64_t m_nMaxLength = 16u << 20;

protected:
    std::u16string m_strFilePath;

private:
    // One physical line without its terminator; false at end of file. A
    // line longer than kMaxLine keeps its first kMaxLine bytes.
    bool ReadPhysicalLine(std::string& line);

    CRegularFileReader m_file;
    std::string m_strBuffer;
    size_t m_nBufferPos = 0;
    uint64_t m_nPosition = 0;
};

// Trims the runtime's white space (space, tab, CR, LF, VT, FF) at both ends.
std::string_view TrimSpaces(std::string_view text);

inline constexpr char16_t kFileErrorTitle[] = u"文件操作时出现错误";

}  // namespace kq
