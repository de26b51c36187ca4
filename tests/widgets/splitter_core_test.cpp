#include "widgets/property_error.h"
#include "widgets/splitter_core.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace twinsift {
namespace {

// A container of a given size on a pretend screen, with a cursor the test
// moves by hand. Records everything the splitter asks of it.
class FakeSplitter final : public SplitterCore {
public:
    PixelSize client{300, 400};
    PixelPoint screenOrigin{1000, 500};
    PixelPoint cursor{0, 0};
    bool bound = true;
    std::map<int, PixelRect> panels;
    int layouts = 0;
    std::vector<PixelRect> inverted;  // toggled rectangles, as on screen
    std::vector<PixelRect> drawCalls;
    std::optional<PixelRect> confined;
    bool brush = false;
    bool northSouthCursor = false;

    using SplitterCore::ClampPosition;

    // Presses on the bar, moves the cursor by dy (or dx) and releases.
    void drag(int from, int by, bool release = true) {
        cursor = PixelPoint{screenOrigin.x + from, screenOrigin.y + from};
        MouseDown(kLeftButton, 0, 5, from);
        moveCursor(Orientation() == 1 ? PixelPoint{cursor.x, cursor.y + by} : PixelPoint{cursor.x + by, cursor.y});
        MouseMove(kLeftButton, 0, 5, from + by);
        if (release) MouseUp(kLeftButton, 0, 5, from + by);
    }

