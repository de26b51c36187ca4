#pragma once
// The owner-drawn progress bar. It is not a control: it keeps the bar's
// properties and paints onto a surface its owner hands it (`DrawObject`).
// Every property change redraws; the owner forwards the surface's paint event
// to `paintSurface()`.

#include "widgets/widget_geometry.h"

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

class QPainter;

namespace twinsift {

// An off-screen bitmap with its own painter target. It grows on demand and
// never shrinks, so a resizing surface does not reallocate on every paint.
class pcMemDC {
public:
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // The buffer, at least width x height; nullptr when there is none (no
    // positive size asked for yet, or no memory).
    QImage* hDC(int width, int height);
    QImage* hDC() { return image_.isNull() ? nullptr : &image_; }
    // Copies a part of the buffer to the target at (x, y); a width or height
    // below 1 means the buffer's full extent.
    void Draw(QPainter& target, int x, int y, int width = 0, int height = 0, int srcX = 0, int srcY = 0) const;
    void CreateFromPicture(const QImage& picture);
    void clear() { image_ = QImage(); }
    bool isNull() const { return image_.isNull(); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

class cProgressBar {
public:
    cProgressBar();

    const QString& Tag() const { return tag_; }
    void setTag(const QString& value) { tag_ = value; }

    bool Segments() const { return segments_; }
    void setSegments(bool value);
    bool XpStyle() const { return xpStyle_; }
    void setXpStyle(bool value);
    const QString& Text() const { return text_; }
    void setText(const QString& value);
    std::int32_t TextAlignX() const { return textAlignX_; }
    void setTextAlignX(std::int32_t value);
    std::int32_t TextAlignY() const { return textAlignY_; }
    void setTextAlignY(std::int32_t value);
    bool ShowText() const { return showText_; }
    void setShowText(bool value);

    // (Value - Min) / (Max - Min) limited to 0..1, times 100.
    double Percent() const;

    std::int32_t Min() const { return min_; }
    void setMin(std::int32_t value);
    std::int32_t Max() const { return max_; }
    void setMax(std::int32_t value);
    std::int32_t Value() const { return value_; }
    void setValue(std::int32_t value);

    // 0 none, 1 sunken, 2 raised.
    std::int32_t BorderStyle() const { return borderStyle_; }
    void setBorderStyle(std::int32_t value);
    // 0 flat, 1 thin 3D, 2 soft 3D edge.
    std::int32_t Appearance() const { return appearance_; }
    void setAppearance(std::int32_t value);

    QWidget* DrawObject() const { return drawObject_; }
    void setDrawObject(QWidget* surface);

    // Redraws on the surface: inside the surface's paint event it paints at
    // once, otherwise it asks the surface for a repaint.
    void Draw();
    // The surface's paint event, forwarded by the owner.
    void paintSurface();
    // Draws the bar into `hDC` over the rectangle; `hwnd` supplies the style
    // and palette (may be null: classic drawing with the application palette).
    void DrawToDC(QWidget* hwnd, QPainter& hDC, int lLeft, int lTop, int lRight, int lBottom);

    OleColor BackColor() const { return backColor_; }
    void setBackColor(OleColor value);
    OleColor ForeColor() const { return foreColor_; }
    void setForeColor(OleColor value);
    const QFont& Font() const { return font_; }
    void setFont(const QFont& value);
    OleColor BarColor() const { return barColor_; }
    void setBarColor(OleColor value);
    OleColor BarForeColor() const { return barForeColor_; }
    void setBarForeColor(OleColor value);

    // A null image discards the picture.
    void setBarPicture(const QImage& picture);
    std::int32_t BarPictureMode() const { return barPictureMode_; }
    void setBarPictureMode(std::int32_t value);
    std::int32_t BackPictureMode() const { return backPictureMode_; }
    void setBackPictureMode(std::int32_t value);
    void setPicture(const QImage& picture);

private:
    void paintTo(QWidget* hwnd, QPainter& p, const PixelRect& outer);
    void drawText(QPainter& p, const PixelRect& rect, OleColor color, const QWidget* hwnd);
    void drawBorder(QPainter& p, const PixelRect& outer, const QWidget* hwnd);

    QString tag_;
    bool segments_ = false;
    bool xpStyle_ = false;
    QString text_;
    std::int32_t textAlignX_ = 1;
    std::int32_t textAlignY_ = 1;
    bool showText_ = false;
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    std::int32_t value_ = 0;
    std::int32_t borderStyle_ = 1;
    std::int32_t appearance_ = 1;
    QPointer<QWidget> drawObject_;
    OleColor backColor_ = -1;
    OleColor foreColor_ = RgbColor(0, 0, 0);
    QFont font_;
    OleColor barColor_ = -1;
    OleColor barForeColor_ = RgbColor(255, 255, 255);
    std::int32_t barPictureMode_ = 1;
    std::int32_t backPictureMode_ = 1;

    pcMemDC buffer_;
    pcMemDC barPicture_;
    pcMemDC backPicture_;
    bool inSurfacePaint_ = false;
};

} // namespace twinsift
