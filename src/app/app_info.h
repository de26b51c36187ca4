#pragma once
#include <string_view>

namespace twinsift {
inline constexpr std::string_view sAppName = "Twinsift";
inline constexpr std::string_view sAppVersion = "6.16";
} // namespace twinsift
