#include "widgets/ui/c_splitter.h"

#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <vector>

namespace twinsift {

// A transparent layer over the container's window on which the outline of a
// drag is inverted. Qt offers no drawing on the screen itself; inverting on a
// top layer of the window gives the same picture, and removing a rectangle
// restores exactly what was under it.
class DragOutlineOverlay final : public QWidget {
public:
    explicit DragOutlineOverlay(QWidget* window) : QWidget(window) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(window->rect());
        hide();
    }

    // Inverting the same rectangle twice leaves nothing.
    void toggle(const QRect& screenRect) {
        auto it = std::find(rects_.begin(), rects_.end(), screenRect);
        if (it != rects_.end())
            rects_.erase(it);
        else
            rects_.push_back(screenRect);
        if (rects_.empty()) {
            hide();
        } else {
            setGeometry(parentWidget()->rect());
            raise();
            show();
        }
        update();
    }

    const std::vector<QRect>& rects() const { return rects_; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (rects_.empty()) return;
        QPainter p(this);
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        for (const QRect& r : rects_) {
            const QRect local(mapFromGlobal(r.topLeft()), r.size());
            p.setBrushOrigin(0, 0);
            p.fillRect(local, QBrush(checkerboard()));
        }
    }

private:
    // 16 x 8 pixels, rows alternating 0x55 0x55 and 0xAA 0xAA: white pixels
    // invert under XOR, black ones leave the screen as it is.
    static const QImage& checkerboard() {
        static const QImage pattern = [] {
            QImage img(16, 8, QImage::Format_RGB32);
            for (int y = 0; y < 8; ++y) {
                const unsigned row = (y % 2 == 0) ? 0x5555u : 0xAAAAu;
                for (int x = 0; x < 16; ++x) {
                    const bool set = (row >> (15 - x)) & 1u;
                    img.setPixel(x, y, set ? 0xFFFFFFFFu : 0xFF000000u);
                }
            }
            return img;
        }();
        return pattern;
    }

    std::vector<QRect> rects_;
};

namespace {
QRect toQRect(const PixelRect& r) { return QRect(r.left, r.top, r.width(), r.height()); }
} // namespace

cSplitter::cSplitter() = default;

cSplitter::~cSplitter() {
    if (overlay_) delete overlay_.data();
}

void cSplitter::Bind(QWidget* first, QWidget* second) {
    if (!container_ && first) container_ = first->parentWidget();
    panel1_ = first;
    panel2_ = second;
    for (QWidget* panel : {first, second}) {
        if (!panel || !container_) continue;
        if (panel->parentWidget() != container_) {
            panel->setParent(container_);
            panel->show();
        }
        // The container shows the resize cursor over the bar; the panels must
        // not inherit it.
        if (!panel->testAttribute(Qt::WA_SetCursor)) panel->setCursor(Qt::ArrowCursor);
    }
    Resize();
}

bool cSplitter::hasContainer() const { return !container_.isNull(); }

bool cSplitter::isBound() const { return container_ && panel1_ && panel2_; }

PixelSize cSplitter::containerClientSize() const {
    if (!container_) return PixelSize{};
    const QRect r = container_->contentsRect();
    return PixelSize{r.width(), r.height()};
}

PixelRect cSplitter::containerScreenRect() const {
    if (!container_) return PixelRect{};
    const QPoint tl = container_->mapToGlobal(QPoint(0, 0));
    return PixelRect{tl.x(), tl.y(), tl.x() + container_->width(), tl.y() + container_->height()};
}

void cSplitter::movePanel(int panel, const PixelRect& rect) {
    QWidget* w = panel == 1 ? panel1_.data() : panel2_.data();
    if (!w || !container_) return;
    const QPoint origin = container_->contentsRect().topLeft();
    w->setGeometry(toQRect(rect).translated(origin));
}

void cSplitter::panelsLaid() {
    if (onPanelsLaid) onPanelsLaid();
}

PixelPoint cSplitter::cursorScreenPos() {
    QPoint pos = eventCursor_ ? *eventCursor_ : QCursor::pos();
    return PixelPoint{pos.x(), pos.y()};
}

void cSplitter::confineCursor(const PixelRect& screenRect) { confine_ = toQRect(screenRect); }

void cSplitter::releaseCursor() { confine_.reset(); }

void cSplitter::showResizeCursor(bool northSouth) {
    if (container_) container_->setCursor(northSouth ? Qt::SizeVerCursor : Qt::SizeHorCursor);
}

void cSplitter::drawDragBar(const PixelRect& screenRect) {
    if (!container_) return;
    QWidget* window = container_->window();
    if (!overlay_ || overlay_->parentWidget() != window) {
        if (overlay_) delete overlay_.data();
        overlay_ = new DragOutlineOverlay(window);
    }
    overlay_->toggle(toQRect(screenRect));
}

void cSplitter::createDragBrush() { haveBrush_ = true; }

void cSplitter::releaseDragBrush() { haveBrush_ = false; }

std::optional<PixelRect> cSplitter::visibleOutline() const {
    if (!overlay_ || overlay_->rects().empty()) return std::nullopt;
    const QRect r = overlay_->rects().back();
    return PixelRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void cSplitter::mouseEvent(QMouseEvent* event) {
    QPoint global = event->globalPosition().toPoint();
    // Qt cannot clip the pointer to a rectangle; keep it inside by hand while
    // the drag holds it there.
    if (confine_ && !confine_->contains(global)) {
        global.setX(std::clamp(global.x(), confine_->left(), confine_->right()));
        global.setY(std::clamp(global.y(), confine_->top(), confine_->bottom()));
        QCursor::setPos(global);
    }
    eventCursor_ = global;

    int button = 0;
    const Qt::MouseButtons which =
        event->type() == QEvent::MouseMove ? event->buttons() : Qt::MouseButtons(event->button());
    if (which & Qt::LeftButton) button |= kLeftButton;
    if (which & Qt::RightButton) button |= kRightButton;
    if (which & Qt::MiddleButton) button |= kMiddleButton;
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (event->modifiers() & Qt::ControlModifier) shift |= 2;
    if (event->modifiers() & Qt::AltModifier) shift |= 4;
    const QPoint local = event->position().toPoint();

    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        MouseDown(button, shift, local.x(), local.y());
        break;
    case QEvent::MouseMove:
        MouseMove(button, shift, local.x(), local.y());
        break;
    case QEvent::MouseButtonRelease:
        MouseUp(button, shift, local.x(), local.y());
        break;
    default:
        break;
    }
    eventCursor_.reset();
}

} // namespace twinsift
