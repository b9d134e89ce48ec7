// Paths and the file-name comparison policy.
#pragma once

#include <string>
#include <string_view>

namespace kq {

#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

// How two file names in one folder are compared. Windows file systems ignore
// ASCII case; POSIX ones treat a.txt and A.txt as different files.
enum class ENamePolicy {
    ExactCase,
    AsciiCaseInsensitive,
};

// The policy of the platform we run on.
ENamePolicy DefaultNamePolicy();

bool NamesEqual(std::u16string_view a, std::u16string_view b, ENamePolicy policy);
// A key that is equal for two names exactly when NamesEqual says so.
std::u16string NameKey(std::u16string_view name, ENamePolicy policy);

// folder + separator + name. A file in the root has the folder "".
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);
// A name as Windows stores it: without trailing dots and spaces ("README."
// is README). Renaming does the same on every platform, so that a name a
// mode computed behaves alike everywhere.
std::u16string_view StoredFileName(std::u16string_view name);
// Splits at the last separator: ("/a/b.txt") -> ("/a", "b.txt"); no separator
// gives an empty folder and the whole text as name.
void SplitPath(std::u16string_view path, std::u16string& folder, std::u16string& name);

}  // namespace kq
