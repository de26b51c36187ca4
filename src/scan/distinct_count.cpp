#include "scan/distinct_count.h"

#include <cmath>

namespace twinsift {

double DistinctCount::estimate() const noexcept {
    constexpr double m = static_cast<double>(kRegisters);
    double sum = 0;
    std::size_t empty = 0;
    for (const std::uint8_t r : registers_) {
        sum += std::ldexp(1.0, -static_cast<int>(r));
        if (r == 0) ++empty;
    }
    const double raw = 0.7213 / (1 + 1.079 / m) * m * m / sum;
    // Few values leave registers empty; counting those is the better
    // estimate there. With 64-bit hashes no correction is needed at the top.
    if (raw <= 2.5 * m && empty > 0) return m * std::log(m / static_cast<double>(empty));
    return raw;
}

} // namespace twinsift
