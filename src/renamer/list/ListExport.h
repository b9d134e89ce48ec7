// "输出列表": the file list as a comma-separated text file.
#pragma once

#include <string>
#include <string_view>

namespace kq {

class CFileNameList;

enum class EExportResult {
    Done,
    EmptyList,    // "当前文件列表为空，无法导出文件列表！" ("列表为空") was shown
    WriteFailed,  // the file could not be written (no message, as the menu does)
    BadCharset,   // the charset is unknown to the converter
};

// One line per row: column 0, ",", column 3, CR LF; nothing quoted. Lines of
// any length are written whole.
std::u16string FormatFileList(const CFileNameList& list);

// Writes the list in charset (empty: the locale's charset) to path, replacing
// an existing file atomically. The empty-list message goes through the prompt provider.
EExportResult ExportFileList(const CFileNameList& list, std::u16string_view path, const std::string& charset = {});

// Title and filter of the save dialog.
extern const std::u16string kExportDialogFilter;  // "文件列表（*.csv）|*.csv||"
extern const std::u16string kExportDefaultExtension;  // "csv"

}  // namespace kq
