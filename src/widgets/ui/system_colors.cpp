#include "widgets/ui/system_colors.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace twinsift {

namespace {

struct PaletteSlot {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    bool valid;
};

// Index of the system colour -> the palette entry that plays its part.
PaletteSlot slotFor(int index) {
    using P = QPalette;
    switch (index) {
    case 0: return {P::Active, P::Button, true};           // scroll bar
    case 1: return {P::Active, P::Window, true};           // desktop
    case 2: return {P::Active, P::Highlight, true};        // active caption
    case 3: return {P::Inactive, P::Highlight, true};      // inactive caption
    case 4: return {P::Active, P::Window, true};           // menu
    case 5: return {P::Active, P::Base, true};             // window
    case 6: return {P::Active, P::Shadow, true};           // window frame
    case 7: return {P::Active, P::WindowText, true};       // menu text
    case 8: return {P::Active, P::Text, true};             // window text
    case 9: return {P::Active, P::HighlightedText, true};  // caption text
    case 10: return {P::Active, P::Button, true};          // active border
    case 11: return {P::Inactive, P::Button, true};        // inactive border
    case 12: return {P::Active, P::Dark, true};            // application workspace
    case 13: return {P::Active, P::Highlight, true};       // highlight
    case 14: return {P::Active, P::HighlightedText, true}; // highlighted text
    case 15: return {P::Active, P::Button, true};          // button face
    case 16: return {P::Active, P::Dark, true};            // button shadow
    case 17: return {P::Disabled, P::Text, true};          // grey text
    case 18: return {P::Active, P::ButtonText, true};      // button text
    case 19: return {P::Inactive, P::WindowText, true};    // inactive caption text
    case 20: return {P::Active, P::Light, true};           // button highlight
    case 21: return {P::Active, P::Shadow, true};          // 3D dark shadow
    case 22: return {P::Active, P::Midlight, true};        // 3D light
    case 23: return {P::Active, P::ToolTipText, true};     // info text
    case 24: return {P::Active, P::ToolTipBase, true};     // info background
    case 26: return {P::Active, P::Link, true};            // hot tracking
    case 27: return {P::Active, P::Highlight, true};       // gradient active caption
    case 28: return {P::Inactive, P::Highlight, true};     // gradient inactive caption
    case 29: return {P::Active, P::Highlight, true};       // menu highlight
    case 30: return {P::Active, P::Window, true};          // menu bar
    default: return {P::Active, P::Window, false};
    }
}

} // namespace

std::optional<QColor> resolveColor(OleColor color, const QWidget* widget) {
    if (auto rgb = plainRgb(color)) return QColor(rgb->r, rgb->g, rgb->b);
    PaletteSlot slot = slotFor(systemColorIndex(color));
    if (!slot.valid) return std::nullopt;
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    return palette.color(slot.group, slot.role);
}

} // namespace twinsift
