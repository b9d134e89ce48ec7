// The version file an update site serves: a "VER" header, then version
// sections in ascending order, each with its length, note and "can" lines
// and its change lines up to "###".
#pragma once

#include <string>
#include <vector>

#include "updater/core/PRKFileBase.h"

namespace kq {

class CPRKFileVersion : public CPRKFileBase {
public:
    // The installed version, kept as its "%.2f" text.
    explicit CPRKFileVersion(double dInstalledVersion);

    // False on failure, already shown where the failure has a
    // message. Afterwards m_strLatestVersion is the last section's version
    // (empty when none is newer than the installed one's section) and
    // m_aChangeList the change lines of every section after the baseline.
    bool ReadVersionFile();

    std::string m_strInstalledVersion;
    std::u16string m_strLatestVersion;
    int m_nLen = 0;
    std::u16string m_strNot;
    std::u16string m_strCan;
    std::vector<std::u16string> m_aChangeList;

private:
    // The inside of a "[...]" line; false for any other line.
    static bool SectionName(const std::string& line, std::string& name);
    // Reads the next significant line with an optional leading key removed.
    bool ReadKeyedLine(const char* key, std::string& value);
};

// GBK bytes of a version file as system text.
std::u16string FromFileText(std::string_view bytes);

}  // namespace kq
