#include "renamer/cli/RenameModes.h"

#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/AdvancedNaming.h"
#include "renamer/modes/EnhancedNaming.h"
#include "renamer/modes/FormulaNaming.h"
#include "renamer/modes/ListNaming.h"
#include "renamer/modes/SimpleNaming.h"
#include "renamer/settings/ModeFields.h"

namespace kq::cli {

namespace {

bool Given(const std::vector<std::string>& args, std::string_view name)
{
    for (const auto& a : args) {
        if (a == "--") break;
        if (a == name || (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == '='))
            return true;
    }
    return false;
}

// Reads an integer option within [low, high]; false (with the error set) when bad.
bool RangeValue(CArgReader& reader, const char* name, int low, int high, int& value, std::string& error)
{
    if (!reader.IntValue(name, value)) return !reader.HasError();
    if (value < low || value > high) {
        error = std::string("选项 ") + name + " 的取值应在 " + std::to_string(low) + " 到 " + std::to_string(high) + " 之间";
        return false;
    }
    return true;
}

std::u16string Text(CArgReader& reader, const char* name, const std::u16string& fallback)
{
    std::string value;
    return reader.Value(name, value) ? FromUtf8(value) : fallback;
}

// The replacing and deleting options shared by the Simple and Enhanced pages:
// each part is switched on by giving its option (or by the preset).
bool ReplaceDeleteOptions(CArgReader& reader, const std::vector<std::string>& original,
                          naming::CReplaceDeleteFields& fields, std::string& error)
{
    if (Given(original, "--find")) fields.m_bReplaceEnabled = true;
    fields.m_strFind = Text(reader, "--find", fields.m_strFind);
    fields.m_strReplace = Text(reader, "--replace", fields.m_strReplace);
    if (reader.Flag("--regex")) {
        if (!fields.m_bReplaceEnabled) {
            error = "选项 --regex 要与 --find 一起使用";
            return false;
        }
        fields.m_bRegex = true;
    }
    // A pattern that does not compile is a usage error: no name would be replaced.
    if (fields.m_bRegex && fields.m_bReplaceEnabled) {
        const naming::CFindReplace replace(fields);
        if (!replace.GetErrorInfo().empty()) {
            error = ToUtf8(replace.GetErrorInfo());
            return false;
        }
    }
    if (Given(original, "--delete-count")) fields.m_bDeleteEnabled = true;
    return RangeValue(reader, "--delete-position", 0, 3, fields.m_nDeletePosition, error) &&
           RangeValue(reader, "--delete-count", 0, 20, fields.m_nDeleteCount, error);
}

// A mode whose fields struct fills the names itself; page is where a
// preset keeps them.
template <class Fields, Fields settings::CModeFields::*page>
class CFieldsMode : public IRenameMode {
public:
    void UsePreset(const settings::CModeFields& fields) override
    {
        m_fields = fields.*page;
        m_bFromPreset = true;
    }

