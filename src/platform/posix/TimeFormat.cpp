#include <locale>
#include <sstream>

#include "platform/Clock.h"

namespace kq {

std::string FormatTimeC(const std::tm& tm, std::string_view format)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    const auto& facet = std::use_facet<std::time_put<char>>(std::locale::classic());
    facet.put(std::ostreambuf_iterator<char>(out), out, ' ', &tm, format.data(), format.data() + format.size());
    return out.str();
}

}  // namespace kq
