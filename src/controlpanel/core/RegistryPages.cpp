// The software and platform pages, read from the machine registry.
#include <initializer_list>

#include "controlpanel/core/InfoPages.h"
#include "platform/Path.h"

namespace kq {

namespace {

// Reads every named value; false when any is missing.
bool ReadAll(const CRegistrySource& registry, const std::u16string& key, ERegistryView view,
             std::initializer_list<std::pair<const char16_t*, std::u16string*>> values)
{
    for (const auto& [name, target] : values)
        if (!registry.ReadString(key, name, view, *target)) return false;
    return true;
}

void AddRow(CInfoTable& table, std::vector<std::u16string> row, const std::u16string& folder, const char16_t* program)
{
    table.m_aRows.push_back(std::move(row));
    table.m_aRowPrograms.push_back(JoinPath(folder, program));
}

void AddPlatforms(const CRegistrySource& registry, ERegistryView view, const std::u16string& bits, CInfoTable& table)
{
    const std::u16string acad = u"Software\\Autodesk\\AutoCAD";
    for (const std::u16string& release : registry.SubKeys(acad, view)) {
        for (const std::u16string& product : registry.SubKeys(acad + u"\\" + release, view)) {
            std::u16string key = acad + u"\\" + release + u"\\" + product;
            std::u16string location, name, version, language;
            if (!ReadAll(registry, key, view,
                         {{u"AcadLocation", &location}, {u"ProductName", &name}, {u"Release", &version}, {u"Language", &language}}))
                continue;
            AddRow(table, {name, bits, version, language, location, u"Autodesk\\AutoCAD\\" + release + u"\\" + product},
                   location, u"acad.exe");
        }
    }
    const std::u16string zwcad = u"Software\\ZWSoft\\ZWCAD";
    for (const std::u16string& version : registry.SubKeys(zwcad, view)) {
        for (const std::u16string& language : registry.SubKeys(zwcad + u"\\" + version, view)) {
            std::u16string location;
            if (!registry.ReadString(zwcad + u"\\" + version + u"\\" + language, u"Location", view, location)) continue;
            AddRow(table, {u"ZWCAD " + version, bits, u"2012.11.29", language, location, u"ZWSOFT\\ZWCAD\\" + version + u"\\" + language},
                   location, u"zwcad.exe");
        }
    }
    const std::u16string icad = u"Software\\HaoChenC";
    for (const std::u16string& first : registry.SubKeys(icad, view)) {
        for (const std::u16string& second : registry.SubKeys(icad + u"\\" + first, view)) {
            std::u16string location, name, version;
            if (!ReadAll(registry, icad + u"\\" + first + u"\\" + second, view,
                         {{u"Location", &location}, {u"ProductName", &name}, {u"FullVersion", &version}}))
                continue;
            AddRow(table, {name, bits, version, u"简体中文", location, first + u"\\" + second}, location, u"icad.exe");
        }
    }
}

}  // namespace

std::vector<CProductInfo> SoftwareProducts(const CRegistrySource& registry)
{
    std::vector<CProductInfo> products;
    const std::u16string maker = kMakerKey;
    for (const std::u16string& name : registry.SubKeys(maker, ERegistryView::kNative)) {
        std::u16string version, location;
        registry.ReadString(maker + u"\\" + name, u"Version", ERegistryView::kNative, version);
        registry.ReadString(maker + u"\\" + name, u"Location", ERegistryView::kNative, location);
        products.push_back({name, {u"软件版本：" + version, u"安装路径：" + location}});
    }
    return products;
}

CInfoTable PlatformPage(const CRegistrySource& registry, bool b64BitSystem)
{
    CInfoTable table = InfoPageFrame(kPagePlatform);
    if (b64BitSystem) {
        AddPlatforms(registry, ERegistryView::kNative, u"64", table);
        AddPlatforms(registry, ERegistryView::kWow32, u"32", table);
    } else {
        AddPlatforms(registry, ERegistryView::kNative, u"32", table);
    }
    return table;
}

}  // namespace kq
