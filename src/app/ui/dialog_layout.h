#pragma once
// Placing controls at their design geometry. The design is in twips (15 to a
// pixel) and was sized for a small system font; the desktop's font may be
// larger, so captions are widened to what they need rather than cut short.

#include <QRect>

class QWidget;

namespace twinsift::dialog {

inline constexpr int kTwipsPerPixel = 15;

// Pixels of a twips distance, halves to even.
int px(int twips);
QRect twipsRect(int left, int top, int width, int height);

// Places w at its design rectangle, widened to its size hint where the
// caption needs more room and grown in height about the design's middle, so
// that a row of controls stays aligned.
void place(QWidget* w, int left, int top, int width, int height);

// Centres a top-level window on the screen it will appear on.
void centreOnScreen(QWidget* window);

} // namespace twinsift::dialog
