// The fields of all five mode pages together, and their keys in the
// settings and preset files.
#pragma once

#include <string>
#include <string_view>

#include "renamer/modes/AdvancedNaming.h"
#include "renamer/modes/EnhancedNaming.h"
#include "renamer/modes/FormulaNaming.h"
#include "renamer/modes/ListNaming.h"
#include "renamer/modes/SimpleNaming.h"

namespace kq::settings {

class CKeyValueWriter;
struct CTextSection;

inline constexpr int kModeCount = 5;

// Each page's fields, with the pages' own defaults.
struct CModeFields {
    CEaFields m_simple;
    CEnFields m_enhanced;
    CElFields m_list;
    CEeFields m_advanced;
    CEfFields m_formula;
};

// "simple", "enhanced", "list", "advanced", "formula" (the CLI's --mode
// names) for modes 0..4; -1 for any other name.
const char* ModeName(int mode);
int ModeFromName(std::u16string_view name);

// Writes the keys of one mode's page ("simple.template=…").
void WriteModeFields(CKeyValueWriter& writer, const CModeFields& fields, int mode);
// Reads the keys of one mode's page that section holds. A missing key, or a
// value out of the page's range, leaves the field as it was; the list
// page's names are the "list.name" lines (none: no names).
void ReadModeFields(const CTextSection& section, CModeFields& fields, int mode);

}  // namespace kq::settings
