#include "widgets/ui/c_splitter.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>
#include <memory>

namespace twinsift {
namespace {

// A window with a 300 x 400 container holding two coloured panels, set up
// the way the main window sets up its lists.
struct SplitWindow {
    QWidget window;
    QWidget* container;
    QLabel* top;
    QLabel* bottom;
    cSplitter splitter;

    explicit SplitWindow(bool fullDrag = true) {
        window.resize(320, 420);
        window.setAutoFillBackground(true);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, QColor(255, 255, 255));
        window.setPalette(pal);
        container = new QWidget(&window);
        container->setGeometry(10, 10, 300, 400);
        top = new QLabel(&window);  // moved into the container by Bind
        bottom = new QLabel(&window);
        for (auto [label, colour] : {std::pair{top, QColor(200, 0, 0)}, std::pair{bottom, QColor(0, 0, 200)}}) {
            label->setAutoFillBackground(true);
            QPalette p = label->palette();
            p.setColor(QPalette::Window, colour);
            label->setPalette(p);
        }
        splitter.setOrientation(1);
        splitter.setContainer(container);
        splitter.Bind(top, bottom);
        splitter.setSplitterSize(24);
        splitter.setMinimumSize(1, 22);
        splitter.setMinimumSize(2, 22);
        splitter.setFullDrag(fullDrag);
        splitter.setKeepProportion(true);
        splitter.Resize();
        window.show();
    }

    // Sends a mouse event at container-local y (x = 150) through the splitter,
    // as the owner's event forwarding does.
    void send(QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPointF local(150, y);
        const QPointF global = container->mapToGlobal(local);
        QMouseEvent ev(type, local, global, button, buttons, Qt::NoModifier);
        splitter.mouseEvent(&ev);
    }
    void press(int y) { send(QEvent::MouseButtonPress, y, Qt::LeftButton, Qt::LeftButton); }
    void move(int y) { send(QEvent::MouseMove, y, Qt::NoButton, Qt::LeftButton); }
    void release(int y) { send(QEvent::MouseButtonRelease, y, Qt::LeftButton, Qt::NoButton); }

    QImage shot() { return window.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

TEST(SplitterWidget, BindMovesThePanelsIntoTheContainerAndLaysThemOut) {
    SplitWindow w;
    EXPECT_EQ(w.top->parentWidget(), w.container);
    EXPECT_EQ(w.bottom->parentWidget(), w.container);
    EXPECT_EQ(w.splitter.Position(), 200);
    EXPECT_EQ(w.top->geometry(), QRect(0, 0, 300, 200));
    EXPECT_EQ(w.bottom->geometry(), QRect(0, 224, 300, 176));
}

TEST(SplitterWidget, PointerLeavingTheContainerIsHeldAtItsEdge) {
    SplitWindow w;
    w.splitter.setMinimumSize(1, 0);
    w.press(200);
    w.move(-300);  // far above the container
    EXPECT_EQ(w.container->cursor().shape(), Qt::SizeVerCursor);
    EXPECT_EQ(w.top->cursor().shape(), Qt::ArrowCursor) << "the panels keep their own pointer";
    w.release(-300);
    EXPECT_EQ(w.splitter.Position(), 0);
}

TEST(SplitterWidget, OutlineDragLeavesNoTrace) {
    SplitWindow w(false);
    const QImage before = w.shot();

    w.press(210);
    const QImage pressed = w.shot();
    // The outline inverts every other pixel of the bar; the panels stay put.
    const int barY = 10 + 200 + 5;  // window coordinates inside the bar
    int inverted = 0;
    for (int x = 10; x < 310; ++x) inverted += pressed.pixel(x, barY) != before.pixel(x, barY);
    EXPECT_EQ(inverted, 150);
    EXPECT_EQ(w.top->height(), 200);

    w.move(110);
    const QImage moving = w.shot();
    EXPECT_EQ(moving.pixel(11, barY), before.pixel(11, barY)) << "the old outline was erased";
    EXPECT_EQ(w.top->height(), 200);
    ASSERT_TRUE(w.splitter.visibleOutline().has_value());
    EXPECT_EQ(w.splitter.visibleOutline()->top, w.container->mapToGlobal(QPoint(0, 100)).y());

    w.release(110);
    EXPECT_FALSE(w.splitter.visibleOutline().has_value());
    EXPECT_EQ(w.top->height(), 100);

    // Compare with a window whose bar was put there directly.
    SplitWindow reference;
    reference.splitter.setPosition(100);
    EXPECT_EQ(w.shot(), reference.shot());
}

} // namespace
} // namespace twinsift
