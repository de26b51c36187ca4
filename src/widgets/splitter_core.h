#pragma once
// What the splitter decides: its properties, where the bar goes, how a drag
// moves it and where the two panels end up. The toolkit side (`cSplitter`)
// supplies the container's size, the screen and the cursor through the
// protected hooks below and does nothing but carry out the moves.

#include "widgets/widget_geometry.h"

#include <cstdint>
#include <functional>

namespace twinsift {

class SplitterCore {
public:
    // Mouse buttons as the forwarded mouse events name them.
    static constexpr int kLeftButton = 1;
    static constexpr int kRightButton = 2;
    static constexpr int kMiddleButton = 4;

    SplitterCore() = default;
    virtual ~SplitterCore() = default;
    SplitterCore(const SplitterCore&) = delete;
    SplitterCore& operator=(const SplitterCore&) = delete;

    bool FullDrag() const { return fullDrag_; }
    void setFullDrag(bool value);

    // 1: bar horizontal, panel 1 above panel 2; 2: bar vertical, panel 1 left.
    std::int32_t Orientation() const { return orientation_; }
    void setOrientation(std::int32_t value);

    // Percent, 0 to 100; anything else is rejected with error 380.
    double Proportion();
    void setProportion(double percent);

    // Pixels from the container's top (or left) edge to the bar.
    std::int32_t Position() const { return position_; }
    void setPosition(std::int32_t value);

    bool KeepProportion() const { return keepProportion_; }
    void setKeepProportion(bool value) { keepProportion_ = value; }

    std::int32_t SplitterSize() const { return splitterSize_; }
    void setSplitterSize(std::int32_t value);

    // Panel 1 or 2; 0 or less means no limit.
    std::int32_t MinimumSize(int panel) const;
    void setMinimumSize(int panel, std::int32_t value);
    std::int32_t MaximumSize(int panel) const;
    void setMaximumSize(int panel, std::int32_t value);

    void MouseDown(int button, int shift, int x, int y);
    void MouseMove(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void Resize();

    // Raised on a left-button press before a drag starts; setting the last
    // argument to true prevents the drag.
    std::function<void(int x, int y, bool& bCancel)> BeforeDrag;

    bool isDragging() const { return dragging_; }
    // The fraction 0..1 behind Proportion, as stored.
    double storedFraction() const { return fraction_; }

protected:
    // ---- What the toolkit side supplies --------------------------------
    virtual bool hasContainer() const = 0;
    // Container, and both panels bound.
    virtual bool isBound() const = 0;
    // The container's inner size in pixels.
    virtual PixelSize containerClientSize() const = 0;
    // The container's rectangle on the screen.
    virtual PixelRect containerScreenRect() const = 0;
    // Places panel 1 or 2 inside the container (pixels).
    virtual void movePanel(int panel, const PixelRect& rect) = 0;
    // Runs after both panels have been placed, for decorations in the bar.
    virtual void panelsLaid() {}
    virtual PixelPoint cursorScreenPos() = 0;
    virtual void confineCursor(const PixelRect& screenRect) = 0;
    virtual void releaseCursor() = 0;
    virtual void showResizeCursor(bool northSouth) = 0;
    // Inverts the checkerboard outline in a screen rectangle; drawing the same
    // rectangle again restores what was there.
    virtual void drawDragBar(const PixelRect& screenRect) = 0;
    virtual void createDragBrush() {}
    virtual void releaseDragBrush() {}

    void ClampPosition();
    void UpdateProportion();
    void LayoutPanels();

private:
    int extent() const;
    PixelRect outlineRect() const;
    static void checkPanel(int panel);

    bool fullDrag_ = true;
    std::int32_t orientation_ = 1;
    double fraction_ = 0.5;
    std::int32_t position_ = 128;
    bool keepProportion_ = false;
    std::int32_t splitterSize_ = 4;
    std::int32_t minimumSize_[2] = {8, 8};
    std::int32_t maximumSize_[2] = {-1, -1};

    bool dragging_ = false;
    PixelPoint dragStartCursor_;
    std::int32_t dragStartPosition_ = 0;
    PixelRect outline_;
};

} // namespace twinsift
