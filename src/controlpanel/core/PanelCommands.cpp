#include "controlpanel/core/PanelCommands.h"

#include <algorithm>
#include <cstring>

#include "platform/DynamicLibrary.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {

namespace {

constexpr size_t kMaxIconBytes = 4 * 1024 * 1024;
constexpr size_t kMaxTextBytes = 64 * 1024;
// A library answering a wild count must not keep the dialog from opening.
constexpr int kMaxCommandsPerLibrary = 1024;

void ICPL_CALL SetText(void* host, const char* utf8)
{
    auto* text = static_cast<std::u16string*>(host);
    text->clear();
    if (utf8) text->assign(FromUtf8(std::string_view(utf8, strnlen(utf8, kMaxTextBytes))));
}

void ICPL_CALL SetIconImage(void* host, const void* data, size_t size)
{
    auto* record = static_cast<CPanelExecute*>(host);
    record->m_strIconFile.clear();
    if (data && size <= kMaxIconBytes)
        record->m_strIconImage.assign(static_cast<const char*>(data), size);
    else
        record->m_strIconImage.clear();
}

void ICPL_CALL SetIconFile(void* host, const char* utf8)
{
    auto* record = static_cast<CPanelExecute*>(host);
    record->m_strIconImage.clear();
    record->m_strIconFile = utf8 ? FromUtf8(std::string_view(utf8, strnlen(utf8, kMaxTextBytes))) : std::u16string();
}

}  // namespace

std::vector<CPanelExecute> BuiltInCommands()
{
    std::vector<CPanelExecute> commands(kBuiltInCommands);
    commands[kCmdSystemInfo].m_strName = u"系统信息";
    commands[kCmdSystemInfo].m_strDescription =
        u"显示当前计算机的操作系统环境设置，远舟软件版权信息及软件安装状态，同时列出远舟软件所需基础平台软件安装状态";
    commands[kCmdCredits].m_strName = u"致谢名单";
    commands[kCmdCredits].m_strDescription =
        u"显示给远舟工作室提供帮助的主要人员名单，他们为远舟软件开发提供了许多帮助，包括需求提出、系统测试、软件推广等，对他们表以衷心致谢";
    commands[kCmdWebSite].m_strName = u"官方网站";
    commands[kCmdWebSite].m_strDescription =
        u"访问远舟工作室官方网站，获取软件的最新版本、使用帮助和技术支持，也欢迎在网站上向远舟工作室反馈您的意见和建议";
    for (int i = 0; i < kBuiltInCommands; ++i) commands[size_t(i)].m_nCommandIndex = i;
    return commands;
}

CLibraryLoader PlatformLibraryLoader()
{
    return {LoadSharedLibrary, FindLibraryExport, UnloadSharedLibrary};
}

CPluginHost::CPluginHost(CLibraryLoader loader) : m_loader(std::move(loader)) {}

CPluginHost::~CPluginHost() { UnloadAll(); }

void CPluginHost::Load(std::u16string_view folder, std::vector<CPanelExecute>& commands)
{
    if (folder.empty()) return;
    for (const char16_t* name : kPluginLibraries) {
        std::u16string file = SharedLibraryFileName(name);
        void* library = m_loader.m_fnLoad(JoinPath(folder, file));
        if (!library) continue;
        // Looked up in this order; the first one is only a marker.
        void* version = m_loader.m_fnFind(library, ICPL_EXPORT_VERSION);
        void* count = version ? m_loader.m_fnFind(library, ICPL_COMMAND_COUNT) : nullptr;
        void* nameFn = count ? m_loader.m_fnFind(library, ICPL_COMMAND_NAME) : nullptr;
        void* execute = nameFn ? m_loader.m_fnFind(library, ICPL_EXECUTE_COMMAND) : nullptr;
        if (!execute) {
            m_loader.m_fnUnload(library);
            continue;
        }
        m_aLibraries.push_back(library);
        auto getCount = reinterpret_cast<ICPL_GetCommandCountFn>(count);
        auto getName = reinterpret_cast<ICPL_GetCommandNameFn>(nameFn);
        int n = std::min(getCount(), kMaxCommandsPerLibrary);
        for (int i = 0; i < n; ++i) {
            CPanelExecute record;
            record.m_hContext = library;
            record.m_pfnHandler = reinterpret_cast<ICPL_ExecuteCommandFn>(execute);
            record.m_nCommandIndex = i;
            record.m_strLibraryFile = file;
            ICPL_Text nameText{&record.m_strName, SetText};
            ICPL_Text description{&record.m_strDescription, SetText};
            ICPL_Icon icon{&record, SetIconImage, SetIconFile};
            if (getName(i, &nameText, &description, &icon) != 0) commands.push_back(std::move(record));
        }
    }
}

void CPluginHost::UnloadAll()
{
    while (!m_aLibraries.empty()) {
        m_loader.m_fnUnload(m_aLibraries.back());
        m_aLibraries.pop_back();
    }
}

std::vector<CPanelExecute> ListCommands(CPluginHost& host, std::u16string_view folder)
{
    std::vector<CPanelExecute> commands = BuiltInCommands();
    host.Load(folder, commands);
    return commands;
}

int RunPluginCommand(const std::vector<CPanelExecute>& commands, size_t nRecord, ICPL_Window parent)
{
    if (nRecord >= commands.size()) return 0;
    const CPanelExecute& record = commands[nRecord];
    if (record.IsBuiltIn() || !record.m_pfnHandler) return 0;
    return record.m_pfnHandler(record.m_nCommandIndex, parent);
}

}  // namespace kq
