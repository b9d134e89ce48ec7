// Reads arbitrary bytes as a registry file and builds the software and
// platform pages from it, as the configuration centre does with whatever
// file it is pointed at. Every subkey listed must exist under its parent in
// the keys the file names; any crash or sanitizer report is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "controlpanel/core/InfoPages.h"
#include "platform/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kq::CRegistryFile file;
    file.Parse(kq::DecodeRegistryText(std::string_view(reinterpret_cast<const char*>(data), size)));
    for (const auto& name : file.SubKeys(u"Software"))
        if (name.empty() || name.find(u'\\') != std::u16string::npos) std::abort();
    kq::CRegistryFileSource source(std::move(file));
    for (const auto& product : kq::SoftwareProducts(source))
        if (product.m_aLines.size() != 2) std::abort();
    for (bool b64 : {false, true}) {
        kq::CInfoTable table = kq::PlatformPage(source, b64);
        if (table.m_aRows.size() != table.m_aRowPrograms.size()) std::abort();
        for (const auto& row : table.m_aRows)
            if (row.size() != 6) std::abort();
    }
    return 0;
}
