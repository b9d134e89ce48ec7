// The generated parts of the help documents.
#pragma once

#include <string>
#include <string_view>

namespace kq::help {

// Text as HTML (UTF-8), with <, >, & and " escaped.
std::string Html(std::u16string_view text);

// Anchor of a function's entry in the formula help: "fn-" + its name.
std::string FunctionAnchor(std::u16string_view name);

// Replaces every marker comment "<!-- KQ:NAME -->" of the source with its
// section. The first unknown marker name is returned in unknown (the text
// is then left as it was at that marker).
std::string ExpandMarkers(std::string_view source, std::string& unknown);

}  // namespace kq::help
