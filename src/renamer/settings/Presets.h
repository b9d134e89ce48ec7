// Named presets: a mode with its page's fields and the keep-extension
// option, kept in KQToolsPresets.conf in the configuration folder. The
// window saves, applies, renames and deletes them, exports the whole store
// to a file and imports one; kqtools-cli rename --preset applies one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "renamer/settings/ModeFields.h"
#include "renamer/settings/StoreFile.h"

namespace kq::settings {

struct CPreset {
    std::u16string m_strName;
    int m_nMode = 0;
    bool m_bKeepExtension = true;
    CModeFields m_fields;  // only the mode's page is stored
};

inline constexpr int kPresetsVersion = 1;
inline constexpr size_t kPresetNameLimit = 64;  // UTF-16 units

// A name the user typed: spaces around it are dropped; "" when it is fine,
// else the reason (empty, too long, a control character).
std::u16string CheckPresetName(std::u16string& name);

// What an import does with a name the store has already.
enum class EPresetClash {
    Replace,  // the imported preset replaces the stored one
    Rename,   // it is added as "name (2)", "name (3)", …
};

// The presets in the order they were made.
class CPresetList {
public:
    const std::vector<CPreset>& Items() const { return m_aItems; }
    bool Empty() const { return m_aItems.empty(); }
    const CPreset* Find(std::u16string_view name) const;

    // Adds the preset, or replaces the one of the same name in its place.
    void Put(CPreset preset);
    bool Remove(std::u16string_view name);
    enum class ERename { Done, Missing, Taken, BadName };
    // newName is checked as CheckPresetName does (and trimmed).
    ERename Rename(std::u16string_view name, std::u16string newName);

    // The names of other that this list holds already.
    std::vector<std::u16string> Clashes(const CPresetList& other) const;
    // Adds every preset of other; a clash as how says. Returns how many
    // were added or replaced.
    size_t Merge(const CPresetList& other, EPresetClash how);
    // name itself when free, else the first free "name (n)".
    std::u16string FreeName(std::u16string_view name) const;

private:
    std::vector<CPreset> m_aItems;
};

std::string PresetBytes(const CPresetList& presets);
// False when bytes are no presets text (presets then empty). A preset with
// no usable name or an unknown mode is skipped; of two with one name the
// later stands.
bool ReadPresetBytes(std::string_view bytes, CPresetList& presets);

std::u16string PresetStorePath();  // <config folder>/KQToolsPresets.conf

extern const CStoreTexts kPresetTexts;      // "预设", "预设文件", ""
extern const char16_t* const kPresetExtension;  // "kqpresets", of exported files

// The store, read whole and written whole. Each change reads the file
// again first, so two windows do not lose each other's presets.
class CPresetStore {
public:
    explicit CPresetStore(std::u16string path = {}) : m_strPath(path.empty() ? PresetStorePath() : std::move(path)) {}

    const std::u16string& Path() const { return m_strPath; }
    // Reads the file (see LoadStoreFile); presets is empty unless Loaded.
    EStoreLoad Load(CPresetList& presets);
    // Writes presets; false when it could not, or when the file could not
    // be read nor set aside (it is never written over then).
    bool Save(const CPresetList& presets);

private:
    std::u16string m_strPath;
    bool m_bStuck = false;
};

// An exported file: written atomically; read like the store, except that a
// file that cannot be read is only reported by the caller, never moved.
bool ExportPresets(std::u16string_view path, const CPresetList& presets);
enum class EImportRead { Done, Unreadable, NotPresets };
EImportRead ReadPresetFile(std::u16string_view path, CPresetList& presets);

}  // namespace kq::settings
