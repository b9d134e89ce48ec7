// The few system calls on an open file that the shared file services are
// built from; implemented once per system in src/platform/<os>/. A file is an
// intptr_t handle, -1 when there is none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kq::native {

// Creates the file only when nothing (not even a link) has the name, for the
// owner alone. -1 on failure; exists tells whether the name was taken.
intptr_t CreateNewPrivateFile(std::u16string_view path, bool& exists);
// Bytes written (at least 1 when size > 0), or -1 on error.
long long WriteSome(intptr_t file, const char* data, size_t size);
// Bytes read (0 at end of file), or -1 on error.
long long ReadSome(intptr_t file, char* buffer, size_t size);
// Waits until what was written is on the disk.
bool SyncFile(intptr_t file);
bool CloseFile(intptr_t file);
// Renames from over to, replacing what is there (a link is replaced, never
// followed).
bool RenameReplacing(std::u16string_view from, std::u16string_view to);

}  // namespace kq::native
