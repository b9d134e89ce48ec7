#include "platform/Shell.h"

namespace kq {

std::vector<std::u16string> SplitCommandLine(std::u16string_view params)
{
    std::vector<std::u16string> args;
    std::u16string current;
    bool inQuotes = false, any = false;
    for (char16_t c : params) {
        if (c == u'"') {
            inQuotes = !inQuotes;
            any = true;
        } else if (!inQuotes && (c == u' ' || c == u'\t')) {
            if (any) args.push_back(current);
            current.clear();
            any = false;
        } else {
            current.push_back(c);
            any = true;
        }
    }
    if (any) args.push_back(current);
    return args;
}

}  // namespace kq
