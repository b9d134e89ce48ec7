#include "controlpanel/core/RegistrySource.h"

#include "platform/Text.h"

#ifdef _WIN32
#include "platform/RegistryViews.h"
#endif

namespace kq {

std::u16string CRegistryFileSource::ViewKey(std::u16string_view key, ERegistryView view)
{
    constexpr std::u16string_view kSoftware = u"SOFTWARE\\";
    if (view == ERegistryView::kNative || key.size() < kSoftware.size() ||
        ToAsciiUpper(key.substr(0, kSoftware.size())) != kSoftware)
        return std::u16string(key);  // only the software branch is split by width
    return std::u16string(key.substr(0, kSoftware.size())) + u"WOW6432Node\\" + std::u16string(key.substr(kSoftware.size()));
}

std::vector<std::u16string> CRegistryFileSource::SubKeys(std::u16string_view key, ERegistryView view) const
{
    return m_file.SubKeys(ViewKey(key, view));
}

bool CRegistryFileSource::ReadString(std::u16string_view key, std::u16string_view name, ERegistryView view,
                                     std::u16string& value) const
{
    const CRegistryFile::CValue* found = m_file.Find(ViewKey(key, view), name);
    if (!found || found->m_bDword) return false;
    value = found->m_strText;
    return true;
}

#ifdef _WIN32

namespace {

class CWindowsRegistrySource : public CRegistrySource {
public:
    std::vector<std::u16string> SubKeys(std::u16string_view key, ERegistryView view) const override
    {
        std::vector<std::u16string> names;
        EnumMachineSubKeys(key, view == ERegistryView::kWow32, names);
        return names;
    }
    bool ReadString(std::u16string_view key, std::u16string_view name, ERegistryView view,
                    std::u16string& value) const override
    {
        return ReadMachineString(key, name, view == ERegistryView::kWow32, value);
    }
};

}  // namespace

std::unique_ptr<CRegistrySource> OpenMachineRegistry() { return std::make_unique<CWindowsRegistrySource>(); }

#else

std::unique_ptr<CRegistrySource> OpenMachineRegistry()
{
    CRegistryFile file;
    file.Load(RegistryFilePath());
    return std::make_unique<CRegistryFileSource>(std::move(file));
}

#endif

}  // namespace kq
