#pragma once
// Pixel arithmetic of the owner-drawn widgets. Kept free of any toolkit so
// that the exact placement rules can be pinned down without a display.

#include "platform/rounding.h"
#include <cstdint>
#include <optional>
#include <vector>

namespace twinsift {

// A rectangle of pixels; right and bottom are exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};


// ---- Colours ---------------------------------------------------------------

// A colour as the program stores it: an RGB value 0x00BBGGRR, or a reference
// to a system colour (top bit set, index in the low 5 bits). -1 names no
// usable colour at all.
using OleColor = std::int32_t;

constexpr OleColor RgbColor(int r, int g, int b) {
    return static_cast<OleColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr OleColor SystemColor(int index) {
    return static_cast<OleColor>(0x80000000u | static_cast<std::uint32_t>(index & 0x1F));
}
constexpr bool isSystemColor(OleColor c) { return (static_cast<std::uint32_t>(c) & 0x80000000u) != 0; }
constexpr int systemColorIndex(OleColor c) { return static_cast<int>(static_cast<std::uint32_t>(c) & 0x1Fu); }

// The system colours the widgets use.
namespace syscolor {
inline constexpr int kHighlight = 13;
inline constexpr int kButtonFace = 15;
inline constexpr int kButtonShadow = 16;
inline constexpr int kButtonHighlight = 20;
inline constexpr int kDarkShadow = 21;
inline constexpr int kLight = 22;
} // namespace syscolor

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
// The RGB value of a colour that is not a system colour reference.
std::optional<Rgb> plainRgb(OleColor c);

// ---- Progress bar ----------------------------------------------------------

// (value - min) / (max - min), limited to 0..1; 0 when max equals min.
double ProgressRatio(std::int32_t min, std::int32_t max, std::int32_t value);

// Vertical whenever the surface is at least as tall as it is wide.
inline bool ProgressIsHorizontal(int width, int height) { return width > height; }

// The area inside the border: 1 pixel in from a border, 2 for the classic
// soft 3D edge (appearance 2).
PixelRect ProgressWorkingRect(const PixelRect& outer, int borderStyle, int appearance, bool themed);

// The filled part of the working rectangle. A non-zero step shortens the bar
// to whole chunk + space steps counted from the edge it grows from (the left
// edge, or the bottom edge when vertical).
PixelRect ProgressBarRect(const PixelRect& work, double ratio, int step);

// The gaps between segments, inside the bar: columns (horizontal) or rows
// (vertical) `space` pixels wide, spanning the working rectangle. Blocks are
// laid from the left edge or upwards from the bottom edge; gaps may reach past
// the bar and are meant to be clipped to it.
std::vector<PixelRect> ProgressSegmentGaps(const PixelRect& bar, const PixelRect& work, bool horizontal,
                                           int chunk, int space);

// Size of a buffer that must hold at least `wanted`: an existing buffer only
// ever grows. Zero size when there is no buffer and nothing positive is asked.
struct PixelSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
PixelSize GrownBufferSize(PixelSize current, PixelSize wanted);

} // namespace twinsift