    std::u16string FillNewNames(CFileNameList& list, bool keepExtension) const override
    {
        std::u16string error;
        if constexpr (requires { m_fields.FillNewNames(list, keepExtension, &error); })
            m_fields.FillNewNames(list, keepExtension, &error);
        else
            m_fields.FillNewNames(list, keepExtension);
        return error;
    }

protected:
    Fields m_fields;
    bool m_bFromPreset = false;
};

class CSimpleMode : public CFieldsMode<CEaFields, &settings::CModeFields::m_simple> {
    bool ReadOptions(CArgReader& reader, const std::vector<std::string>& original, std::string& error) override
    {
        CEaFields& f = m_fields;
        f.m_strTemplate = Text(reader, "--name", f.m_strTemplate);
        if (reader.Flag("--index")) f.m_bIndexEnabled = true;
        if (reader.Flag("--index-after")) f.m_nIndexPosition = 1;
        f.m_strStart = Text(reader, "--start", f.m_strStart);
        f.m_strStep = Text(reader, "--step", f.m_strStep);
        f.m_strRepeat = Text(reader, "--repeat", f.m_strRepeat);
        return RangeValue(reader, "--digits", 0, 9, f.m_nDigits, error) &&
               ReplaceDeleteOptions(reader, original, f, error);
    }
};

class CEnhancedMode : public CFieldsMode<CEnFields, &settings::CModeFields::m_enhanced> {
    bool ReadOptions(CArgReader& reader, const std::vector<std::string>& original, std::string& error) override
    {
        CEnFields& f = m_fields;
        const bool sequenceGiven =
            Given(original, "--kind") || Given(original, "--enum-list") || Given(original, "--digits");
        f.m_strTemplate = Text(reader, "--pattern", f.m_strTemplate);
        if (!RangeValue(reader, "--kind", 0, 7, f.m_nKind, error)) return false;
        f.m_strEnumList = Text(reader, "--enum-list", f.m_strEnumList);
        if (!RangeValue(reader, "--digits", 1, 9, f.m_nDigits, error)) return false;
        // As on the page: the start follows the sequence unless typed (a
        // preset's start stands while its sequence does).
        if (!m_bFromPreset || sequenceGiven) f.RefillStartList();
        f.m_strStart = Text(reader, "--start", f.m_strStart);
        f.m_strStep = Text(reader, "--step", f.m_strStep);
        f.m_strRepeat = Text(reader, "--repeat", f.m_strRepeat);
        return ReplaceDeleteOptions(reader, original, f, error);
    }
};

class CListMode : public CFieldsMode<CElFields, &settings::CModeFields::m_list> {
    bool ReadOptions(CArgReader& reader, const std::vector<std::string>&, std::string&) override
    {
        reader.Value("--names-file", m_strNamesFile);
        m_fields.m_strRepeat = Text(reader, "--repeat", m_fields.m_strRepeat);
        if (reader.Flag("--cycle")) m_fields.m_nCycle = 1;
        return true;
    }
    bool Load(std::string& error) override
    {
        if (m_strNamesFile.empty()) return true;
        std::string bytes;
        if (!ReadFileBytes(FromNativeName(m_strNamesFile), bytes)) {
            error = "无法读取文件：" + m_strNamesFile;
            return false;
        }
        // The file's names stand for a preset's.
        m_fields.m_aNames.clear();
        m_fields.PasteText(FromUtf8(StripUtf8Bom(bytes)));
        return true;
    }
    std::string m_strNamesFile;
};

class CAdvancedMode : public CFieldsMode<CEeFields, &settings::CModeFields::m_advanced> {
    bool ReadOptions(CArgReader& reader, const std::vector<std::string>&, std::string&) override
    {
        m_fields.m_strMacro = Text(reader, "--template", m_fields.m_strMacro);
        return true;
    }
};

class CFormulaMode : public CFieldsMode<CEfFields, &settings::CModeFields::m_formula> {
    bool ReadOptions(CArgReader& reader, const std::vector<std::string>&, std::string&) override
    {
        m_fields.m_strFormula = Text(reader, "--formula", m_fields.m_strFormula);
        return true;
    }
};

enum EMode { kSimple, kEnhanced, kList, kAdvanced, kFormula, kModeCount };
constexpr unsigned Bit(EMode m) { return 1u << m; }

struct CModeEntry {
    const char* m_pszName;
    std::unique_ptr<IRenameMode> (*m_pfnMake)();
};

const CModeEntry kModes[kModeCount] = {
    {"simple", [] { return std::unique_ptr<IRenameMode>(new CSimpleMode); }},
    {"enhanced", [] { return std::unique_ptr<IRenameMode>(new CEnhancedMode); }},
    {"list", [] { return std::unique_ptr<IRenameMode>(new CListMode); }},
    {"advanced", [] { return std::unique_ptr<IRenameMode>(new CAdvancedMode); }},
    {"formula", [] { return std::unique_ptr<IRenameMode>(new CFormulaMode); }},
};

// Which mode-specific options belong to which modes.
const struct {
    const char* m_pszName;
    unsigned m_nModes;
} kModeOptions[] = {
    {"--name", Bit(kSimple)},
    {"--index", Bit(kSimple)},
    {"--index-after", Bit(kSimple)},
    {"--pattern", Bit(kEnhanced)},
    {"--kind", Bit(kEnhanced)},
    {"--enum-list", Bit(kEnhanced)},
    {"--start", Bit(kSimple) | Bit(kEnhanced)},
    {"--step", Bit(kSimple) | Bit(kEnhanced)},
    {"--digits", Bit(kSimple) | Bit(kEnhanced)},
    {"--find", Bit(kSimple) | Bit(kEnhanced)},
    {"--replace", Bit(kSimple) | Bit(kEnhanced)},
    {"--regex", Bit(kSimple) | Bit(kEnhanced)},
    {"--delete-position", Bit(kSimple) | Bit(kEnhanced)},
    {"--delete-count", Bit(kSimple) | Bit(kEnhanced)},
    {"--repeat", Bit(kSimple) | Bit(kEnhanced) | Bit(kList)},
    {"--names-file", Bit(kList)},
    {"--cycle", Bit(kList)},
    {"--template", Bit(kAdvanced)},
    {"--formula", Bit(kFormula)},
};

int ModeIndex(const std::string& name)
{
    for (int m = 0; m < kModeCount; ++m)
        if (name == kModes[m].m_pszName) return m;
    return -1;
}

}  // namespace

std::unique_ptr<IRenameMode> MakeRenameMode(const std::string& name)
{
    const int m = ModeIndex(name);
    return m < 0 ? nullptr : kModes[m].m_pfnMake();
}

std::string ForeignModeOption(const std::string& name, const std::vector<std::string>& original)
{
    const int m = ModeIndex(name);
    if (m < 0) return {};
    for (const auto& use : kModeOptions)
        if (!(use.m_nModes & Bit(static_cast<EMode>(m))) && Given(original, use.m_pszName)) return use.m_pszName;
    return {};
}

}  // namespace kq::cli
