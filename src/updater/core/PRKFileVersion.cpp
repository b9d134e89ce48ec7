#include "updater/core/PRKFileVersion.h"

#include "platform/CodePage.h"
#include "platform/Prompt.h"
#include "platform/Crt.h"
#include "platform/Text.h"

namespace kq {

std::u16string FromFileText(std::string_view bytes)
{
    std::u16string text;
    if (!FromGbk(bytes, text)) text = FromUtf8(bytes);
    return text;
}

CPRKFileVersion::CPRKFileVersion(double dInstalledVersion) : m_strInstalledVersion(FormatFixedA(dInstalledVersion, 2)) {}

bool CPRKFileVersion::SectionName(const std::string& line, std::string& name)
{
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
    name = line.substr(1, line.size() - 2);
    return true;
}

bool CPRKFileVersion::ReadKeyedLine(const char* key, std::string& value)
{
    std::string line;
    if (!ReadLine(line)) return false;
    const std::string_view prefix(key);
    value = line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : line;
    return true;
}

bool CPRKFileVersion::ReadVersionFile()
{
    if (!OpenRead()) {
        GetPromptProvider().Inform(u"获取新版本信息时出现异常，重试请稍后！", kFileErrorTitle);
        return false;
    }
    if (!ReadHeader()) {
        Close();
        return false;
    }
    if (m_dFormatVersion > 1.0) {
        Close();
        ShowError(u"版本信息文件版本高于当前系统能够读取版本，无法读取文件！");
        return false;
    }

    // The baseline: the first section not older than the installed version.
    const double installed = Atof(m_strInstalledVersion);
    std::string line, name;
    for (;;) {
        if (!ReadLine(line)) return true;
        if (SectionName(line, name) && !(Atof(name) < installed)) break;
    }
    m_strLatestVersion = FromFileText(name);

    // Every later section: its version, three value lines, then changes.
    for (;;) {
        do {
            if (!ReadLine(line)) return true;
        } while (!SectionName(line, name));
        m_strLatestVersion = FromFileText(name);
        std::string value;
        if (!ReadKeyedLine("Len:", value)) return false;
        m_nLen = Atoi(value);
        if (!ReadKeyedLine("Not:", value)) return false;
        m_strNot = FromFileText(value);
        if (!ReadKeyedLine("Can:", value)) return false;
        m_strCan = FromFileText(value);
        for (;;) {
            if (!ReadLine(line)) return true;
            if (line.compare(0, 3, "###") == 0) break;
            m_aChangeList.push_back(FromFileText(line));
        }
    }
}

}  // namespace kq
