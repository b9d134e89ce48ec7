// Parses arbitrary bytes as an update descriptor and checks the addresses
// and setup names derived from it: no field may hold a line break, and a
// setup name never leaves its folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "updater/core/Download.h"
#include "updater/core/UpdateDescriptor.h"
#include "updater/core/UpdateFlow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kq::CUpdateDescriptor descriptor;
    if (!kq::ParseUpdateDescriptor(bytes, descriptor)) return 0;
    for (const std::u16string* field : {&descriptor.m_strSoftName, &descriptor.m_strSoftVersion, &descriptor.m_strVersionURL,
                                        &descriptor.m_strSetupURL}) {
        if (field->find(u'\n') != std::u16string::npos) std::abort();
    }
    kq::CHttpAddress address;
    if (kq::ParseHttpAddress(descriptor.m_strVersionURL, address)) {
        if (address.m_strHost.empty() || address.m_nPort < 1 || address.m_nPort > 65535 || address.m_strObject.empty() ||
            address.m_strObject.front() != '/')
            std::abort();
    }
    const std::u16string name = kq::SetupFileName(descriptor.m_strSetupURL);
    if (name.rfind(u"Setup", 0) != 0 || name.find_first_of(u"/\\") != std::u16string::npos || name.find(u"..") != std::u16string::npos)
        std::abort();
    return 0;
}
