// The update descriptor a program hands to the updater: four lines
// "SoftName=", "SoftVersion=", "VersionURL=", "SetupURL=" in GBK.
#pragma once

#include <string>
#include <string_view>

namespace kq {

struct CUpdateDescriptor {
    std::u16string m_strSoftName;
    std::u16string m_strSoftVersion;  // as written, e.g. "2.15"
    std::u16string m_strVersionURL;
    std::u16string m_strSetupURL;
};

// True when the file holds at least four lines, false otherwise (missing,
// unreadable, too short). Each value is its line after the first "=".
bool ReadUpdateDescriptor(std::u16string_view path, CUpdateDescriptor& descriptor);
// The same from the file's bytes.
bool ParseUpdateDescriptor(std::string_view bytes, CUpdateDescriptor& descriptor);
// The GBK text of a descriptor, lines ended by CR LF.
std::string FormatUpdateDescriptor(const CUpdateDescriptor& descriptor);

}  // namespace kq
