#include "widgets/widget_geometry.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

TEST(ProgressGeometry, RatioIsLimitedAndSurvivesAnEmptyRange) {
    EXPECT_EQ(ProgressRatio(0, 100, -5), 0.0);
    EXPECT_EQ(ProgressRatio(0, 100, 250), 1.0);
    EXPECT_DOUBLE_EQ(ProgressRatio(-100, 100, 0), 0.5);
    EXPECT_EQ(ProgressRatio(5, 5, 5), 0.0);
    // A reversed range still maps Min to empty.
    EXPECT_EQ(ProgressRatio(100, 0, 100), 0.0);
    EXPECT_DOUBLE_EQ(ProgressRatio(100, 0, 25), 0.75);
}

TEST(ProgressGeometry, BarEndRoundsHalvesToEven) {
    PixelRect work{0, 0, 103, 20};
    EXPECT_EQ(ProgressBarRect(work, 0.5, 0).right, 52);  // 51.5
    EXPECT_EQ(ProgressBarRect(PixelRect{0, 0, 101, 20}, 0.5, 0).right, 50);  // 50.5
    // Vertical: top = (1 - ratio) * height + top.
    EXPECT_EQ(ProgressBarRect(PixelRect{0, 0, 20, 101}, 0.5, 0).top, 50);
    EXPECT_EQ(ProgressBarRect(PixelRect{0, 0, 20, 103}, 0.5, 0).top, 52);
}

TEST(ProgressGeometry, SteppedBarsShortenToWholeStepsFromTheirOrigin) {
    // Horizontal, from a left edge that is not 0.
    PixelRect h = ProgressBarRect(PixelRect{2, 2, 101, 18}, 0.5, 10);
    EXPECT_EQ(h.left, 2);
    EXPECT_EQ(h.right, 52);  // 51.5 -> 52 -> 50 pixels
    EXPECT_EQ(ProgressBarRect(PixelRect{0, 0, 100, 20}, 0.05, 10).right, 0);

    // Vertical: shortened from the bottom edge.
    PixelRect v = ProgressBarRect(PixelRect{0, 0, 20, 100}, 0.37, 10);
    EXPECT_EQ(v.bottom, 100);
    EXPECT_EQ(v.top, 70);  // 63 -> a 37-pixel bar, cut to 30
    EXPECT_EQ(ProgressBarRect(PixelRect{0, 0, 20, 100}, 0.05, 10).top, 100);
}

TEST(ProgressGeometry, BuffersGrowAndNeverShrink) {
    EXPECT_EQ(GrownBufferSize({}, {0, 10}), (PixelSize{}));
    EXPECT_EQ(GrownBufferSize({}, {30, 10}), (PixelSize{30, 10}));
    EXPECT_EQ(GrownBufferSize({30, 10}, {20, 5}), (PixelSize{30, 10}));
    EXPECT_EQ(GrownBufferSize({30, 10}, {20, 40}), (PixelSize{30, 40}));
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundToEven(0.5), 0);
    EXPECT_EQ(roundToEven(1.5), 2);
    EXPECT_EQ(roundToEven(2.5), 2);
    EXPECT_EQ(roundToEven(-0.5), 0);
    EXPECT_EQ(roundToEven(-1.5), -2);
    EXPECT_EQ(roundToEven(2.4999), 2);
    EXPECT_EQ(roundToEven(16.6667), 17);
}

} // namespace
} // namespace twinsift
