// The file-system services built on the system-specific ones: each side of
// the platform layer keeps only its system calls.
#include "platform/FileSystem.h"

namespace kq {

bool ForEachFolderEntry(std::u16string_view folder,
                        const std::function<bool(std::u16string_view name, bool isDirectory)>& visit)
{
    return ForEachFolderEntryId(
        folder, [&](std::u16string_view name, bool isDirectory, uint64_t) { return visit(name, isDirectory); });
}

bool EnumerateFolder(std::u16string_view folder, std::vector<CFolderEntry>& entries)
{
    return ForEachFolderEntry(folder, [&](std::u16string_view name, bool isDirectory) {
        entries.push_back({std::u16string(name), isDirectory});
        return true;
    });
}

bool ReadFileBytes(std::u16string_view path, std::string& bytes, uint64_t maxBytes, bool followLinks)
{
    std::string data;
    if (!ReadFileChunks(path, maxBytes, [&](std::string_view chunk) { data.append(chunk); return true; }, followLinks))
        return false;
    bytes.swap(data);
    return true;
}

EFileIdentity IdentityOfFileSystem(uint64_t magic)
{
    switch (magic) {
    case 0x4d44:      // FAT (msdos, vfat)
    case 0x2011BAB0:  // exFAT
    case 0x65735546:  // FUSE
        return EFileIdentity::SizeAndTime;
    default: return EFileIdentity::Node;
    }
}

bool ListingNodesAreFileNodes(uint64_t magic)
{
    switch (magic) {
    case 0xEF53:      // ext2/3/4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0x01021994:  // tmpfs
        return true;
    default: return false;
    }
}

EFileIdentity IdentityOfFileSystemName(std::u16string_view name)
{
    auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; };
    std::u16string key;
    for (char16_t c : name) key += upper(c);
    return key == u"FAT" || key == u"FAT12" || key == u"FAT16" || key == u"FAT32" || key == u"EXFAT"
               ? EFileIdentity::SizeAndTime
               : EFileIdentity::Node;
}

bool WriteFileBytes(std::u16string_view path, std::string_view bytes, bool flush)
{
    CDurableFile file;
    return file.Create(path) && file.Write(bytes) && file.Finish(flush);
}

}  // namespace kq
