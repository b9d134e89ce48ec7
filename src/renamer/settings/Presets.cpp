#include "renamer/settings/Presets.h"

#include <algorithm>

#include "platform/AtomicFile.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/settings/KeyValueText.h"
#include "renamer/settings/RenamerSettings.h"

namespace kq::settings {

namespace {

constexpr std::string_view kPresetsKind = "KQTools presets";
constexpr std::string_view kPresetSection = "preset";

}  // namespace

const CStoreTexts kPresetTexts = {u"预设", u"预设文件", u""};
const char16_t* const kPresetExtension = u"kqpresets";

std::u16string CheckPresetName(std::u16string& name)
{
    size_t begin = 0, end = name.size();
    while (begin < end && IsAsciiSpace(name[begin])) ++begin;
    while (end > begin && IsAsciiSpace(name[end - 1])) --end;
    name = name.substr(begin, end - begin);
    if (name.empty()) return u"预设名称不能为空。";
    if (name.size() > kPresetNameLimit)
        return u"预设名称太长，最多" + FormatInt(static_cast<long long>(kPresetNameLimit)) + u"个字符。";
    for (char16_t c : name)
        if (c < 0x20 || c == 0x7F) return u"预设名称不能含有控制字符。";
    return {};
}

const CPreset* CPresetList::Find(std::u16string_view name) const
{
    for (const CPreset& preset : m_aItems)
        if (preset.m_strName == name) return &preset;
    return nullptr;
}

void CPresetList::Put(CPreset preset)
{
    for (CPreset& item : m_aItems)
        if (item.m_strName == preset.m_strName) {
            item = std::move(preset);
            return;
        }
    m_aItems.push_back(std::move(preset));
}

bool CPresetList::Remove(std::u16string_view name)
{
    const auto it =
        std::find_if(m_aItems.begin(), m_aItems.end(), [&](const CPreset& p) { return p.m_strName == name; });
    if (it == m_aItems.end()) return false;
    m_aItems.erase(it);
    return true;
}

CPresetList::ERename CPresetList::Rename(std::u16string_view name, std::u16string newName)
{
    if (!CheckPresetName(newName).empty()) return ERename::BadName;
    auto it = std::find_if(m_aItems.begin(), m_aItems.end(), [&](const CPreset& p) { return p.m_strName == name; });
    if (it == m_aItems.end()) return ERename::Missing;
    if (newName != name && Find(newName)) return ERename::Taken;
    it->m_strName = std::move(newName);
    return ERename::Done;
}

std::vector<std::u16string> CPresetList::Clashes(const CPresetList& other) const
{
    std::vector<std::u16string> names;
    for (const CPreset& preset : other.m_aItems)
        if (Find(preset.m_strName)) names.push_back(preset.m_strName);
    return names;
}

std::u16string CPresetList::FreeName(std::u16string_view name) const
{
    if (!Find(name)) return std::u16string(name);
    for (long long n = 2;; ++n) {
        std::u16string candidate = std::u16string(name) + u" (" + FormatInt(n) + u")";
        if (!Find(candidate)) return candidate;
    }
}

size_t CPresetList::Merge(const CPresetList& other, EPresetClash how)
{
    size_t count = 0;
    for (CPreset preset : other.m_aItems) {
        if (how == EPresetClash::Rename) preset.m_strName = FreeName(preset.m_strName);
        Put(std::move(preset));
        ++count;
    }
    return count;
}

std::string PresetBytes(const CPresetList& presets)
{
    CKeyValueWriter writer(kPresetsKind, kPresetsVersion);
    for (const CPreset& preset : presets.Items()) {
        writer.Section(kPresetSection);
        writer.Put("name", preset.m_strName);
        writer.Put("mode", FromAscii(ModeName(preset.m_nMode)));
        writer.PutFlag("keep_extension", preset.m_bKeepExtension);
        WriteModeFields(writer, preset.m_fields, preset.m_nMode);
    }
    return writer.Bytes();
}

bool ReadPresetBytes(std::string_view bytes, CPresetList& presets)
{
    presets = {};
    CTextDocument document;
    std::string error;
    if (!ParseKeyValueText(bytes, kPresetsKind, document, error)) return false;
    for (const CTextSection& section : document.m_aSections) {
        if (section.m_strName != kPresetSection) continue;
        const std::u16string* name = section.Find("name");
        const std::u16string* mode = section.Find("mode");
        if (!name || !mode || ModeFromName(*mode) < 0) continue;
        CPreset preset;
        preset.m_strName = *name;
        if (!CheckPresetName(preset.m_strName).empty()) continue;
        preset.m_nMode = ModeFromName(*mode);
        if (const std::u16string* v = section.Find("keep_extension")) ReadFlag(*v, preset.m_bKeepExtension);
        ReadModeFields(section, preset.m_fields, preset.m_nMode);
        presets.Put(std::move(preset));
    }
    return true;
}

std::u16string PresetStorePath() { return JoinPath(ProgramConfigFolder(), u"KQToolsPresets.conf"); }

EStoreLoad CPresetStore::Load(CPresetList& presets)
{
    presets = {};
    const EStoreLoad state = LoadStoreFile(
        m_strPath, [&](std::string_view bytes) { return ReadPresetBytes(bytes, presets); }, kPresetTexts);
    if (state != EStoreLoad::Loaded) presets = {};
    m_bStuck = state == EStoreLoad::Stuck;
    return state;
}

bool CPresetStore::Save(const CPresetList& presets)
{
    if (m_bStuck) return false;
    return SaveStoreFile(m_strPath, PresetBytes(presets));
}

bool ExportPresets(std::u16string_view path, const CPresetList& presets)
{
    return ReplaceFileAtomic(path, PresetBytes(presets));
}

EImportRead ReadPresetFile(std::u16string_view path, CPresetList& presets)
{
    presets = {};
    std::string bytes;
    if (!ReadFileBytes(path, bytes, kStoreFileLimit)) return EImportRead::Unreadable;
    return ReadPresetBytes(bytes, presets) ? EImportRead::Done : EImportRead::NotPresets;
}

}  // namespace kq::settings
