#include "app/ui/dialog_layout.h"

#include "widgets/widget_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace twinsift::dialog {

int px(int twips) { return roundToEven(static_cast<double>(twips) / kTwipsPerPixel); }

QRect twipsRect(int left, int top, int width, int height) { return QRect(px(left), px(top), px(width), px(height)); }

void place(QWidget* w, int left, int top, int width, int height) {
    QRect r = twipsRect(left, top, width, height);
    const QSize hint = w->sizeHint();
    if (hint.isValid()) {
        r.setWidth(std::max(r.width(), hint.width()));
        if (hint.height() > r.height()) {
            const int centre = r.top() + r.height() / 2;
            r.setTop(centre - hint.height() / 2);
            r.setHeight(hint.height());
        }
    }
    w->setGeometry(r);
}

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace twinsift::dialog
