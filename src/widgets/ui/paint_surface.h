#pragma once
// A plain widget that hands its paint event to whoever draws on it, the way
// the main window's picture areas let the owner-drawn widgets paint.

#include <QWidget>
#include <functional>

namespace twinsift {

class PaintSurface final : public QWidget {
public:
    explicit PaintSurface(QWidget* parent = nullptr) : QWidget(parent) {}
    std::function<void()> onPaint;

protected:
    void paintEvent(QPaintEvent*) override {
        if (onPaint) onPaint();
    }
};

} // namespace twinsift
