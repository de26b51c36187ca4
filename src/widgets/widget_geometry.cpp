#include "widgets/widget_geometry.h"
#include "widgets/property_error.h"

#include <algorithm>
#include <cmath>

namespace twinsift {

PropertyError PropertyError::invalidValue(const std::string& className) {
    return PropertyError(kInvalidPropertyValue, "Twinsift." + className, "Invalid property value");
}

std::optional<Rgb> plainRgb(OleColor c) {
    if (isSystemColor(c)) return std::nullopt;
    auto u = static_cast<std::uint32_t>(c);
    return Rgb{static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF), static_cast<int>((u >> 16) & 0xFF)};
}

double ProgressRatio(std::int32_t min, std::int32_t max, std::int32_t value) {
    if (max == min) return 0.0;
    double ratio = (static_cast<double>(value) - min) / (static_cast<double>(max) - min);
    if (std::isnan(ratio) || ratio < 0.0) return 0.0;
    return ratio > 1.0 ? 1.0 : ratio;
}

PixelRect ProgressWorkingRect(const PixelRect& outer, int borderStyle, int appearance, bool themed) {
    if (borderStyle <= 0) return outer;
    int inset = (!themed && appearance == 2) ? 2 : 1;
    return PixelRect{outer.left + inset, outer.top + inset, outer.right - inset, outer.bottom - inset};
}

PixelRect ProgressBarRect(const PixelRect& work, double ratio, int step) {
    PixelRect bar = work;
    if (ProgressIsHorizontal(work.width(), work.height())) {
        bar.right = roundToEven(ratio * (work.right - work.left) + work.left);
        if (step > 0) {
            bar.right -= (bar.right - bar.left) % step;
            bar.right = std::max(bar.right, bar.left);
        }
    } else {
        bar.top = roundToEven((1.0 - ratio) * (work.bottom - work.top) + work.top);
        if (step > 0) {
            // C++ keeps the sign of the dividend, as the rule wants: a negative
            // remainder moves the top down to a whole step.
            bar.top -= (bar.top - bar.bottom) % step;
            bar.top = std::min(bar.top, bar.bottom);
        }
    }
    return bar;
}

std::vector<PixelRect> ProgressSegmentGaps(const PixelRect& bar, const PixelRect& work, bool horizontal,
                                           int chunk, int space) {
    std::vector<PixelRect> gaps;
    const int step = chunk + space;
    if (step <= 0) return gaps;
    if (horizontal) {
        for (int x = bar.left + chunk; x <= bar.right; x += step)
            gaps.push_back(PixelRect{x, work.top, x + space, work.bottom});
    } else {
        for (int y = bar.bottom; y >= bar.top + chunk; y -= step)
            gaps.push_back(PixelRect{work.left, y, work.right, y + space});
    }
    return gaps;
}

PixelSize GrownBufferSize(PixelSize current, PixelSize wanted) {
    bool none = current.width <= 0 || current.height <= 0;
    if (none) {
        if (wanted.width > 0 && wanted.height > 0) return wanted;
        return PixelSize{};
    }
    if (current.width < wanted.width || current.height < wanted.height)
        return PixelSize{std::max(current.width, wanted.width), std::max(current.height, wanted.height)};
    return current;
}

} // namespace twinsift
