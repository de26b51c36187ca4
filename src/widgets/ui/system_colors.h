#pragma once
// Turns the program's colour values into Qt colours. System colour references
// follow the palette of the widget that is drawn on, so the widgets track the
// desktop's colour scheme.

#include "widgets/widget_geometry.h"

#include <QColor>
#include <optional>

class QWidget;

namespace twinsift {

// nullopt for a colour that names nothing usable (the default -1 among them).
std::optional<QColor> resolveColor(OleColor color, const QWidget* widget);

} // namespace twinsift
