// libFuzzer target: any text typed as a formula must give a result code,
// never a crash, a hang or undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formula/engine/FileNameStringAnalyse.h"
#include "platform/Clipboard.h"
#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Keep the fuzzer away from the desktop clipboard.
    static kq::CMemoryClipboard clipboard(u"甲,乙,丙");
    static const bool installed = (kq::SetClipboardProvider(&clipboard), true);
    (void)installed;
    if (size > 4096) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    kq::CFileNameStringAnalyse engine;
    engine.m_strFileName = u"Report.final.PDF";
    engine.m_strFilePath = u"/data/工作/2015";
    engine.m_nIndex = 3;
    engine.m_nCount = 10;
    engine.m_nPathIndex = 2;
    engine.m_nIndexOnPath = 1;
    kq::CTERNOperateVar preset;
    preset.m_strName = u"i";
    preset.m_nType = kq::OVT_INT;
    preset.m_nValue = 7;
    engine.m_aPresetVarList.push_back(preset);
    engine.SetInputString(kq::FromUtf8(text));
    int first = engine.DoAnalyse();
    // The kept parse must give the same result the second time, unless the
    // formula reads something that changes between calls (a regex run near
    // its budget of processor time may end either way).
    std::u16string output = engine.GetOutputString();
    int second = engine.DoAnalyse();
    std::u16string lower = kq::ToAsciiLower(engine.GetInputString());
    bool varies = false;
    for (const char16_t* name : {u"rand", u"time", u"clip", u"file", u"year", u"month", u"day", u"hour", u"minute",
                                 u"second", u"week", u"regex"})
        if (lower.find(name) != std::u16string::npos) varies = true;
    if (!varies && (first != second || (first == 0 && output != engine.GetOutputString()))) __builtin_trap();
    return 0;
}
