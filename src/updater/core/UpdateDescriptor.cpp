#include "updater/core/UpdateDescriptor.h"

#include "platform/CodePage.h"
#include "platform/SecureFiles.h"
#include "updater/core/PRKFileVersion.h"

namespace kq {

namespace {
// A descriptor is four short lines; anything longer is not one.
constexpr size_t kMaxDescriptor = 64 * 1024;
}  // namespace

bool ParseUpdateDescriptor(std::string_view bytes, CUpdateDescriptor& descriptor)
{
    std::u16string* const fields[] = {&descriptor.m_strSoftName, &descriptor.m_strSoftVersion,
                                      &descriptor.m_strVersionURL, &descriptor.m_strSetupURL};
    CUpdateDescriptor read;
    std::u16string* const targets[] = {&read.m_strSoftName, &read.m_strSoftVersion, &read.m_strVersionURL,
                                       &read.m_strSetupURL};
    size_t pos = 0;
    for (std::u16string* target : targets) {
        if (pos >= bytes.size()) return false;
        size_t end = bytes.find('\n', pos);
        std::string_view line = bytes.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? bytes.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // Keys are not checked: the value is what follows the first "=".
        size_t eq = line.find('=');
        *target = FromFileText(eq == std::string_view::npos ? line : line.substr(eq + 1));
    }
    for (size_t i = 0; i < 4; ++i) *fields[i] = std::move(*targets[i]);
    return true;
}

bool ReadUpdateDescriptor(std::u16string_view path, CUpdateDescriptor& descriptor)
{
    CRegularFileReader file;
    if (!file.Open(path) || file.Size() > kMaxDescriptor) return false;
    std::string bytes(size_t(file.Size()), '\0');
    long long got = file.Read(bytes.data(), bytes.size());
    if (got < 0) return false;
    bytes.resize(size_t(got));
    return ParseUpdateDescriptor(bytes, descriptor);
}

std::string FormatUpdateDescriptor(const CUpdateDescriptor& descriptor)
{
    std::string out;
    const std::pair<const char*, const std::u16string*> lines[] = {{"SoftName=", &descriptor.m_strSoftName},
                                                                  {"SoftVersion=", &descriptor.m_strSoftVersion},
                                                                  {"VersionURL=", &descriptor.m_strVersionURL},
                                                                  {"SetupURL=", &descriptor.m_strSetupURL}};
    for (const auto& [key, value] : lines) {
        std::string bytes;
        ToGbk(*value, bytes);
        out += key + bytes + "\r\n";
    }
    return out;
}

}  // namespace kq
