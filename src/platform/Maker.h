// The maker's identity, shared by the renamer and the configuration centre.
#pragma once

namespace kq {

inline constexpr char16_t kMakerWebAddress[] = u"https://www.ternsoft.example/kqtools/";

}  // namespace kq
