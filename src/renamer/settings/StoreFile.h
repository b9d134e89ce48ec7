// The small text files the window keeps in the configuration folder: read
// without ever waiting on or filling memory from something that is no
// small regular file, kept aside (never deleted) when they cannot be used,
// and written atomically.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kq::settings {

// Far beyond any settings or presets a person keeps.
inline constexpr uint64_t kStoreFileLimit = uint64_t(1) << 20;

enum class EStoreLoad {
    Missing,   // no file: the defaults
    Loaded,    // read and understood
    SetAside,  // could not be used: renamed to the backup and reported once
    Stuck,     // could not be used nor renamed: reported, and never written over
};

// How a store names itself in its messages.
struct CStoreTexts {
    const char16_t* m_pszTitle;  // "设置"
    const char16_t* m_pszNoun;   // "设置文件"
    const char16_t* m_pszAfter;  // what happens meanwhile: "，已改用默认设置"
};

// "<noun>“path”无法读取<after>；原文件已另存为“backup”。" and the text for a
// file that could not be moved aside.
std::u16string SetAsideText(const CStoreTexts& texts, std::u16string_view path, std::u16string_view backup);
std::u16string StuckText(const CStoreTexts& texts, std::u16string_view path);

// Reads path whole when it is a regular file of at most kStoreFileLimit
// bytes and hands the bytes to parse. A file that is refused or that parse
// rejects is renamed to path + ".damaged" (".damaged2", … when taken) and
// the prompt provider tells the user. backup receives the new name.
EStoreLoad LoadStoreFile(std::u16string_view path, const std::function<bool(std::string_view bytes)>& parse,
                         const CStoreTexts& texts, std::u16string* backup = nullptr);

// The first free "<path>.damaged", "<path>.damaged2", … that path was
// renamed to; empty when it could not be renamed.
std::u16string SetFileAside(std::u16string_view path);

// Creates the folder when needed and replaces the file atomically; false
// (the old file untouched) when that fails.
bool SaveStoreFile(std::u16string_view path, std::string_view bytes);

}  // namespace kq::settings
