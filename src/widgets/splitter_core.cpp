#include "widgets/splitter_core.h"

#include "widgets/property_error.h"

#include <cmath>

namespace twinsift {

namespace {
const std::string kClassName = "cSplitter";
}

void SplitterCore::checkPanel(int panel) {
    if (panel != 1 && panel != 2) throw PropertyError::invalidValue(kClassName);
}

void SplitterCore::setFullDrag(bool value) {
    if (value == fullDrag_) return;
    fullDrag_ = value;
    if (fullDrag_)
        releaseDragBrush();
    else
        createDragBrush();
}

void SplitterCore::setOrientation(std::int32_t value) {
    if (value == orientation_) return;
    orientation_ = value;
    showResizeCursor(orientation_ == 1);
    Resize();
}

double SplitterCore::Proportion() {
    if (fraction_ > 1.0) fraction_ = 1.0;
    return fraction_ * 100.0;
}

void SplitterCore::setProportion(double percent) {
    if (!(percent >= 0.0 && percent <= 100.0)) throw PropertyError::invalidValue(kClassName);
    fraction_ = percent / 100.0;
    Resize();
}

void SplitterCore::setPosition(std::int32_t value) {
    if (value == position_) return;
    position_ = value;
    ClampPosition();
    UpdateProportion();
    Resize();
}

void SplitterCore::setSplitterSize(std::int32_t value) {
    if (value == splitterSize_) return;
    if (value < 0) throw PropertyError::invalidValue(kClassName);
    splitterSize_ = value;
    Resize();
}

std::int32_t SplitterCore::MinimumSize(int panel) const {
    checkPanel(panel);
    return minimumSize_[panel - 1];
}

void SplitterCore::setMinimumSize(int panel, std::int32_t value) {
    checkPanel(panel);
    if (minimumSize_[panel - 1] == value) return;
    minimumSize_[panel - 1] = value;
    Resize();
}

std::int32_t SplitterCore::MaximumSize(int panel) const {
    checkPanel(panel);
    return maximumSize_[panel - 1];
}

void SplitterCore::setMaximumSize(int panel, std::int32_t value) {
    checkPanel(panel);
    maximumSize_[panel - 1] = value;
}

int SplitterCore::extent() const {
    PixelSize size = containerClientSize();
    return orientation_ == 1 ? size.height : size.width;
}

void SplitterCore::Resize() {
    if (!isBound()) return;
    if (keepProportion_) {
        position_ = roundToEven(fraction_ * extent());
        ClampPosition();
    }
    LayoutPanels();
}

void SplitterCore::ClampPosition() {
    if (!hasContainer()) return;
    const int ext = extent();
    // Later rules win: a minimum beats a maximum, panel 1 beats panel 2.
    if (maximumSize_[1] > 0 && ext - position_ - splitterSize_ > maximumSize_[1])
        position_ = ext - splitterSize_ - maximumSize_[1];
    if (maximumSize_[0] > 0 && position_ > maximumSize_[0]) position_ = maximumSize_[0];
    if (minimumSize_[1] > 0 && ext - position_ - splitterSize_ < minimumSize_[1])
        position_ = ext - splitterSize_ - minimumSize_[1];
    if (minimumSize_[0] > 0 && position_ < minimumSize_[0]) position_ = minimumSize_[0];
}

void SplitterCore::UpdateProportion() {
    if (!hasContainer()) return;
    const int ext = extent();
    // An empty container has no proportion to learn from.
    if (ext <= 0) return;
    fraction_ = static_cast<double>(position_) / ext;
}

void SplitterCore::LayoutPanels() {
    const PixelSize inner = containerClientSize();
    const int p = position_;
    const int s = splitterSize_ + p;
    // A panel that would get a negative size is left where it is.
    if (orientation_ == 1) {
        if (inner.width >= 0 && p >= 0) movePanel(1, PixelRect{0, 0, inner.width, p});
        if (inner.width >= 0 && inner.height - s >= 0) movePanel(2, PixelRect{0, s, inner.width, inner.height});
    } else {
        if (inner.height >= 0 && p >= 0) movePanel(1, PixelRect{0, 0, p, inner.height});
        if (inner.height >= 0 && inner.width - s >= 0) movePanel(2, PixelRect{s, 0, inner.width, inner.height});
    }
    panelsLaid();
}

PixelRect SplitterCore::outlineRect() const {
    const PixelRect c = containerScreenRect();
    if (orientation_ == 1) return PixelRect{c.left, c.top + position_, c.right, c.top + position_ + splitterSize_};
    return PixelRect{c.left + position_, c.top, c.left + position_ + splitterSize_, c.bottom};
}

void SplitterCore::MouseDown(int button, int shift, int x, int y) {
    if (button != kLeftButton || !isBound()) return;
    bool cancel = false;
    if (BeforeDrag) BeforeDrag(x, y, cancel);
    if (cancel) return;
    dragging_ = true;
    dragStartCursor_ = cursorScreenPos();
    dragStartPosition_ = position_;
    confineCursor(containerScreenRect());
    if (!fullDrag_) {
        outline_ = outlineRect();
        drawDragBar(outline_);
    }
}

void SplitterCore::MouseMove(int button, int shift, int x, int y) {
    if (!isBound()) return;
    showResizeCursor(orientation_ == 1);
    if (!dragging_) return;
    const PixelPoint cursor = cursorScreenPos();
    if (!fullDrag_) drawDragBar(outline_);
    position_ = dragStartPosition_ +
                (orientation_ == 1 ? cursor.y - dragStartCursor_.y : cursor.x - dragStartCursor_.x);
    ClampPosition();
    if (fullDrag_) {
        LayoutPanels();
    } else {
        outline_ = outlineRect();
        drawDragBar(outline_);
    }
}

void SplitterCore::MouseUp(int button, int shift, int x, int y) {
    if (!isBound() || !dragging_) return;
    releaseCursor();
    const PixelPoint cursor = cursorScreenPos();
    if (!fullDrag_) drawDragBar(outline_);
    position_ = dragStartPosition_ +
                (orientation_ == 1 ? cursor.y - dragStartCursor_.y : cursor.x - dragStartCursor_.x);
    ClampPosition();
    LayoutPanels();
    UpdateProportion();
    dragging_ = false;
}

} // namespace twinsift
