#pragma once

#include <string_view>

namespace kestrel {

inline constexpr std::string_view kProgramName = "Kestrel";
inline constexpr std::string_view kProgramVersion = "1.6";

}  // namespace kestrel
