// The five naming modes as kqtools-cli rename sees them: one interface, so
// that reading a mode's options and filling the names is one call each.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "renamer/cli/CliSupport.h"

namespace kq {
class CFileNameList;
namespace settings {
struct CModeFields;
}
}  // namespace kq

namespace kq::cli {

class IRenameMode {
public:
    virtual ~IRenameMode() = default;
    // Starts from a preset's page instead of the page's defaults; the
    // options read afterwards change only what they name.
    virtual void UsePreset(const settings::CModeFields& fields) = 0;
    // Reads the mode's options; false with error set on a bad value.
    // original is the argument list before any option was taken.
    virtual bool ReadOptions(CArgReader& reader, const std::vector<std::string>& original, std::string& error) = 0;
    // Loads what the options point at (the List mode's names file), after
    // the paths were checked; false with error set when it cannot.
    virtual bool Load(std::string& /*error*/) { return true; }
    // Fills column 1 of every row. Returns a message when some names could
    // not be made as the options ask (a row the pattern could not be matched
    // on within the limits), else "".
    virtual std::u16string FillNewNames(CFileNameList& list, bool keepExtension) const = 0;
};

// The mode named on the command line ("simple", ..., "formula"), or null.
std::unique_ptr<IRenameMode> MakeRenameMode(const std::string& name);
// The first mode-specific option in original that the named mode does not
// take, or an empty text.
std::string ForeignModeOption(const std::string& name, const std::vector<std::string>& original);

}  // namespace kq::cli
