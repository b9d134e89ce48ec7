// What the main window remembers from one run to the next: the mode, every
// page's fields, the options, the window's place and the list's column
// widths, in KQTools.conf in the configuration folder. Only the window
// reads it; the CLI never does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "renamer/settings/ModeFields.h"
#include "renamer/settings/StoreFile.h"

namespace kq::settings {

struct CWindowRect {
    int m_nX = 0;
    int m_nY = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    bool operator==(const CWindowRect&) const = default;
};

// Every member starts at the window's built-in default.
struct CRenamerSettings {
    int m_nMode = 0;
    bool m_bKeepExtension = true;
    bool m_bFilterEnabled = false;
    std::u16string m_strFilter = u"*.*";
    CModeFields m_fields;
    // The window's frame position and size; without one the window takes
    // its own size, centred.
    bool m_bHasGeometry = false;
    CWindowRect m_geometry;
    bool m_bMaximized = false;
    // The list's column widths; empty: the list's own.
    std::vector<int> m_aColumnWidths;
};

inline constexpr int kSettingsVersion = 1;
inline constexpr int kMaxColumns = 16;

std::string SettingsBytes(const CRenamerSettings& settings);
// False when bytes are no settings text; settings then holds the defaults.
// Keys it does not know are skipped, keys it misses and values out of range
// keep their defaults.
bool ReadSettingsBytes(std::string_view bytes, CRenamerSettings& settings);

// "<config>/TernSoft/KQTool", the folder of every file the program keeps.
std::u16string ProgramConfigFolder();
std::u16string SettingsPath();  // <folder>/KQTools.conf

extern const CStoreTexts kSettingsTexts;  // "设置", "设置文件", "，已改用默认设置"

// Reads the settings file (defaults when it is missing or cannot be used;
// such a file is set aside and reported once, see LoadStoreFile).
EStoreLoad LoadSettings(CRenamerSettings& settings, std::u16string_view path = {});
// Writes it atomically; false when that failed.
bool SaveSettings(const CRenamerSettings& settings, std::u16string_view path = {});

// Where a window with the saved frame goes on these screens (their
// available areas): on the screen it overlaps most (the first when none),
// no larger than that screen and moved inside it. A rectangle with no
// screen to go by is returned as it is.
CWindowRect FitWindow(const CWindowRect& saved, const std::vector<CWindowRect>& screens);

}  // namespace kq::settings
