// The machine registry as the information pages read it: subkeys and string
// values of HKEY_LOCAL_MACHINE in the native or the 32-bit view.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace kq {

enum class ERegistryView { kNative, kWow32 };

class CRegistrySource {
public:
    virtual ~CRegistrySource() = default;
    virtual std::vector<std::u16string> SubKeys(std::u16string_view key, ERegistryView view) const = 0;
    // False when the key or value is missing or not text.
    virtual bool ReadString(std::u16string_view key, std::u16string_view name, ERegistryView view,
                            std::u16string& value) const = 0;
};

// A registry file exported from a 64-bit system: the native view is the keys
// as written, the 32-bit view of "Software\..." lies under
// "Software\WOW6432Node\...".
class CRegistryFileSource : public CRegistrySource {
public:
    explicit CRegistryFileSource(CRegistryFile file) : m_file(std::move(file)) {}
    std::vector<std::u16string> SubKeys(std::u16string_view key, ERegistryView view) const override;
    bool ReadString(std::u16string_view key, std::u16string_view name, ERegistryView view,
                    std::u16string& value) const override;

    // The key path that holds key in view.
    static std::u16string ViewKey(std::u16string_view key, ERegistryView view);

private:
    CRegistryFile m_file;
};

// Windows: the real registry; elsewhere the registry file in force (empty
// when it cannot be read).
std::unique_ptr<CRegistrySource> OpenMachineRegistry();

}  // namespace kq
