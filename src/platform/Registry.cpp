#include "platform/Registry.h"

#include <cstdlib>

#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"

#include "platform/Path.h"

#ifndef KQ_REGISTRY_DIR
#define KQ_REGISTRY_DIR "/usr/local/etc/ternsoft"
#endif

namespace kq {

namespace {

constexpr std::u16string_view kLocalMachine = u"HKEY_LOCAL_MACHINE";

std::u16string_view Trim(std::u16string_view s)
{
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r')) s.remove_suffix(1);
    return s;
}

// Reads a quoted .reg string starting at s[pos] == '"'; handles \\ and \".
// Returns false when the closing quote is missing.
bool ReadQuoted(std::u16string_view s, size_t& pos, std::u16string& out)
{
    out.clear();
    for (size_t i = pos + 1; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c == u'\\' && i + 1 < s.size()) {
            out.push_back(s[++i]);
        } else if (c == u'"') {
            pos = i + 1;
            return true;
        } else {
            out.push_back(c);
        }
    }
    return false;
}

// The key path as written, without surrounding blanks and trailing
// backslashes, with the usual abbreviation spelled out.
std::u16string KeyAsWritten(std::u16string_view key)
{
    std::u16string path(Trim(key));
    while (!path.empty() && path.back() == u'\\') path.pop_back();
    if (ToAsciiUpper(path.substr(0, 4)) == u"HKLM" && (path.size() == 4 || path[4] == u'\\'))
        path = std::u16string(kLocalMachine) + path.substr(4);
    return path;
}

std::u16string NormaliseKey(std::u16string_view key) { return ToAsciiUpper(KeyAsWritten(key)); }

}  // namespace

std::u16string DecodeRegistryText(std::string_view bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string text;
        text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(
                char16_t(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        return text;
    }
    bytes = StripUtf8Bom(bytes);
    return FromUtf8(bytes);
}

void CRegistryFile::Parse(std::u16string_view text)
{
    std::u16string currentKey;
    bool inKey = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos) end = text.size();
        std::u16string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == u';') continue;
        if (line.front() == u'[') {
            size_t close = line.rfind(u']');
            inKey = close != std::u16string_view::npos && close > 1 && line[1] != u'-';
            if (inKey) {
                std::u16string written = KeyAsWritten(line.substr(1, close - 1));
                currentKey = ToAsciiUpper(written);
                m_aKeys[currentKey];
                m_aKeyNames.emplace(currentKey, std::move(written));
            }
            continue;
        }
        if (!inKey) continue;
        std::u16string name;
        size_t pos = 0;
        if (line.front() == u'@') {
            pos = 1;
        } else if (line.front() == u'"') {
            if (!ReadQuoted(line, pos, name)) continue;
        } else {
            continue;
        }
        std::u16string_view rest = Trim(line.substr(pos));
        if (rest.empty() || rest.front() != u'=') continue;
        rest = Trim(rest.substr(1));
        CValue value;
        if (!rest.empty() && rest.front() == u'"') {
            size_t q = 0;
            if (!ReadQuoted(rest, q, value.m_strText)) continue;  // missing closing quote
        } else if (rest.size() > 6 && ToAsciiLower(rest.substr(0, 6)) == u"dword:") {
            std::u16string_view hex = rest.substr(6);
            if (hex.empty() || hex.size() > 8) continue;
            unsigned int v = 0;
            bool ok = true;
            for (char16_t c : hex) {
                int d = IsAsciiDigit(c)                                    ? c - u'0'
                        : (AsciiLower(c) >= u'a' && AsciiLower(c) <= u'f') ? AsciiLower(c) - u'a' + 10
                                                                           : -1;
                if (d < 0) { ok = false; break; }
                v = v * 16 + unsigned(d);
            }
            if (!ok) continue;
            value.m_bDword = true;
            value.m_nDword = v;
        } else {
            continue;  // binary and other kinds are not read by anyone
        }
        m_aKeys[currentKey][ToAsciiUpper(name)] = std::move(value);
    }
}

bool CRegistryFile::Load(std::u16string_view path)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return false;
    Parse(DecodeRegistryText(bytes));
    return true;
}

const CRegistryFile::CValue* CRegistryFile::Find(std::u16string_view key, std::u16string_view name) const
{
    std::u16string full = std::u16string(kLocalMachine) + u"\\" + NormaliseKey(key);
    auto k = m_aKeys.find(full);
    if (k == m_aKeys.end()) return nullptr;
    auto v = k->second.find(ToAsciiUpper(name));
    return v == k->second.end() ? nullptr : &v->second;
}

