#include "widgets/ui/c_progress_bar.h"

#include "widgets/ui/system_colors.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionProgressBar>
#include <cstdlib>

namespace twinsift {

namespace {

QRect toQRect(const PixelRect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

void fillWith(QPainter& p, const PixelRect& r, OleColor color, const QWidget* widget) {
    if (r.isEmpty()) return;
    // A colour that names nothing (the default -1) leaves the area as it was.
    if (auto c = resolveColor(color, widget)) p.fillRect(toQRect(r), *c);
}

void tilePicture(QPainter& p, const QImage& picture, const PixelRect& r) {
    const int pw = picture.width();
    const int ph = picture.height();
    if (pw <= 0 || ph <= 0) return;
    for (int y = r.top; y < r.bottom; y += ph) {
        for (int x = r.left; x < r.right; x += pw) {
            const int w = std::min(pw, r.right - x);
            const int h = std::min(ph, r.bottom - y);
            p.drawImage(QPoint(x, y), picture, QRect(0, 0, w, h));
        }
    }
}

void drawPicture(QPainter& p, const QImage& picture, const PixelRect& r, std::int32_t mode) {
    if (r.isEmpty()) return;
    if (mode == 1)
        tilePicture(p, picture, r);
    else
        p.drawImage(toQRect(r), picture);
}

Qt::Alignment alignmentFor(std::int32_t x, std::int32_t y) {
    Qt::Alignment a;
    a |= x == 1 ? Qt::AlignHCenter : x == 2 ? Qt::AlignRight : Qt::AlignLeft;
    a |= y == 1 ? Qt::AlignVCenter : y == 2 ? Qt::AlignBottom : Qt::AlignTop;
    return a;
}

// One-pixel lines along the inside of `r`: left and top in `topLeft`, right
// and bottom in `bottomRight`.
void drawEdgeRing(QPainter& p, const PixelRect& r, const std::optional<QColor>& topLeft,
                  const std::optional<QColor>& bottomRight) {
    if (r.isEmpty()) return;
    const int w = r.width();
    const int h = r.height();
    if (bottomRight) {
        p.fillRect(QRect(r.left, r.bottom - 1, w, 1), *bottomRight);
        p.fillRect(QRect(r.right - 1, r.top, 1, h), *bottomRight);
    }
    if (topLeft) {
        p.fillRect(QRect(r.left, r.top, w - 1, 1), *topLeft);
        p.fillRect(QRect(r.left, r.top, 1, h - 1), *topLeft);
    }
}

} // namespace

// ---- pcMemDC ----------------------------------------------------------------

QImage* pcMemDC::hDC(int width, int height) {
    const PixelSize want = GrownBufferSize(PixelSize{image_.width(), image_.height()}, PixelSize{width, height});
    if (want.width <= 0 || want.height <= 0) return nullptr;
    if (want.width != image_.width() || want.height != image_.height()) {
        image_ = QImage(want.width, want.height, QImage::Format_ARGB32_Premultiplied);
        if (image_.isNull()) return nullptr;
    }
    return &image_;
}

void pcMemDC::Draw(QPainter& target, int x, int y, int width, int height, int srcX, int srcY) const {
    if (image_.isNull()) return;
    if (width < 1) width = image_.width();
    if (height < 1) height = image_.height();
    target.drawImage(QPoint(x, y), image_, QRect(srcX, srcY, width, height));
}

void pcMemDC::CreateFromPicture(const QImage& picture) {
    image_ = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// ---- cProgressBar -------------------------------------------------------------

cProgressBar::cProgressBar() : font_(QStringLiteral("Tahoma"), 8) {}

void cProgressBar::setSegments(bool value) { segments_ = value; Draw(); }
void cProgressBar::setXpStyle(bool value) { xpStyle_ = value; Draw(); }
void cProgressBar::setText(const QString& value) { text_ = value; Draw(); }
void cProgressBar::setTextAlignX(std::int32_t value) { textAlignX_ = value; Draw(); }
void cProgressBar::setTextAlignY(std::int32_t value) { textAlignY_ = value; Draw(); }
void cProgressBar::setShowText(bool value) { showText_ = value; Draw(); }
void cProgressBar::setMin(std::int32_t value) { min_ = value; Draw(); }
void cProgressBar::setMax(std::int32_t value) { max_ = value; Draw(); }
void cProgressBar::setValue(std::int32_t value) { value_ = value; Draw(); }
void cProgressBar::setBorderStyle(std::int32_t value) { borderStyle_ = value; Draw(); }
void cProgressBar::setAppearance(std::int32_t value) { appearance_ = value; Draw(); }
void cProgressBar::setDrawObject(QWidget* surface) { drawObject_ = surface; Draw(); }
void cProgressBar::setBackColor(OleColor value) { backColor_ = value; Draw(); }
void cProgressBar::setForeColor(OleColor value) { foreColor_ = value; Draw(); }
void cProgressBar::setFont(const QFont& value) { font_ = value; Draw(); }
void cProgressBar::setBarColor(OleColor value) { barColor_ = value; Draw(); }
void cProgressBar::setBarForeColor(OleColor value) { barForeColor_ = value; Draw(); }
void cProgressBar::setBarPictureMode(std::int32_t value) { barPictureMode_ = value; Draw(); }
void cProgressBar::setBackPictureMode(std::int32_t value) { backPictureMode_ = value; Draw(); }

void cProgressBar::setBarPicture(const QImage& picture) {
    if (picture.isNull())
        barPicture_.clear();
    else
        barPicture_.CreateFromPicture(picture);
    Draw();
}

void cProgressBar::setPicture(const QImage& picture) {
    if (picture.isNull())
        backPicture_.clear();
    else
        backPicture_.CreateFromPicture(picture);
    Draw();
}

double cProgressBar::Percent() const { return ProgressRatio(min_, max_, value_) * 100.0; }

void cProgressBar::Draw() {
    QWidget* surface = drawObject_;
    if (!surface) return;
    if (!inSurfacePaint_) {
        // A widget can only be painted from its paint event; ask for one.
        surface->update();
        return;
    }
    QPainter painter(surface);
    const QRect r = surface->rect();
    DrawToDC(surface, painter, r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

void cProgressBar::paintSurface() {
    inSurfacePaint_ = true;
    try {
        Draw();
    } catch (...) {
        inSurfacePaint_ = false;
        throw;
    }
    inSurfacePaint_ = false;
}

void cProgressBar::DrawToDC(QWidget* hwnd, QPainter& hDC, int lLeft, int lTop, int lRight, int lBottom) {
    const int width = std::abs(lRight - lLeft);
    const int height = std::abs(lBottom - lTop);
    QImage* buffer = (width > 0 && height > 0) ? buffer_.hDC(width, height) : nullptr;
    if (!buffer) {
        paintTo(hwnd, hDC, PixelRect{lLeft, lTop, lLeft + width, lTop + height});
        return;
    }
    {
        QPainter p(buffer);
        // What the bar leaves unpainted (a colour of -1) shows the surface.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(0, 0, width, height, Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        paintTo(hwnd, p, PixelRect{0, 0, width, height});
    }
    buffer_.Draw(hDC, lLeft, lTop, width, height);
}

void cProgressBar::drawText(QPainter& p, const PixelRect& rect, OleColor color, const QWidget* hwnd) {
    p.setFont(font_);
    // An untranslatable colour is passed on as an invalid one.
    p.setPen(resolveColor(color, hwnd).value_or(QColor()));
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawText(toQRect(rect), static_cast<int>(alignmentFor(textAlignX_, textAlignY_) | Qt::TextSingleLine),
               QLatin1Char(' ') + text_ + QLatin1Char(' '));
}

void cProgressBar::drawBorder(QPainter& p, const PixelRect& outer, const QWidget* hwnd) {
    if (borderStyle_ <= 0) return;
    const bool raised = borderStyle_ == 2;
    auto sys = [hwnd](int index) { return resolveColor(SystemColor(index), hwnd); };
    if (appearance_ == 0) {
        drawEdgeRing(p, outer, QColor(Qt::black), QColor(Qt::black));
    } else if (appearance_ == 2) {
        const PixelRect inner{outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1};
        if (raised) {
            drawEdgeRing(p, outer, sys(syscolor::kLight), sys(syscolor::kDarkShadow));
            drawEdgeRing(p, inner, sys(syscolor::kButtonHighlight), sys(syscolor::kButtonShadow));
        } else {
            drawEdgeRing(p, outer, sys(syscolor::kButtonShadow), sys(syscolor::kButtonHighlight));
            drawEdgeRing(p, inner, sys(syscolor::kDarkShadow), sys(syscolor::kLight));
        }
    } else {
        const auto shadow = sys(syscolor::kButtonShadow);
        const auto light = sys(syscolor::kButtonHighlight);
        drawEdgeRing(p, outer, raised ? light : shadow, raised ? shadow : light);
    }
}

void cProgressBar::paintTo(QWidget* hwnd, QPainter& p, const PixelRect& outer) {
    const bool horizontal = ProgressIsHorizontal(outer.width(), outer.height());
    QStyle* style = hwnd ? hwnd->style() : QApplication::style();

    // The widget style stands in for the platform's progress-bar theme.
    bool themed = false;
    int chunk = 0;
    int space = 0;
    QStyleOptionProgressBar opt;
    if (hwnd) opt.initFrom(hwnd);
    opt.rect = toQRect(outer);
    opt.minimum = 0;
    opt.maximum = 1;
    opt.progress = 1;
    if (horizontal)
        opt.state |= QStyle::State_Horizontal;
    else
        opt.state &= ~QStyle::State_Horizontal;
    if (xpStyle_ && backPicture_.isNull() && style) {
        const int chunkSize = style->pixelMetric(QStyle::PM_ProgressBarChunkWidth, &opt, hwnd);
        if (chunkSize > 0) {
            // Qt styles space their chunks inside the chunk width.
            space = 0;
            chunk = chunkSize + space;
            style->drawControl(QStyle::CE_ProgressBarGroove, &opt, &p, hwnd);
            themed = true;
        }
    }

    if (!themed) {
        if (!backPicture_.isNull())
            drawPicture(p, backPicture_.image(), outer, backPictureMode_);
        else
            fillWith(p, outer, backColor_, hwnd);
    }

    if (segments_ && !themed) {
        chunk = 8;
        space = 2;
    }

    const PixelRect work = ProgressWorkingRect(outer, borderStyle_, appearance_, themed);
    const bool withText = showText_ && !text_.isEmpty();
    if (withText && !themed) drawText(p, work, foreColor_, hwnd);

    const double ratio = ProgressRatio(min_, max_, value_);
    const PixelRect bar = ProgressBarRect(work, ratio, (segments_ || themed) ? chunk + space : 0);
    if (!themed) p.setClipRect(toQRect(bar));

    if (!barPicture_.isNull()) {
        p.save();
        p.setClipRect(toQRect(bar), Qt::IntersectClip);
        drawPicture(p, barPicture_.image(), work, barPictureMode_);
        p.restore();
    } else if (themed) {
        if (!bar.isEmpty()) {
            QStyleOptionProgressBar chunkOpt = opt;
            chunkOpt.rect = toQRect(bar);
            style->drawControl(QStyle::CE_ProgressBarContents, &chunkOpt, &p, hwnd);
        }
    } else {
        fillWith(p, bar, barColor_, hwnd);
    }

    if (segments_ && !themed) {
        for (const PixelRect& gap : ProgressSegmentGaps(bar, work, horizontal, chunk, space))
            fillWith(p, gap, backColor_, hwnd);
    }

    if (withText) {
        if (themed) {
            const QRect content = style->subElementRect(QStyle::SE_ProgressBarContents, &opt, hwnd);
            p.setFont(font_);
            style->drawItemText(&p, content, static_cast<int>(alignmentFor(textAlignX_, textAlignY_) | Qt::TextSingleLine),
                                opt.palette, true, QLatin1Char(' ') + text_ + QLatin1Char(' '), QPalette::Text);
        } else {
            drawText(p, work, barForeColor_, hwnd);
        }
    }

    if (!themed) {
        p.setClipping(false);
        drawBorder(p, outer, hwnd);
    }
}

} // namespace twinsift
