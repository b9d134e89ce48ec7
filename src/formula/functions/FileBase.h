// Path, file and list helpers behind the file and clipboard functions of the
// formula library. Paths split at the platform separator; the drive-root
// rule (second character ':') is kept for paths typed in Windows form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kq {

class CFileBase {
public:
    // Path parts. Title and extension split at the first point of the name.
    static std::u16string Base_GetFileName(std::u16string_view path);
    static std::u16string Base_GetFilePath(std::u16string_view path);
    static std::u16string Base_GetPathName(std::u16string_view path);
    static std::u16string Base_GetFileTitle(std::u16string_view path);
    static std::u16string Base_GetFileExt(std::u16string_view path);
    static std::u16string Base_GetFileRoot(std::u16string_view path);

    // Creation, last-write and last-access time (low 32 bits of the seconds
    // since 1970) of the first entry matching the path, which may carry the
    // wildcards * and ? in its last part; 0 when nothing matches.
    static int32_t Base_GetFileTimeC(std::u16string_view path);
    static int32_t Base_GetFileTimeM(std::u16string_view path);
    static int32_t Base_GetFileTimeA(std::u16string_view path);
    // Size in bytes; -1 when the path is not a regular file that can be read.
    static int64_t Base_GetFileSize(std::u16string_view path);
    // The line functions read regular files of at most this size, line by
    // line; anything else (a larger file, a FIFO, a device, a folder) is a
    // file that cannot be read.
    static constexpr uint64_t kMaxLineFileBytes = uint64_t(16) << 20;
    // Lines of a text file; -1 when it cannot be read, 0 for an empty file.
    static int Base_GetFileLineCount(std::u16string_view path);
    // Line n (wrapping around the line count); empty when the file cannot be
    // read or has no lines.
    static std::u16string Base_GetFileLineString(std::u16string_view path, int n);

    // Line-feed separated list texts (the clipboard).
    static int Base_GetStringCount(std::u16string_view list);
    static std::u16string Base_GetStringIndex(std::u16string_view list, int n);

    // The white space of triml/trimr and of list items: ASCII white space
    // and the Unicode space characters.
    static bool IsWideSpace(char16_t c);
    static std::u16string_view TrimWideSpace(std::u16string_view text, bool left, bool right);

    // Matches a name against a pattern with * and ? (exact code units).
    static bool WildcardMatch(std::u16string_view pattern, std::u16string_view name);
};

}  // namespace kq
