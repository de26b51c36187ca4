#include "widgets/ui/c_progress_bar.h"
#include "widgets/ui/paint_surface.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

constexpr OleColor kBack = RgbColor(10, 20, 30);
constexpr OleColor kBar = RgbColor(200, 40, 40);
const QRgb kBackRgb = qRgb(10, 20, 30);
const QRgb kBarRgb = qRgb(200, 40, 40);
const QRgb kUntouched = qRgb(1, 2, 3);

// A bar with plain colours and no border, ready to render.
void plainColours(cProgressBar& bar) {
    bar.setBackColor(kBack);
    bar.setBarColor(kBar);
    bar.setBorderStyle(0);
}

QImage render(cProgressBar& bar, int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kUntouched);
    QPainter p(&img);
    bar.DrawToDC(nullptr, p, 0, 0, w, h);
    p.end();
    return img;
}

// Number of pixels of `colour` in one row or one column.
int countInRow(const QImage& img, int y, QRgb colour) {
    int n = 0;
    for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) == colour;
    return n;
}
int countInColumn(const QImage& img, int x, QRgb colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) n += img.pixel(x, y) == colour;
    return n;
}

TEST(ProgressBarDrawing, RangeEdgesAndTheUnsetColours) {
    cProgressBar bar;
    bar.setBorderStyle(0);
    bar.setValue(50);
    EXPECT_EQ(countInRow(render(bar, 100, 20), 10, kUntouched), 100) << "colour -1 paints nothing";

    plainColours(bar);
    bar.setMin(7);
    bar.setMax(7);
    bar.setValue(7);
    EXPECT_EQ(bar.Percent(), 0.0);
    EXPECT_EQ(countInRow(render(bar, 100, 20), 10, kBackRgb), 100) << "Max = Min draws an empty bar";

    bar.setMin(10);
    bar.setMax(20);

    bar.setValue(5);
    EXPECT_EQ(bar.Percent(), 0.0);
    QImage below = render(bar, 100, 20);
    EXPECT_EQ(countInRow(below, 10, kBarRgb), 0);
    EXPECT_EQ(countInRow(below, 10, kBackRgb), 100);

    bar.setValue(25);
    EXPECT_EQ(bar.Value(), 25) << "the value is stored unlimited";
    EXPECT_EQ(bar.Percent(), 100.0);
    QImage above = render(bar, 100, 20);
    EXPECT_EQ(countInRow(above, 10, kBarRgb), 100);
}

TEST(ProgressBarDrawing, OrientationFollowsTheSurfaceShape) {
    cProgressBar bar;
    plainColours(bar);
    bar.setValue(50);

    // Taller than wide: the lower half fills.
    QImage tall = render(bar, 57, 100);
    EXPECT_EQ(tall.pixel(28, 99), kBarRgb);
    EXPECT_EQ(tall.pixel(28, 50), kBarRgb);
    EXPECT_EQ(tall.pixel(28, 49), kBackRgb);
    EXPECT_EQ(countInColumn(tall, 0, kBarRgb), 50);

    // Wider than tall: the left half fills.
    QImage wide = render(bar, 100, 20);
    EXPECT_EQ(wide.pixel(0, 10), kBarRgb);
    EXPECT_EQ(wide.pixel(49, 10), kBarRgb);
    EXPECT_EQ(wide.pixel(50, 10), kBackRgb);
    EXPECT_EQ(countInColumn(wide, 10, kBarRgb), 20);

    // Square: filled from the bottom like a tall one.
    QImage square = render(bar, 40, 40);
    EXPECT_EQ(square.pixel(0, 39), kBarRgb);
    EXPECT_EQ(square.pixel(39, 20), kBarRgb);
    EXPECT_EQ(square.pixel(39, 19), kBackRgb);
}

TEST(ProgressBarDrawing, SegmentsAreWholeBlocksWithGapsInTheBackColour) {
    cProgressBar bar;
    plainColours(bar);
    bar.setSegments(true);
    bar.setValue(50);
    QImage img = render(bar, 103, 20);

    // 103 * 0.5 rounds to 52, shortened to five whole steps of 10.
    std::string row;
    for (int x = 0; x < 103; ++x) {
        QRgb c = img.pixel(x, 10);
        row += c == kBarRgb ? '#' : c == kBackRgb ? '.' : '?';
    }
    std::string expected;
    for (int block = 0; block < 5; ++block) expected += "########..";
    expected += std::string(53, '.');
    EXPECT_EQ(row, expected);
    // Gaps span the full height.
    EXPECT_EQ(countInColumn(img, 8, kBackRgb), 20);
    EXPECT_EQ(countInColumn(img, 7, kBarRgb), 20);
}