std::vector<std::u16string> CRegistryFile::SubKeys(std::u16string_view key) const
{
    std::u16string prefix = std::u16string(kLocalMachine) + u"\\" + NormaliseKey(key) + u"\\";
    // upper-cased child name -> child name as first written
    std::map<std::u16string, std::u16string> children;
    for (auto it = m_aKeyNames.lower_bound(prefix); it != m_aKeyNames.end() && it->first.starts_with(prefix); ++it) {
        size_t end = it->first.find(u'\\', prefix.size());
        if (end == std::u16string::npos) end = it->first.size();
        if (end == prefix.size()) continue;  // an empty component ("a\\b")
        // Upper-casing keeps lengths, so the positions hold in the written form.
        children.emplace(it->first.substr(prefix.size(), end - prefix.size()),
                         it->second.substr(prefix.size(), end - prefix.size()));
    }
    std::vector<std::u16string> names;
    names.reserve(children.size());
    for (auto& [upper, written] : children) names.push_back(std::move(written));
    return names;
}

#ifndef _WIN32
// Windows reads its real registry (windows/Services.cpp); here the file stands in.

std::u16string RegistryFileOfPrefix(std::u16string_view prefix)
{
    // The FHS keeps the configuration of /usr (and of /) in /etc.
    const bool bSystem = prefix.empty() || prefix == u"/usr";
    return (bSystem ? std::u16string(u"/etc") : std::u16string(prefix) + u"/etc") + u"/ternsoft/registry.reg";
}

std::u16string InstalledRegistryFile(std::u16string_view programFolder)
{
    // Programs lie in <prefix>/bin or in a private folder <prefix>/lib/X or
    // <prefix>/lib/<multiarch>/X.
    std::u16string prefix, name;
    SplitPath(programFolder, prefix, name);
    if (name != u"bin") {
        bool bUnderLib = false;
        for (int level = 0; level < 2 && !bUnderLib && !prefix.empty(); ++level) {
            const std::u16string folder = prefix;
            SplitPath(folder, prefix, name);
            bUnderLib = name == u"lib";
        }
        if (!bUnderLib) return {};
    }
    std::u16string file = RegistryFileOfPrefix(prefix);
    return IsRegularFile(file) ? file : std::u16string();
}

std::u16string RegistryFilePath()
{
    if (const char* env = std::getenv("KQ_REGISTRY_FILE"); env && *env) return FromNativeName(env);
    // An installation under another prefix than the configured one (cmake
    // --install --prefix) has its own registry; the configured one is the fallback.
    if (std::u16string file = InstalledRegistryFile(ProgramFolder()); !file.empty()) return file;
    return FromUtf8(KQ_REGISTRY_DIR "/registry.reg");
}

namespace {

const CRegistryFile::CValue* LookUp(CRegistryFile& file, std::u16string_view key, std::u16string_view name)
{
    if (!file.Load(RegistryFilePath())) return nullptr;
    return file.Find(key, name);
}

}  // namespace

int CTERNRegeditBase::ReadKeyVal(std::u16string_view strKey, std::u16string_view strName, int nKind,
                                 std::u16string& strValue)
{
    CRegistryFile file;
    const auto* value = LookUp(file, strKey, strName);
    if (!value || value->m_bDword || nKind != 2) return 0;
    if ((value->m_strText.size() + 1) * sizeof(char16_t) > 1000) return 0;
    strValue = value->m_strText;
    return 1;
}

int CTERNRegeditBase::ReadKeyVal(std::u16string_view strKey, std::u16string_view strName, int nKind, double& dValue)
{
    CRegistryFile file;
    const auto* value = LookUp(file, strKey, strName);
    if (!value || value->m_bDword || nKind != 1) return 0;
    if ((value->m_strText.size() + 1) * sizeof(char16_t) > 1000) return 0;
    dValue = Wtof(value->m_strText);
    return 1;
}

int CTERNRegeditBase::ReadKeyVal(std::u16string_view strKey, std::u16string_view strName, int nKind, int& nValue)
{
    CRegistryFile file;
    const auto* value = LookUp(file, strKey, strName);
    if (!value || !value->m_bDword || (nKind != 0 && nKind != 4)) return 0;
    nValue = static_cast<int>(value->m_nDword);
    return 1;
}

#endif  // !_WIN32

}  // namespace kq
