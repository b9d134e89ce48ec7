#include "renamer/list/ListExport.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "renamer/list/FileNameList.h"

namespace kq {

const std::u16string kExportDialogFilter = u"文件列表（*.csv）|*.csv||";
const std::u16string kExportDefaultExtension = u"csv";

std::u16string FormatFileList(const CFileNameList& list)
{
    std::u16string text;
    for (int r = 0; r < list.GetItemCount(); ++r) {
        text += list.GetText(r, kColOldName);
        text += u',';
        text += list.GetText(r, kColFolder);
        text += u"\r\n";
    }
    return text;
}

EExportResult ExportFileList(const CFileNameList& list, std::u16string_view path, const std::string& charset)
{
    if (list.GetItemCount() == 0) {
        GetPromptProvider().Inform(u"当前文件列表为空，无法导出文件列表！", u"列表为空");
        return EExportResult::EmptyList;
    }
    std::string bytes;
    if (!EncodeText(FormatFileList(list), charset.empty() ? LocaleCharset() : charset, bytes))
        return EExportResult::BadCharset;
    // Replaced whole: a crash never leaves half a list, and a link at path is
    // replaced rather than followed.
    return ReplaceFileAtomic(path, bytes) ? EExportResult::Done : EExportResult::WriteFailed;
}

}  // namespace kq