TEST(ProgressBarDrawing, VerticalSegmentsAreLaidFromTheBottom) {
    cProgressBar bar;
    plainColours(bar);
    bar.setSegments(true);
    bar.setValue(50);
    QImage img = render(bar, 20, 100);
    // Rows from the bottom: 8 bar rows, 2 gap rows, ...
    for (int i = 0; i < 8; ++i) EXPECT_EQ(img.pixel(10, 99 - i), kBarRgb) << i;
    EXPECT_EQ(img.pixel(10, 91), kBackRgb);
    EXPECT_EQ(img.pixel(10, 90), kBackRgb);
    EXPECT_EQ(img.pixel(10, 89), kBarRgb);
    EXPECT_EQ(img.pixel(10, 49), kBackRgb) << "nothing above the bar";
}

TEST(ProgressBarDrawing, TextShowsInTheBarForeColourInsideTheBarAndTheForeColourOutside) {
    cProgressBar bar;
    plainColours(bar);
    bar.setForeColor(RgbColor(0, 0, 255));
    bar.setBarForeColor(RgbColor(0, 255, 0));
    QFont font = QApplication::font();
    font.setPixelSize(14);
    bar.setFont(font);
    bar.setText(QStringLiteral("MMMMMMMM"));
    bar.setShowText(true);
    bar.setValue(50);
    QImage img = render(bar, 200, 24);

    // Count text pixels by hue on each side of the bar's end at x = 100.
    auto tally = [&](int x0, int x1, bool wantGreen) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = x0; x < x1; ++x) {
                QColor c(img.pixel(x, y));
                bool green = c.green() > 150 && c.red() < 120 && c.blue() < 120;
                bool blue = c.blue() > 150 && c.red() < 120 && c.green() < 120;
                n += wantGreen ? green : blue;
            }
        return n;
    };
    EXPECT_GT(tally(0, 100, true), 20);
    EXPECT_EQ(tally(0, 100, false), 0);
    EXPECT_GT(tally(100, 200, false), 20);
    EXPECT_EQ(tally(100, 200, true), 0);
}

TEST(ProgressBarDrawing, BordersFollowStyleAndAppearance) {
    cProgressBar bar;
    bar.setBackColor(kBack);
    bar.setBarColor(kBar);
    bar.setValue(100);

    // No border: the bar reaches every edge.
    bar.setBorderStyle(0);
    QImage none = render(bar, 100, 20);
    EXPECT_EQ(none.pixel(0, 0), kBarRgb);
    EXPECT_EQ(none.pixel(99, 19), kBarRgb);

    // Flat: a black frame one pixel wide, the bar inside it.
    bar.setBorderStyle(1);
    bar.setAppearance(0);
    QImage flat = render(bar, 100, 20);
    EXPECT_EQ(flat.pixel(0, 10), qRgb(0, 0, 0));
    EXPECT_EQ(flat.pixel(99, 10), qRgb(0, 0, 0));
    EXPECT_EQ(flat.pixel(50, 19), qRgb(0, 0, 0));
    EXPECT_EQ(flat.pixel(1, 1), kBarRgb);
    EXPECT_EQ(flat.pixel(98, 18), kBarRgb);

    // Thin 3D sunken: shadow top-left, highlight bottom-right; raised swaps.
    const QPalette pal = QApplication::palette();
    const QRgb shadow = pal.color(QPalette::Active, QPalette::Dark).rgb();
    const QRgb light = pal.color(QPalette::Active, QPalette::Light).rgb();
    ASSERT_NE(shadow, light);
    bar.setAppearance(1);
    QImage sunken = render(bar, 100, 20);
    EXPECT_EQ(sunken.pixel(0, 10), shadow);
    EXPECT_EQ(sunken.pixel(50, 0), shadow);
    EXPECT_EQ(sunken.pixel(99, 10), light);
    EXPECT_EQ(sunken.pixel(50, 19), light);
    bar.setBorderStyle(2);
    QImage raised = render(bar, 100, 20);
    EXPECT_EQ(raised.pixel(0, 10), light);
    EXPECT_EQ(raised.pixel(99, 10), shadow);

    // Soft 3D edge: two pixels of frame before the bar starts.
    bar.setAppearance(2);
    bar.setBorderStyle(1);
    QImage soft = render(bar, 100, 20);
    EXPECT_NE(soft.pixel(1, 10), kBarRgb);
    EXPECT_EQ(soft.pixel(2, 10), kBarRgb);
    EXPECT_EQ(soft.pixel(97, 10), kBarRgb);
    EXPECT_NE(soft.pixel(98, 10), kBarRgb);
}

