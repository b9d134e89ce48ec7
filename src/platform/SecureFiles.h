// Files that other users must not be able to plant or swap: a private
// per-user folder, files created fresh without following links, committed
// atomically, and a reader that never blocks on a FIFO or device.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kq {

// A folder only the current user can reach, created when missing. POSIX:
// kqtools-<uid> under XDG_RUNTIME_DIR, else TMPDIR, else /tmp, made 0700 and
// checked to be a real folder (no link) owned by the user. Windows: the
// per-user temporary folder. False when no such folder can be had.
bool PrivateTempFolder(std::u16string& folder);

// Writes a file under a temporary name in the target's folder (created
// exclusively, never through a link, readable by the owner only) and gives
// it the target name only on Commit, after the data reached the disk. A
// writer destroyed without Commit removes what it wrote.
class CAtomicFileWriter {
public:
    CAtomicFileWriter() = default;
    ~CAtomicFileWriter();
    CAtomicFileWriter(const CAtomicFileWriter&) = delete;
    CAtomicFileWriter& operator=(const CAtomicFileWriter&) = delete;

    bool Create(std::u16string_view target);
    bool Write(std::string_view bytes);
    bool Commit();
    void Discard();

private:
    bool FlushBuffer();
    // target + ".part-" + a random number.
    static std::u16string TempNameFor(std::u16string_view target);

    std::u16string m_strTarget;
    std::u16string m_strTemp;
    intptr_t m_hFile = -1;
    std::string m_strBuffer;
    bool m_bFailed = false;
};

inline constexpr size_t kAtomicWriteBuffer = 64 * 1024;

// Opens an existing regular file for reading. FIFOs, devices and folders
// are refused without blocking.
class CRegularFileReader {
public:
    CRegularFileReader() = default;
    ~CRegularFileReader();
    CRegularFileReader(const CRegularFileReader&) = delete;
    CRegularFileReader& operator=(const CRegularFileReader&) = delete;

    bool Open(std::u16string_view path);
    void Close();
    bool IsOpen() const { return m_hFile != -1; }
    uint64_t Size() const { return m_nSize; }
    // Bytes read (0 at end of file), or -1 on error.
    long long Read(char* buffer, size_t size);

private:
    intptr_t m_hFile = -1;
    uint64_t m_nSize = 0;
};

// Lets only the owner read, write and run the file (POSIX 0700); true on
// Windows, where a program is told by its name.
bool MakeOwnerExecutable(std::u16string_view path);

}  // namespace kq
