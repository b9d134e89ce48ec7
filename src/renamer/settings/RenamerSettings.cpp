#include "renamer/settings/RenamerSettings.h"

#include <algorithm>

#include "platform/Path.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"
#include "renamer/settings/KeyValueText.h"

namespace kq::settings {

namespace {

constexpr std::string_view kSettingsKind = "KQTools settings";
// Wider than any screen, so that a stray number cannot make a window or a
// column that cannot be handled.
constexpr long long kLargest = 100000;

std::u16string ColumnsText(const std::vector<int>& widths)
{
    std::u16string text;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (i) text += u',';
        text += FromAscii(std::to_string(widths[i]));
    }
    return text;
}

// "250,250,100,400": every width 1..kLargest, at most kMaxColumns of them;
// anything else gives no widths.
std::vector<int> ReadColumns(std::u16string_view text)
{
    std::vector<int> widths;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(u',', start);
        if (comma == std::u16string_view::npos) comma = text.size();
        long long width = 0;
        if (!ReadNumber(text.substr(start, comma - start), 1, kLargest, width) ||
            widths.size() >= size_t(kMaxColumns))
            return {};
        widths.push_back(int(width));
        start = comma + 1;
    }
    return widths;
}

long long Overlap(const CWindowRect& a, const CWindowRect& b)
{
    const long long w = std::min<long long>(a.m_nX + a.m_nWidth, b.m_nX + b.m_nWidth) - std::max(a.m_nX, b.m_nX);
    const long long h = std::min<long long>(a.m_nY + a.m_nHeight, b.m_nY + b.m_nHeight) - std::max(a.m_nY, b.m_nY);
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

const CStoreTexts kSettingsTexts = {u"设置", u"设置文件", u"，已改用默认设置"};

std::string SettingsBytes(const CRenamerSettings& settings)
{
    CKeyValueWriter writer(kSettingsKind, kSettingsVersion);
    writer.Put("mode", FromAscii(ModeName(settings.m_nMode)));
    writer.PutFlag("keep_extension", settings.m_bKeepExtension);
    writer.PutFlag("filter.enabled", settings.m_bFilterEnabled);
    writer.Put("filter.text", settings.m_strFilter);
    if (settings.m_bHasGeometry) {
        writer.PutNumber("window.x", settings.m_geometry.m_nX);
        writer.PutNumber("window.y", settings.m_geometry.m_nY);
        writer.PutNumber("window.width", settings.m_geometry.m_nWidth);
        writer.PutNumber("window.height", settings.m_geometry.m_nHeight);
        writer.PutFlag("window.maximized", settings.m_bMaximized);
    }
    if (!settings.m_aColumnWidths.empty()) writer.Put("list.columns", ColumnsText(settings.m_aColumnWidths));
    for (int mode = 0; mode < kModeCount; ++mode) WriteModeFields(writer, settings.m_fields, mode);
    return writer.Bytes();
}

bool ReadSettingsBytes(std::string_view bytes, CRenamerSettings& settings)
{
    settings = {};
    CTextDocument document;
    std::string error;
    if (!ParseKeyValueText(bytes, kSettingsKind, document, error)) return false;
    // Later versions add keys; the ones read here keep their meaning.
    const CTextSection& s = document.m_aSections.front();
    if (const std::u16string* mode = s.Find("mode"); mode && ModeFromName(*mode) >= 0)
        settings.m_nMode = ModeFromName(*mode);
    if (const std::u16string* v = s.Find("keep_extension")) ReadFlag(*v, settings.m_bKeepExtension);
    if (const std::u16string* v = s.Find("filter.enabled")) ReadFlag(*v, settings.m_bFilterEnabled);
    if (const std::u16string* v = s.Find("filter.text")) settings.m_strFilter = *v;
    // The place counts only whole.
    long long x = 0, y = 0, width = 0, height = 0;
    const std::u16string *px = s.Find("window.x"), *py = s.Find("window.y"), *pw = s.Find("window.width"),
                         *ph = s.Find("window.height");
    if (px && py && pw && ph && ReadNumber(*px, -kLargest, kLargest, x) && ReadNumber(*py, -kLargest, kLargest, y) &&
        ReadNumber(*pw, 1, kLargest, width) && ReadNumber(*ph, 1, kLargest, height)) {
        settings.m_bHasGeometry = true;
        settings.m_geometry = {int(x), int(y), int(width), int(height)};
        if (const std::u16string* v = s.Find("window.maximized")) ReadFlag(*v, settings.m_bMaximized);
    }
    if (const std::u16string* v = s.Find("list.columns")) settings.m_aColumnWidths = ReadColumns(*v);
    for (int mode = 0; mode < kModeCount; ++mode) ReadModeFields(s, settings.m_fields, mode);
    return true;
}

std::u16string ProgramConfigFolder() { return JoinPath(JoinPath(ConfigFolder(), u"TernSoft"), u"KQTool"); }

std::u16string SettingsPath() { return JoinPath(ProgramConfigFolder(), u"KQTools.conf"); }

EStoreLoad LoadSettings(CRenamerSettings& settings, std::u16string_view path)
{
    const std::u16string file = path.empty() ? SettingsPath() : std::u16string(path);
    settings = {};
    const EStoreLoad state = LoadStoreFile(
        file, [&](std::string_view bytes) { return ReadSettingsBytes(bytes, settings); }, kSettingsTexts);
    if (state != EStoreLoad::Loaded) settings = {};
    return state;
}

bool SaveSettings(const CRenamerSettings& settings, std::u16string_view path)
{
    return SaveStoreFile(path.empty() ? SettingsPath() : std::u16string(path), SettingsBytes(settings));
}

CWindowRect FitWindow(const CWindowRect& saved, const std::vector<CWindowRect>& screens)
{
    if (screens.empty()) return saved;
    size_t best = 0;
    long long bestOverlap = 0;
    for (size_t i = 0; i < screens.size(); ++i) {
        const long long overlap = Overlap(saved, screens[i]);
        if (overlap > bestOverlap) {
            best = i;
            bestOverlap = overlap;
        }
    }
    const CWindowRect& screen = screens[best];
    CWindowRect fitted = saved;
    fitted.m_nWidth = std::clamp(saved.m_nWidth, 1, std::max(1, screen.m_nWidth));
    fitted.m_nHeight = std::clamp(saved.m_nHeight, 1, std::max(1, screen.m_nHeight));
    if (bestOverlap == 0) {
        // Nothing of it on any screen (a screen unplugged): centred on the first.
        fitted.m_nX = screen.m_nX + (screen.m_nWidth - fitted.m_nWidth) / 2;
        fitted.m_nY = screen.m_nY + (screen.m_nHeight - fitted.m_nHeight) / 2;
        return fitted;
    }
    fitted.m_nX = std::clamp(saved.m_nX, screen.m_nX, screen.m_nX + screen.m_nWidth - fitted.m_nWidth);
    fitted.m_nY = std::clamp(saved.m_nY, screen.m_nY, screen.m_nY + screen.m_nHeight - fitted.m_nHeight);
    return fitted;
}

}  // namespace kq::settings
