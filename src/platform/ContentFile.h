// Reading the contents of a user's file for its metadata and hashes: only
// regular files are opened, without waiting (a FIFO or a device named like
// a photo must never block a preview), and read at any offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kq {

// What tells one version of a file from another: the same node with the
// same size and modification time. A rename keeps all four, so a renamed
// file is still known.
struct CContentId {
    uint64_t m_nDevice = 0;
    uint64_t m_nNode = 0;
    uint64_t m_nSize = 0;
    int64_t m_nModified = 0;  // nanoseconds since 1970
    bool operator==(const CContentId&) const = default;
};

// The id of a regular file (links followed); false for anything else.
bool GetContentId(std::u16string_view path, CContentId& id);

class CContentFile {
public:
    CContentFile() = default;
    ~CContentFile();
    CContentFile(const CContentFile&) = delete;
    CContentFile& operator=(const CContentFile&) = delete;

    // False when the path is not a regular file that can be read.
    bool Open(std::u16string_view path);
    void Close();
    bool IsOpen() const { return m_hFile != -1; }

    const CContentId& Id() const { return m_id; }
    uint64_t Size() const { return m_id.m_nSize; }
    // Bytes read at offset (fewer only at the end of the file), -1 on error.
    long long ReadAt(uint64_t offset, void* buffer, size_t size) const;
    // A name the system resolves to this open file, for libraries that open
    // files by name themselves (on Linux the descriptor's own entry, so the
    // file checked here is the one they get); empty when there is none.
    std::string OpenedName() const;

private:
    intptr_t m_hFile = -1;
    CContentId m_id;
    std::u16string m_strPath;
};

}  // namespace kq