    // The pointer cannot leave a confinement rectangle.
    void moveCursor(PixelPoint p) {
        if (confined) {
            p.x = std::clamp(p.x, confined->left, confined->right - 1);
            p.y = std::clamp(p.y, confined->top, confined->bottom - 1);
        }
        cursor = p;
    }

protected:
    bool hasContainer() const override { return true; }
    bool isBound() const override { return bound; }
    PixelSize containerClientSize() const override { return client; }
    PixelRect containerScreenRect() const override {
        return PixelRect{screenOrigin.x, screenOrigin.y, screenOrigin.x + client.width, screenOrigin.y + client.height};
    }
    void movePanel(int panel, const PixelRect& rect) override { panels[panel] = rect; }
    void panelsLaid() override { ++layouts; }
    PixelPoint cursorScreenPos() override { return cursor; }
    void confineCursor(const PixelRect& r) override { confined = r; }
    void releaseCursor() override { confined.reset(); }
    void showResizeCursor(bool ns) override { northSouthCursor = ns; }
    void drawDragBar(const PixelRect& r) override {
        drawCalls.push_back(r);
        auto it = std::find(inverted.begin(), inverted.end(), r);
        if (it != inverted.end())
            inverted.erase(it);
        else
            inverted.push_back(r);
    }
    void createDragBrush() override { brush = true; }
    void releaseDragBrush() override { brush = false; }
};

// The main window's configuration, in its order.
void configureLikeTheMainWindow(FakeSplitter& s) {
    s.setOrientation(1);
    s.setSplitterSize(24);
    s.setMinimumSize(1, 22);
    s.setMinimumSize(2, 22);
    s.setFullDrag(true);
    s.setKeepProportion(true);
    s.Resize();
}

TEST(SplitterProperties, InvalidValuesRaiseError380AndChangeNothing) {
    FakeSplitter s;
    configureLikeTheMainWindow(s);
    try {
        s.setProportion(150);
        FAIL() << "no error";
    } catch (const PropertyError& e) {
        EXPECT_EQ(e.number, 380);
        EXPECT_EQ(e.source, "Twinsift.cSplitter");
    }
    EXPECT_EQ(s.Proportion(), 50.0);
    EXPECT_THROW(s.setProportion(-0.5), PropertyError);
    EXPECT_THROW(s.setSplitterSize(-1), PropertyError);
    EXPECT_EQ(s.SplitterSize(), 24);
    EXPECT_THROW(s.setMinimumSize(3, 10), PropertyError);
    EXPECT_THROW(s.setMaximumSize(0, 10), PropertyError);
    EXPECT_THROW((void)s.MinimumSize(0), PropertyError);
    EXPECT_EQ(s.Position(), 200);
}

TEST(SplitterLayout, FirstResizePutsTheBarInTheMiddle) {
    FakeSplitter s;
    configureLikeTheMainWindow(s);
    EXPECT_EQ(s.Position(), 200);
    EXPECT_EQ(s.panels[1], (PixelRect{0, 0, 300, 200}));
    EXPECT_EQ(s.panels[2], (PixelRect{0, 224, 300, 400}));
}

TEST(SplitterLayout, ProportionHundredIsPulledBackByTheSecondMinimum) {
    FakeSplitter s;
    configureLikeTheMainWindow(s);
    s.setProportion(100);
    EXPECT_EQ(s.Position(), 400 - 24 - 22);
    EXPECT_EQ(s.panels[2].height(), 22);
    EXPECT_EQ(s.Proportion(), 100.0) << "the stored share stays what was written";
}

TEST(SplitterLayout, TooSmallContainerKeepsPanelOnesMinimum) {
    FakeSplitter s;
    configureLikeTheMainWindow(s);
    s.client.height = 50;
    s.Resize();
    EXPECT_EQ(s.Position(), 22);
    EXPECT_EQ(s.panels[1].height(), 22);
    EXPECT_EQ(s.panels[2], (PixelRect{0, 46, 300, 50}));

    // No room at all for panel 2: it stays where it was.
    s.client.height = 40;
    s.Resize();
    EXPECT_EQ(s.Position(), 22);
    EXPECT_EQ(s.panels[2], (PixelRect{0, 46, 300, 50}));
}

TEST(SplitterLayout, ClampRulesApplyInOrderSoMinimumsWin) {
    FakeSplitter s;
    s.setSplitterSize(10);
    s.setMinimumSize(1, 0);
    s.setMinimumSize(2, 0);
    s.setMaximumSize(2, 100);
    s.setPosition(50);
    EXPECT_EQ(s.Position(), 400 - 10 - 100) << "panel 2 may not exceed 100";
    s.setMaximumSize(1, 200);
    s.setPosition(350);
    EXPECT_EQ(s.Position(), 200) << "panel 1's maximum comes after panel 2's";
    // A minimum for panel 1 beats its maximum.
    s.setMinimumSize(1, 250);
    s.setPosition(201);
    EXPECT_EQ(s.Position(), 250);
}

TEST(SplitterLayout, UnboundSplitterIgnoresResizeAndMouse) {
    FakeSplitter s;
    s.bound = false;
    s.setKeepProportion(true);
    s.Resize();
    s.drag(128, 50);
    EXPECT_TRUE(s.panels.empty());
    EXPECT_EQ(s.Position(), 128);
    EXPECT_FALSE(s.isDragging());
}

TEST(SplitterDrag, StopsAtBothMinimumSizes) {
    FakeSplitter s;
    configureLikeTheMainWindow(s);
    s.drag(200, -500);
    EXPECT_EQ(s.Position(), 22);
    EXPECT_EQ(s.panels[1].height(), 22);
    s.drag(22, 1000);
    EXPECT_EQ(s.Position(), 400 - 24 - 22);
    EXPECT_EQ(s.panels[2].height(), 22);
}

TEST(SplitterDrag, KeptProportionAfterADragFollowsAResize) {
    FakeSplitter s;
    configureLikeTheMainWindow(s);
    s.drag(200, -100);
    EXPECT_EQ(s.Position(), 100);
    EXPECT_DOUBLE_EQ(s.Proportion(), 25.0);
    s.client.height = 800;
    s.Resize();
    EXPECT_EQ(s.Position(), 200);
    EXPECT_EQ(s.panels[2], (PixelRect{0, 224, 300, 800}));
}

TEST(SplitterDrag, FullDragMovesThePanelsWhileTheMouseMoves) {
    FakeSplitter s;
    configureLikeTheMainWindow(s);
    s.drag(200, 30, false);
    EXPECT_TRUE(s.isDragging());
    EXPECT_EQ(s.panels[1].height(), 230);
    ASSERT_TRUE(s.confined.has_value());
    EXPECT_EQ(*s.confined, (PixelRect{1000, 500, 1300, 900}));
    EXPECT_DOUBLE_EQ(s.Proportion(), 50.0) << "the share is learnt on release";
    s.MouseUp(SplitterCore::kLeftButton, 0, 0, 0);
    EXPECT_FALSE(s.isDragging());
    EXPECT_FALSE(s.confined.has_value());
    EXPECT_DOUBLE_EQ(s.Proportion(), 57.5);
    EXPECT_TRUE(s.drawCalls.empty());
}

TEST(SplitterDrag, OnlyTheLeftButtonStartsADragAndBeforeDragCanCancel) {
    FakeSplitter s;
    configureLikeTheMainWindow(s);
    s.MouseDown(SplitterCore::kRightButton, 0, 0, 0);
    EXPECT_FALSE(s.isDragging());

    int seenX = -1, seenY = -1;
    s.BeforeDrag = [&](int x, int y, bool& cancel) {
        seenX = x;
        seenY = y;
        cancel = true;
    };
    s.drag(200, 50);
    EXPECT_EQ(seenX, 5);
    EXPECT_EQ(seenY, 200);
    EXPECT_EQ(s.Position(), 200);
    EXPECT_FALSE(s.isDragging());
}

TEST(SplitterDrag, OutlineDragInvertsTheBarAndRestoresTheScreen) {
    FakeSplitter s;
    configureLikeTheMainWindow(s);
    s.setFullDrag(false);
    EXPECT_TRUE(s.brush);
    const int layoutsBefore = s.layouts;

    s.drag(200, -60, false);
    // While dragging only the outline moves, at the new place.
    ASSERT_EQ(s.inverted.size(), 1u);
    EXPECT_EQ(s.inverted[0], (PixelRect{1000, 500 + 140, 1300, 500 + 164}));
    EXPECT_EQ(s.layouts, layoutsBefore);
    EXPECT_EQ(s.panels[1].height(), 200);

    s.MouseUp(SplitterCore::kLeftButton, 0, 0, 0);
    EXPECT_TRUE(s.inverted.empty()) << "every outline drawn was erased";
    EXPECT_EQ(s.drawCalls.size(), 4u);
    EXPECT_EQ(s.panels[1].height(), 140);

    s.setFullDrag(true);
    EXPECT_FALSE(s.brush);
}

} // namespace
} // namespace twinsift
