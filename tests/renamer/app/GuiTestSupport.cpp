#include "GuiTestSupport.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq::test {

namespace {

// The window reads and writes its settings and presets in the
// configuration folder: every widget test program gets a fresh one of its
// own, never the user's. A test that needs its own sets KQ_CONFIG_HOME
// itself for its span.
struct CPrivateConfigFolder {
    CTempDir m_folder;
    CScopedEnv m_env{"KQ_CONFIG_HOME", m_folder.NativePath()};
};
const CPrivateConfigFolder kPrivateConfigFolder;

}  // namespace

QStringList Column(const CFileNameList& list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.GetItemCount(); ++row) texts << QString::fromStdU16String(list.GetText(row, column));
    return texts;
}

std::u16string WriteRegistryFile(const std::u16string& folder, const std::u16string& location,
                                 const std::u16string& commonFiles)
{
    const std::u16string path = folder + u"/registry.reg";
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                                u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\远舟工作室\\远舟文件改名系统]\r\n"
                                u"\"Location\"=\"" + location + u"\"\r\n\r\n"
                                u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
                                u"\"CommonFilesDir\"=\"" + commonFiles + u"\"\r\n";
    WriteFileBytes(path, ToUtf8(text), false);
    return path;
}

}  // namespace kq::test
