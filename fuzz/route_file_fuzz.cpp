// Fuzzes the rule store reader: any bytes must read as some rules and a
// state, never crash or allocate beyond the input, and what was read must
// store and read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Prompt.h"
#include "renamer/supersort/RouteFile.h"

namespace {

// "版本过低" would go to stderr for every newer object: keep the run quiet.
class CSilentPrompt : public kq::IPromptProvider {
public:
    void Inform(const std::u16string&, const std::u16string&) override {}
    kq::EPromptAnswer AskYesNo(const std::u16string&, const std::u16string&) override { return kq::EPromptAnswer::No; }
    kq::EPromptAnswer AskYesNoCancel(const std::u16string&, const std::u16string&) override
    {
        return kq::EPromptAnswer::Cancel;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSilentPrompt prompt;
    kq::SetPromptProvider(&prompt);
    kq::CSortRouteList list;
    kq::ReadRouteBytes(std::string_view(reinterpret_cast<const char*>(data), size), list);
    const std::string again = kq::RouteBytes(list);
    kq::CSortRouteList back;
    if (kq::ReadRouteBytes(again, back) != kq::kRouteFileComplete || !(back.m_aRoutes == list.m_aRoutes)) std::abort();
    return 0;
}
