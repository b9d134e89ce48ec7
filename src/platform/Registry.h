// Read access to the machine registry.
//
// On POSIX the registry is a text file in the Windows ".reg" export format
// (UTF-8, or UTF-16LE with a byte-order mark): the file named by
// KQ_REGISTRY_FILE, else the registry of the installation the program
// belongs to, else the one of the configured prefix (/etc/ternsoft/registry.reg
// for /usr).
// Key paths and value names compare ASCII-case-insensitively, as Windows does.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kq {

// One parsed registry file: HKEY_LOCAL_MACHINE only (other hives are kept
// under their own root name and never match a HKLM read).
class CRegistryFile {
public:
    struct CValue {
        bool m_bDword = false;
        unsigned int m_nDword = 0;
        std::u16string m_strText;
    };

    // Parses the text; malformed lines are skipped. Always succeeds.
    void Parse(std::u16string_view text);
    // Reads and parses the file; false when it cannot be read.
    bool Load(std::u16string_view path);
    // Value of HKEY_LOCAL_MACHINE\key\name ("" for the default value "@").
    const CValue* Find(std::u16string_view key, std::u16string_view name) const;
    // Names of the direct subkeys of HKEY_LOCAL_MACHINE\key as first written,
    // in the registry's order (case-insensitive); keys named only as part of
    // a deeper key's path count too.
    std::vector<std::u16string> SubKeys(std::u16string_view key) const;

private:
    std::map<std::u16string, std::map<std::u16string, CValue>> m_aKeys;  // upper-cased full key -> values
    std::map<std::u16string, std::u16string> m_aKeyNames;                 // upper-cased full key -> as written
};

// Decodes the bytes of a .reg file: UTF-16LE after its BOM, else UTF-8 (with
// or without BOM).
std::u16string DecodeRegistryText(std::string_view bytes);

// The registry file in force (KQ_REGISTRY_FILE or the installed one).
std::u16string RegistryFilePath();
#ifndef _WIN32
// Where an installation under prefix keeps its registry file:
// <prefix>/etc/ternsoft/registry.reg, or /etc/ternsoft/registry.reg for /usr.
std::u16string RegistryFileOfPrefix(std::u16string_view prefix);
// The registry file of the installation a program in programFolder belongs
// to (the prefix up to three levels above it), "" when there is none.
std::u16string InstalledRegistryFile(std::u16string_view programFolder);
#endif

class CTERNRegeditBase {
public:
    CTERNRegeditBase() = default;
    virtual ~CTERNRegeditBase() = default;

    // Reads value strName of HKEY_LOCAL_MACHINE\strKey. Kinds: 2 string,
    // 1 string read as real, 0 and 4 a 32-bit number. Returns 1 on success;
    // 0 on any failure, leaving the destination as it was. A string longer
    // than the 1000-byte buffer (terminator included) fails.
    static int ReadKeyVal(std::u16string_view strKey, std::u16string_view strName, int nKind, std::u16string& strValue);
    static int ReadKeyVal(std::u16string_view strKey, std::u16string_view strName, int nKind, double& dValue);
    static int ReadKeyVal(std::u16string_view strKey, std::u16string_view strName, int nKind, int& nValue);
};

}  // namespace kq
