// The rule file the sort and rules subcommands read: --rules FILE, else the
// rule store.
#pragma once

#include <string>

#include "renamer/cli/CliSupport.h"
#include "renamer/supersort/SortRoute.h"

namespace kq::cli {

struct CRuleSource {
    std::u16string m_strPath;
    bool m_bGiven = false;  // --rules was given
};
CRuleSource RuleSource(CArgReader& reader);

// Reads the rules into list; every problem is told on stderr ("版本过低"
// by the reader itself). True when the file was read completely, or when
// the default store does not exist yet (no rules).
bool ReadRules(const CRuleSource& source, CSortRouteList& list);

}  // namespace kq::cli
