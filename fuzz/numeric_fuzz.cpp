// Evaluates arbitrary numeric expressions with the variables of a row; any
// crash, sanitizer report or hang is a finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formula/numeric/GetValFromString.h"
#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kq::CGetValFromString evaluator;
    evaluator.SetVarList({{u"C", 12}, {u"I", 3}, {u"L", 1}, {u"N", 2}, {u"X", 1e300}});
    double value = 0;
    int code = evaluator.GetValue(kq::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size)), value);
    // Success always gives a finite value; failures are the listed codes.
    if (code == 0 && !std::isfinite(value)) std::abort();
    if (code > 0 || code < -13 || code == -11) std::abort();
    return 0;
}
