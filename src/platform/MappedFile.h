// A regular file's bytes mapped read-only into memory, for readers that need
// a large file whole (a signature check) without copying it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kq {

class CMappedFile {
public:
    CMappedFile() = default;
    ~CMappedFile();
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    // False for anything but a regular file (a link in the last component
    // too), or when it cannot be mapped. An empty file maps to no bytes.
    bool Open(std::u16string_view path);
    void Close();
    std::string_view Bytes() const { return {static_cast<const char*>(m_pData), m_nSize}; }

private:
    const void* m_pData = nullptr;
    size_t m_nSize = 0;
    intptr_t m_hMapping = 0;  // Windows: the mapping object
};

}  // namespace kq
