#pragma once
// The splitter between two panels of a container. The owner forwards the
// mouse events of the bar area (`mouseEvent`) and the container's resize
// (`Resize`); everything the splitter decides lives in SplitterCore.

#include "widgets/splitter_core.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QMouseEvent;

namespace twinsift {

class DragOutlineOverlay;

class cSplitter final : public SplitterCore {
public:
    cSplitter();
    ~cSplitter() override;

    QWidget* Container() const { return container_; }
    void setContainer(QWidget* container) { container_ = container; }

    // Moves both controls into the container (the first control's parent
    // when no container is set yet) and lays them out.
    void Bind(QWidget* first, QWidget* second);

    // Forwards a mouse press, move or release of a control in the bar area.
    void mouseEvent(QMouseEvent* event);

    // Runs after every layout of the panels; the main window keeps the
    // decorations of the bar in place with it.
    std::function<void()> onPanelsLaid;

    // The outline of a drag without FullDrag, as it is on screen now (screen
    // coordinates); empty when none is shown.
    std::optional<PixelRect> visibleOutline() const;

protected:
    bool hasContainer() const override;
    bool isBound() const override;
    PixelSize containerClientSize() const override;
    PixelRect containerScreenRect() const override;
    void movePanel(int panel, const PixelRect& rect) override;
    void panelsLaid() override;
    PixelPoint cursorScreenPos() override;
    void confineCursor(const PixelRect& screenRect) override;
    void releaseCursor() override;
    void showResizeCursor(bool northSouth) override;
    void drawDragBar(const PixelRect& screenRect) override;
    void createDragBrush() override;
    void releaseDragBrush() override;

private:
    QPointer<QWidget> container_;
    QPointer<QWidget> panel1_;
    QPointer<QWidget> panel2_;
    std::optional<QRect> confine_;
    std::optional<QPoint> eventCursor_;
    QPointer<DragOutlineOverlay> overlay_;
    bool haveBrush_ = false;
};

} // namespace twinsift
