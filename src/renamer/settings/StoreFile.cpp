#include "renamer/settings/StoreFile.h"

#include "platform/AtomicFile.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Prompt.h"

namespace kq::settings {

std::u16string SetAsideText(const CStoreTexts& texts, std::u16string_view path, std::u16string_view backup)
{
    return std::u16string(texts.m_pszNoun) + u"“" + std::u16string(path) + u"”无法读取" + texts.m_pszAfter +
           u"；原文件已另存为“" + std::u16string(backup) + u"”。";
}

std::u16string StuckText(const CStoreTexts& texts, std::u16string_view path)
{
    return std::u16string(texts.m_pszNoun) + u"“" + std::u16string(path) + u"”无法读取" + texts.m_pszAfter +
           u"；原文件也无法另存，在它被修复或移走之前不会写入新的内容。";
}

std::u16string SetFileAside(std::u16string_view path)
{
    for (int n = 1; n < 1000; ++n) {
        std::u16string candidate = std::u16string(path) + u".damaged" + (n == 1 ? u"" : FormatInt(n));
        if (PathExists(candidate)) continue;
        // Never replaces: a name taken meanwhile fails and the next is tried.
        if (MoveFileNoReplace(path, candidate)) return candidate;
        if (PathExists(candidate)) continue;
        return {};
    }
    return {};
}

EStoreLoad LoadStoreFile(std::u16string_view path, const std::function<bool(std::string_view bytes)>& parse,
                         const CStoreTexts& texts, std::u16string* backup)
{
    if (backup) backup->clear();
    if (!PathExists(path)) return EStoreLoad::Missing;
    // ReadFileBytes opens without waiting and refuses anything but a regular
    // file within the limit before it reads a byte.
    std::string bytes;
    if (ReadFileBytes(path, bytes, kStoreFileLimit) && parse(bytes)) return EStoreLoad::Loaded;
    const std::u16string aside = SetFileAside(path);
    if (aside.empty()) {
        GetPromptProvider().Inform(StuckText(texts, path), texts.m_pszTitle);
        return EStoreLoad::Stuck;
    }
    if (backup) *backup = aside;
    GetPromptProvider().Inform(SetAsideText(texts, path, aside), texts.m_pszTitle);
    return EStoreLoad::SetAside;
}

bool SaveStoreFile(std::u16string_view path, std::string_view bytes)
{
    std::u16string folder, name;
    SplitPath(path, folder, name);
    if (!folder.empty() && !CreateFolder(folder)) return false;
    return ReplaceFileAtomic(path, bytes);
}

}  // namespace kq::settings
