#include "renamer/settings/ModeFields.h"

#include <iterator>

#include "renamer/settings/KeyValueText.h"

namespace kq::settings {

namespace {

enum class EKind { Text, Flag, Number, EnumList, Names };

// One field of a page: its key, kind, range and where it lives.
struct CBinding {
    int m_nMode;
    const char* m_pszKey;
    EKind m_eKind;
    int m_nLow = 0;
    int m_nHigh = 0;
    void* (*m_pfnAt)(CModeFields&) = nullptr;
};

#define KQ_AT(member) [](CModeFields& f) -> void* { return &f.member; }

// The replacement and deletion fields of the Simple and Enhanced pages.
#define KQ_REPLACE_DELETE(mode, prefix, page)                                             \
    {mode, prefix ".replace", EKind::Flag, 0, 0, KQ_AT(page.m_bReplaceEnabled)},          \
    {mode, prefix ".find", EKind::Text, 0, 0, KQ_AT(page.m_strFind)},                     \
    {mode, prefix ".replace_with", EKind::Text, 0, 0, KQ_AT(page.m_strReplace)},          \
    {mode, prefix ".regex", EKind::Flag, 0, 0, KQ_AT(page.m_bRegex)},                     \
    {mode, prefix ".delete", EKind::Flag, 0, 0, KQ_AT(page.m_bDeleteEnabled)},            \
    {mode, prefix ".delete_position", EKind::Number, 0, 3, KQ_AT(page.m_nDeletePosition)}, \
    {mode, prefix ".delete_count", EKind::Number, 0, 20, KQ_AT(page.m_nDeleteCount)}

// The ranges are the pages' item lists.
const CBinding kBindings[] = {
    {0, "simple.template", EKind::Text, 0, 0, KQ_AT(m_simple.m_strTemplate)},
    {0, "simple.index", EKind::Flag, 0, 0, KQ_AT(m_simple.m_bIndexEnabled)},
    {0, "simple.start", EKind::Text, 0, 0, KQ_AT(m_simple.m_strStart)},
    {0, "simple.step", EKind::Text, 0, 0, KQ_AT(m_simple.m_strStep)},
    {0, "simple.repeat", EKind::Text, 0, 0, KQ_AT(m_simple.m_strRepeat)},
    {0, "simple.digits", EKind::Number, 0, 9, KQ_AT(m_simple.m_nDigits)},
    {0, "simple.index_position", EKind::Number, 0, 1, KQ_AT(m_simple.m_nIndexPosition)},
    KQ_REPLACE_DELETE(0, "simple", m_simple),
    {1, "enhanced.template", EKind::Text, 0, 0, KQ_AT(m_enhanced.m_strTemplate)},
    {1, "enhanced.kind", EKind::Number, 0, 7, KQ_AT(m_enhanced.m_nKind)},
    {1, "enhanced.enum_list", EKind::EnumList, 0, 0, KQ_AT(m_enhanced.m_strEnumList)},
    {1, "enhanced.digits", EKind::Number, 1, 9, KQ_AT(m_enhanced.m_nDigits)},
    {1, "enhanced.start", EKind::Text, 0, 0, KQ_AT(m_enhanced.m_strStart)},
    {1, "enhanced.step", EKind::Text, 0, 0, KQ_AT(m_enhanced.m_strStep)},
    {1, "enhanced.repeat", EKind::Text, 0, 0, KQ_AT(m_enhanced.m_strRepeat)},
    KQ_REPLACE_DELETE(1, "enhanced", m_enhanced),
    {2, "list.name", EKind::Names, 0, 0, KQ_AT(m_list.m_aNames)},
    {2, "list.repeat", EKind::Text, 0, 0, KQ_AT(m_list.m_strRepeat)},
    {2, "list.cycle", EKind::Number, 0, 1, KQ_AT(m_list.m_nCycle)},
    {3, "advanced.template", EKind::Text, 0, 0, KQ_AT(m_advanced.m_strMacro)},
    {4, "formula.formula", EKind::Text, 0, 0, KQ_AT(m_formula.m_strFormula)},
};

#undef KQ_REPLACE_DELETE
#undef KQ_AT

const char* const kModeNames[kModeCount] = {"simple", "enhanced", "list", "advanced", "formula"};

bool IsEnumerationList(const std::u16string& text)
{
    for (const char16_t* list : kEnumerationLists)
        if (text == list) return true;
    return false;
}

}  // namespace

const char* ModeName(int mode) { return mode >= 0 && mode < kModeCount ? kModeNames[mode] : ""; }

int ModeFromName(std::u16string_view name)
{
    for (int m = 0; m < kModeCount; ++m)
        if (name == std::u16string(kModeNames[m], kModeNames[m] + std::char_traits<char>::length(kModeNames[m])))
            return m;
    return -1;
}

void WriteModeFields(CKeyValueWriter& writer, const CModeFields& fields, int mode)
{
    auto& mutableFields = const_cast<CModeFields&>(fields);  // read only: the table's accessors serve both ways
    for (const CBinding& b : kBindings) {
        if (b.m_nMode != mode) continue;
        void* at = b.m_pfnAt(mutableFields);
        switch (b.m_eKind) {
        case EKind::Text:
        case EKind::EnumList: writer.Put(b.m_pszKey, *static_cast<std::u16string*>(at)); break;
        case EKind::Flag: writer.PutFlag(b.m_pszKey, *static_cast<bool*>(at)); break;
        case EKind::Number: writer.PutNumber(b.m_pszKey, *static_cast<int*>(at)); break;
        case EKind::Names:
            for (const std::u16string& name : *static_cast<std::vector<std::u16string>*>(at))
                writer.Put(b.m_pszKey, name);
            break;
        }
    }
}

void ReadModeFields(const CTextSection& section, CModeFields& fields, int mode)
{
    for (const CBinding& b : kBindings) {
        if (b.m_nMode != mode) continue;
        void* at = b.m_pfnAt(fields);
        if (b.m_eKind == EKind::Names) {
            // One line per name; none at all is the empty list.
            *static_cast<std::vector<std::u16string>*>(at) = section.All(b.m_pszKey);
            continue;
        }
        const std::u16string* value = section.Find(b.m_pszKey);
        if (!value) continue;
        switch (b.m_eKind) {
        case EKind::Text: *static_cast<std::u16string*>(at) = *value; break;
        case EKind::EnumList:
            if (IsEnumerationList(*value)) *static_cast<std::u16string*>(at) = *value;
            break;
        case EKind::Flag: ReadFlag(*value, *static_cast<bool*>(at)); break;
        case EKind::Number: {
            long long n = 0;
            if (ReadNumber(*value, b.m_nLow, b.m_nHigh, n)) *static_cast<int*>(at) = int(n);
            break;
        }
        case EKind::Names: break;
        }
    }
}

}  // namespace kq::settings
