#include "platform/Path.h"

#include "platform/Text.h"

namespace kq {

ENamePolicy DefaultNamePolicy()
{
#ifdef _WIN32
    return ENamePolicy::AsciiCaseInsensitive;
#else
    return ENamePolicy::ExactCase;
#endif
}

bool NamesEqual(std::u16string_view a, std::u16string_view b, ENamePolicy policy)
{
    if (a.size() != b.size()) return false;
    if (policy == ENamePolicy::ExactCase) return a == b;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

std::u16string NameKey(std::u16string_view name, ENamePolicy policy)
{
    return policy == ENamePolicy::ExactCase ? std::u16string(name) : ToAsciiUpper(name);
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name)
{
    std::u16string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path.push_back(kPathSeparator);
    path.append(name);
    return path;
}

void SplitPath(std::u16string_view path, std::u16string& folder, std::u16string& name)
{
    size_t pos = path.rfind(kPathSeparator);
    if (pos == std::u16string_view::npos) {
        folder.clear();
        name.assign(path);
        return;
    }
    folder.assign(path.substr(0, pos));
    name.assign(path.substr(pos + 1));
}

std::u16string_view StoredFileName(std::u16string_view name)
{
    size_t end = name.size();
    while (end > 0 && (name[end - 1] == u'.' || name[end - 1] == u' ')) --end;
    return name.substr(0, end);
}

}  // namespace kq
