#include "controlpanel/core/InfoPages.h"

#include <cstdio>

#include "platform/Maker.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"

#ifndef KQ_VERSION_TEXT
#define KQ_VERSION_TEXT "0"
#endif

namespace kq {

namespace {

struct CFrame {
    int m_nKind;
    const char16_t* m_pTitle;
    std::vector<CInfoColumn> m_aColumns;
};

const std::vector<CFrame>& Frames()
{
    static const std::vector<CFrame> frames = {
        {kPageCopyright, u"版权", {{u"属性", 100}, {u"值", 280}}},
        {kPageSystem, u"系统", {{u"属性", 100}, {u"值", 280}}},
        {kPageCommunity, u"社区", {{u"属性", 150}, {u"值", 230}}},
        {kPageUsers, u"用户", {{u"姓名", 90}, {u"单位", 220}, {u"城市", 60}}},
        {kPageDevelopers, u"开发", {{u"姓名", 150}, {u"摘要", 210}}},
        {kPagePlatform, u"平台",
         {{u"名称", 200}, {u"位数", 40}, {u"版本", 80}, {u"语言", 120}, {u"目录", 300}, {u"键值", 200}}},
    };
    return frames;
}

CInfoTable FixedPage(int nKind, std::vector<std::vector<std::u16string>> rows)
{
    CInfoTable table = InfoPageFrame(nKind);
    table.m_aRows = std::move(rows);
    return table;
}

}  // namespace

CInfoTable InfoPageFrame(int nKind)
{
    CInfoTable table;
    table.m_nKind = nKind;
    for (const CFrame& frame : Frames()) {
        if (frame.m_nKind != nKind) continue;
        table.m_strTitle = frame.m_pTitle;
        table.m_aColumns = frame.m_aColumns;
    }
    return table;
}

CInfoTable CopyrightPage()
{
    return FixedPage(kPageCopyright, {
        {u"软件名称", u"远舟软件配置中心"},
        {u"软件版本", FromAscii(KQ_VERSION_TEXT)},
        {u"版权所有", u"远舟工作室"},
        {u"开发单位", u"远舟工作室软件开发部"},
        {u"官方网站", kMakerWebAddress},
        {u"技术支持", u"请通过官方网站的“技术支持”栏目联系我们"},
        {u"使用许可", u"本软件供注册用户在其单位内部使用"},
    });
}

CInfoTable CommunityPage()
{
    return FixedPage(kPageCommunity, {
        {u"用户交流区", u"官方网站“用户社区”栏目"},
        {u"问题反馈", u"官方网站“问题反馈”页面"},
        {u"改进建议", u"官方网站“建议征集”页面"},
        {u"版本发布", u"官方网站“下载中心”及在线升级程序"},
        {u"使用技巧", u"官方网站“使用技巧”专栏"},
    });
}

CInfoTable DevelopersPage()
{
    return FixedPage(kPageDevelopers, {
        {u"项目负责人", u"总体设计、需求整理与版本规划"},
        {u"核心开发组", u"公式引擎、改名核心与插件接口"},
        {u"界面开发组", u"主窗口、配置中心与信息页面"},
        {u"测试组", u"系统测试、回归测试与兼容性验证"},
        {u"文档组", u"帮助文档、网站内容与使用指南"},
    });
}

CInfoTable UsersPage()
{
    return FixedPage(kPageUsers, {
        {u"需求提出者", u"各设计单位的结构工程技术人员", u"多地"},
        {u"测试志愿者", u"施工企业技术部门的早期试用者", u"多地"},
        {u"软件推广者", u"行业用户社区的热心成员", u"全国"},
        {u"意见反馈者", u"通过官方网站提交建议的用户", u"全国"},
    });
}

CInfoTable SystemPage(const CSystemFacts& facts)
{
    char date[64];
    std::snprintf(date, sizeof date, "%04d年%02d月%02d日", facts.m_nYear, facts.m_nMonth, facts.m_nDay);
    return FixedPage(kPageSystem, {
        {u"操作系统", facts.m_strOsName},
        {u"软件版本", facts.m_strOsVersion},
        {u"系统位数", facts.m_b64BitSystem ? u"64位" : u"32位"},
        {u"区域语言", RegionLanguageText(facts.m_nLanguageId, facts.m_strLocale)},
        {u"计算机名", facts.m_strComputerName},
        {u"登陆账号", facts.m_strUserName},
        {u"账号权限", facts.m_bAdministrator ? u"管理员" : u"非管理员"},
        {u"当前时间", FromUtf8(date)},
    });
}

CInfoTable InfoPage(int nKind)
{
    switch (nKind) {
    case kPageCopyright: return CopyrightPage();
    case kPageSystem: return SystemPage(ReadSystemFacts());
    case kPageCommunity: return CommunityPage();
    case kPageUsers: return UsersPage();
    case kPageDevelopers: return DevelopersPage();
    case kPagePlatform: return PlatformPage(*OpenMachineRegistry(), IsSystem64Bit());
    default: return InfoPageFrame(nKind);
    }
}

}  // namespace kq
