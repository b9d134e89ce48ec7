// The control-expression language of Advanced mode: a template of literal
// text and brace items such as "{l=2;I}_{t=1;F}", expanded once per row.
//
// Items: string items F (title), E (extension), P (last folder name),
// H (drive letter) with parameters S, E, L, R, M, T; numeric items, an
// arithmetic expression over C (row count), I (row number), L (folder
// number), N (row number within the folder), with parameters V, D, L, A.
// "{{" is a literal "{".
//
// Use for one run over a list (top to bottom):
//
//     CStringOperatorMacro macro;
//     macro.BeginRun(templateText, rowCount);
//     for (int i = 0; i < rowCount; ++i) {
//         std::u16string name;
//         bool ok = macro.ExpandRow(fileName[i], folder[i], i + 1, name);  // false: name is ""
//     }
//
// L and N count folders over the rows of the run, so rows must come in list
// order and a new run starts with BeginRun (or a new object). The template
// is cut into items once per template text and reused for every row.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formula/numeric/GetValFromString.h"
#include "platform/Path.h"

namespace kq {

struct CMacroTemplate;

class CStringOperatorMacro {
public:
    struct MarcoItem {
        std::u16string strItemName;  // "F", "E", "P", "H", "C", "I", "L", "N"
        int bIsString = 1;
        std::u16string strItemValue;
        double dItemValue = 0.0;
    };

    CStringOperatorMacro();

    // Sets the items of one row (1-based index) and expands the template:
    // 1 with m_strResult set, 0 on a syntax error (m_strResult unchanged).
    int AnalyseRow(std::u16string_view fileName, std::u16string_view folder, int index);
    // Expands m_strTemplate with the current m_aItems: 1 or 0 as above.
    int AnalyseMacro();

    // Starts a run: the template, the row count (C) and fresh folder counters.
    void BeginRun(std::u16string templateText, int fileCount);
    // Forgets the folders met so far (L and N start again at 1).
    void ResetFolders();
    // AnalyseRow, then the expansion or the empty text on failure.
    bool ExpandRow(std::u16string_view fileName, std::u16string_view folder, int index, std::u16string& text);
    // The same with the folder numbers given (L and N), counting nothing:
    // rows may come in any order.
    bool ExpandRowAt(std::u16string_view fileName, std::u16string_view folder, int index, int folderNumber,
                     int numberInFolder, std::u16string& text);
    // The syntax message of the last expansion that failed, shown or not.
    const std::u16string& GetLastError() const { return m_strLastError; }

    int m_bShowMessage = 0;  // non-zero: syntax errors go to the prompt provider
    std::u16string m_strTemplate;
    std::u16string m_strResult;
    std::vector<MarcoItem> m_aItems;
    int m_nFileCount = 0;
    std::vector<std::u16string> m_aPathList;  // folder keys in order of first appearance
    std::vector<int> m_aPathCount;            // rows met so far per folder
    // How folders are told apart for L and N: ignoring ASCII case where file
    // names do (Windows), exactly elsewhere.
    ENamePolicy m_eFolderPolicy;

private:
    const CMacroTemplate& Parsed();
    void SetRowItems(std::u16string_view fileName, std::u16string_view folder, int index, int folderNumber,
                     int numberInFolder);
    // Counts the row in its folder; the folder's position in m_aPathList.
    size_t FolderPosition(std::u16string_view folder);
    void ShowSyntaxError(const std::u16string& text);

    std::unordered_map<std::u16string, size_t> m_mapPathIndex;  // key -> position in m_aPathList
    size_t m_nLastPath = 0;                                      // folder of the previous row
    std::u16string m_strParsedTemplate;
    std::shared_ptr<const CMacroTemplate> m_pParsed;
    CGetValFromString m_evaluator;
    std::u16string m_strBuffer;    // expansion being built
    std::u16string m_strItemText;  // text of the current item
    std::u16string m_strLastError;
};

}  // namespace kq