TEST(ProgressBarDrawing, PicturesAreTiledFromTheTopLeftOrStretched) {
    QImage tile(3, 3, QImage::Format_RGB32);
    tile.fill(qRgb(0, 0, 0));
    tile.setPixel(0, 0, qRgb(255, 255, 0));

    cProgressBar bar;
    plainColours(bar);
    bar.setPicture(tile);
    tile.fill(qRgb(9, 9, 9)); // the bar keeps its own copy
    bar.setValue(0);
    QImage tiled = render(bar, 10, 7);
    EXPECT_EQ(tiled.pixel(0, 0), qRgb(255, 255, 0));
    EXPECT_EQ(tiled.pixel(3, 3), qRgb(255, 255, 0));
    EXPECT_EQ(tiled.pixel(9, 6), qRgb(255, 255, 0));
    EXPECT_EQ(tiled.pixel(1, 0), qRgb(0, 0, 0));

    QImage barTile(2, 2, QImage::Format_RGB32);
    barTile.fill(qRgb(0, 128, 0));
    bar.setBarPicture(barTile);
    bar.setValue(50);
    QImage withBar = render(bar, 10, 7);
    EXPECT_EQ(withBar.pixel(2, 0), qRgb(0, 128, 0));
    EXPECT_EQ(withBar.pixel(4, 6), qRgb(0, 128, 0));
    EXPECT_EQ(withBar.pixel(7, 3), qRgb(0, 0, 0)) << "the bar picture stays inside the bar";

    bar.setPicture(QImage());
    bar.setBarPicture(QImage());
    bar.setValue(100);
    EXPECT_EQ(render(bar, 10, 7).pixel(5, 5), kBarRgb);
}

TEST(ProgressBarDrawing, PaintsItsSurfaceWhenTheOwnerForwardsThePaintEvent) {
    PaintSurface surface;
    surface.resize(100, 20);
    cProgressBar bar;
    surface.onPaint = [&bar] { bar.paintSurface(); };
    plainColours(bar);
    bar.setDrawObject(&surface);
    bar.setValue(25);
    QImage shot = surface.grab().toImage();
    EXPECT_EQ(shot.pixel(24, 10), kBarRgb);
    EXPECT_EQ(shot.pixel(25, 10), kBackRgb);

    // Drawn through the buffer at the rectangle's place on a larger target.
    QImage target(120, 40, QImage::Format_RGB32);
    target.fill(kUntouched);
    QPainter p(&target);
    bar.DrawToDC(&surface, p, 10, 10, 110, 30);
    p.end();
    EXPECT_EQ(target.pixel(9, 15), kUntouched);
    EXPECT_EQ(target.pixel(10, 15), kBarRgb);
    EXPECT_EQ(target.pixel(109, 29), kBackRgb);
    EXPECT_EQ(target.pixel(110, 29), kUntouched);
}

TEST(ProgressBarDrawing, ThemedBarDrawsThroughTheStyle) {
    PaintSurface surface;
    surface.resize(100, 20);
    cProgressBar bar;
    plainColours(bar);
    bar.setValue(50);
    bar.setXpStyle(true);
    QImage themed(100, 20, QImage::Format_RGB32);
    themed.fill(kUntouched);
    {
        QPainter p(&themed);
        bar.DrawToDC(&surface, p, 0, 0, 100, 20);
    }
    // The style paints, not the classic colours.
    EXPECT_LT(countInRow(themed, 10, kBackRgb), 10);

    // A background picture forces the classic drawing.
    QImage pic(1, 1, QImage::Format_RGB32);
    pic.fill(kBackRgb);
    bar.setPicture(pic);
    QImage classic(100, 20, QImage::Format_RGB32);
    {
        QPainter p(&classic);
        bar.DrawToDC(&surface, p, 0, 0, 100, 20);
    }
    EXPECT_EQ(countInRow(classic, 10, kBarRgb), 50);
}

} // namespace
} // namespace twinsift
