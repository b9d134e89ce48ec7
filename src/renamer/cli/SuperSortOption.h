// `rename --super-sort NAME[:desc] [--rules FILE]`: the list ordered by a
// super-sort rule before the names are made.
#pragma once

#include <string>

#include "renamer/cli/RuleOptions.h"

namespace kq {
class CFileNameList;
}

namespace kq::cli {

// Orders the rows by the rule named in spec (":desc" at the end: largest
// weight first). kExitOk, or kExitFailed with the message on stderr (rule
// not found, or the rule stopped: the list is then unchanged).
int ApplySuperSortOption(const std::string& spec, const CRuleSource& rules, CFileNameList& list);

}  // namespace kq::cli
