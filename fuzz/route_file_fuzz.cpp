// Fuzzes the rule store reader: any bytes must read as some rules and a
// state, never crash or allocate beyond the input, and what was read must
// store and read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "platform/Prompt.h"
#include "renamer/supersort/RouteFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static kq::fuzz::CSilentPrompt prompt;
    kq::SetPromptProvider(&prompt);
    kq::CSortRouteList list;
    kq::ReadRouteBytes(std::string_view(reinterpret_cast<const char*>(data), size), list);
    const std::string again = kq::RouteBytes(list);
    kq::CSortRouteList back;
    if (kq::ReadRouteBytes(again, back) != kq::ERouteFileState::Complete || !(back.m_aRoutes == list.m_aRoutes))
        std::abort();
    return 0;
}
