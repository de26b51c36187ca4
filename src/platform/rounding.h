#pragma once
// The program's one rounding rule: to the nearest integer, halves to the even
// neighbour (2.5 -> 2, 3.5 -> 4). Done by hand so that it does not depend on
// the floating-point rounding mode someone may have changed.

#include <cmath>

namespace twinsift {

inline double roundHalfEven(double value) noexcept {
    if (!std::isfinite(value)) return value;
    const double f = std::floor(value);
    const double diff = value - f;
    if (diff < 0.5) return f;
    if (diff > 0.5) return f + 1.0;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

// The same as an int, for pixel and twip arithmetic.
inline int roundToEven(double value) noexcept { return static_cast<int>(roundHalfEven(value)); }

} // namespace twinsift
