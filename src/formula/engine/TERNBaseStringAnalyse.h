// The formula engine: evaluates one spreadsheet-like formula of literals,
// preset variables, operators, brackets and function calls.
//
// A formula text is cut into a flat list of nodes once (and kept for the
// same text and preset names); every DoAnalyse then only evaluates the
// nodes again, so one engine can serve a whole list of rows quickly.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formula/engine/AnalyseCode.h"
#include "formula/engine/TERNOperateVar.h"

namespace kq {

struct CParsedFormula;


// Owner window of the error message box (opaque to the core).
using MessageWindow = void*;

class CTERNBaseStringAnalyse {
public:
    CTERNBaseStringAnalyse();
    CTERNBaseStringAnalyse(const CTERNBaseStringAnalyse& other);
    CTERNBaseStringAnalyse& operator=(const CTERNBaseStringAnalyse& other);
    virtual ~CTERNBaseStringAnalyse();

    // A leading "=" is dropped.
    void SetInputString(const std::u16string& text);
    std::u16string GetInputString() const { return m_strInput; }
    int InputStringIsEmpty() const { return m_strInput.empty() ? 1 : 0; }

    // 0 on success, otherwise a result code (EAnalyseCode) with the message
    // in GetAnalyseErrorInfo (none for 99). Never throws: running out of
    // memory gives kAnalyseOutOfMemory.
    int DoAnalyse();

    // Text result is wrapped in double quotes; integer "%d"; real with up to
    // seven decimals; logical "TRUE"/"FALSE". Kept after a failure.
    std::u16string GetOutputString() const { return m_strOutput; }
    int GetOutputType() const { return m_nOutputType; }
    std::u16string GetAnalyseErrorInfo() const { return m_strErrorInfo; }

    void SetShowErrorInfo(int show) { m_bShowErrorInfo = show; }
    int GetShowErrorInfo() const { return m_bShowErrorInfo; }
    void SetMessageWnd(const MessageWindow& wnd) { m_hMessageWnd = wnd; }
    MessageWindow GetMessageWnd() const { return m_hMessageWnd; }
    void SetErrorTitle(const std::u16string& title) { m_strErrorTitle = title; }
    std::u16string GetErrorTitle() const { return m_strErrorTitle; }

    // Shows the last message through the prompt provider, whatever
    // m_bShowErrorInfo says.
    void ShowLastError() const;

    // Input, message, display settings and value list back to the start;
    // the presets too when clearPresets is non-zero. Output is kept.
    void InitParam(int clearPresets);

    static std::u16string GetDoubleString(double value, int decimals);

    // --- For the function library (free functions taking the engine) ---

    // The value of node `index` of the current evaluation read as real,
    // integer, logical or text. They return 0; an index outside the list
    // reads as an empty value.
    int GetDValue(double& out, int index) const;
    int GetIValue(int& out, int index) const;
    int GetOValue(int& out, int index) const;
    std::u16string GetSValue(int index) const;
    // GetSValue appended to `out` (saves a temporary text).
    void AppendSValue(std::u16string& out, int index) const;
    // The node itself (nullptr outside the list); `if` copies one.
    const CTERNOperateVar* GetValueNode(int index) const;

    // The file of the list row being evaluated (folder and name joined), for
    // the functions that read inside it; empty when the formula has no row.
    virtual std::u16string GetRowFilePath() const { return {}; }

    // Records the message; shows it at once when error display is on.
    void SetLastErrorInfo(const std::u16string& message);
    // 1 when given == expected; else records "函数%s的形参个数应该为%d个,
    // 当前指定的个数是%d" and returns 0 (the caller then returns 3).
    int CheckParamSize(const std::u16string& name, int given, int expected);

    // Named values copied to the front of the value list at every
    // evaluation; a formula uses the name as a bare identifier. Only name,
    // kind and value of an entry are used.
    std::vector<CTERNOperateVar> m_aPresetVarList;

protected:
    // Extension hook asked before the library: 2 means "not mine".
    virtual int GetExtendFunValue(CTERNOperateVar& node);
    // Hook first, then the library; 2 with "函数%s不存在" for unknown names.
    int GetFunValue(CTERNOperateVar& node);
    // Evaluates a node of the value list with everything below it.
    int FinishFun(CTERNOperateVar& node);
    // Two-operand operator of an operator node whose arguments are evaluated.
    int DoOperate(CTERNOperateVar& node);

    std::u16string m_strInput;
    std::u16string m_strOutput;
    int m_nOutputType = OVT_NONE;
    std::u16string m_strErrorInfo;
    int m_bShowErrorInfo = 0;
    MessageWindow m_hMessageWnd = nullptr;
    std::u16string m_strErrorTitle;
    std::vector<CTERNOperateVar> m_aValueList;

private:
    bool PrepareParsed();
    int Analyse();
    int Evaluate(int root);
    void Consumed(const CTERNOperateVar& node);
    bool StealText(int index, std::u16string& out);
    int CallFunction(int index);
    int SetOutput(const CTERNOperateVar& root);

    std::shared_ptr<const CParsedFormula> m_pParsed;
    bool m_bValueListReady = false;  // m_aValueList holds m_pParsed's nodes
    std::vector<unsigned char> m_aDone;
    std::vector<int> m_aUsesLeft;  // readers of each node still to come
    int m_nLimitCode = kAnalyseOk;  // a limit this formula hit (see EAnalyseCode)
    std::u16string m_strLimitError;
    struct CFrame {
        int m_nNode;
        int m_nNext;
    };
    std::vector<CFrame> m_aStack;
};

}  // namespace kq
