#include "app/ui/qt_command_port.h"

#include "app/ui/frm_main.h"
#include "app/ui/result_models.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QTableView>

#include <algorithm>
#include <utility>
#include <limits>

namespace twinsift {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string utf8(const QString& s) { return s.toUtf8().toStdString(); }

std::int32_t clampInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

} // namespace

QtCommandPort::~QtCommandPort() {
    if (overrideCursor_) QApplication::restoreOverrideCursor();
}

namespace {

int panelSlot(std::string_view key) {
    if (key == "status") return 0;
    if (key == "selected") return 1;
    if (key == "line") return 2;
    return -1;
}

constexpr std::string_view kPanelKeys[3] = {"status", "selected", "line"};

} // namespace

void QtCommandPort::setPanelText(std::string_view key, std::string_view text) {
    if (batchingChecks_) {
        if (const int slot = panelSlot(key); slot >= 0) {
            pendingPanels_[slot].text.assign(text);
            pendingPanels_[slot].set = true;
            return;
        }
    }
    window_.setPanelText(qs(key), qs(text));
}

std::string QtCommandPort::panelText(std::string_view key) const {
    if (const int slot = panelSlot(key); slot >= 0 && pendingPanels_[slot].set) return pendingPanels_[slot].text;
    return utf8(window_.panelText(qs(key)));
}

void QtCommandPort::flushPanels() {
    for (int slot = 0; slot < 3; ++slot) {
        PendingPanel& p = pendingPanels_[slot];
        if (!p.set) continue;
        p.set = false;
        window_.setPanelText(qs(kPanelKeys[slot]), qs(p.text));
    }
}

void QtCommandPort::setCaption(std::string_view caption) { window_.setWindowTitle(qs(caption)); }

void QtCommandPort::setMousePointer(MousePointer pointer) {
    if (pointer == MousePointer::Default) {
        if (overrideCursor_) QApplication::restoreOverrideCursor();
        overrideCursor_ = false;
        return;
    }
    const QCursor cursor(pointer == MousePointer::Hourglass ? Qt::WaitCursor : Qt::BusyCursor);
    if (overrideCursor_)
        QApplication::changeOverrideCursor(cursor);
    else
        QApplication::setOverrideCursor(cursor);
    overrideCursor_ = true;
}

void QtCommandPort::setProgressRange(std::int64_t min, std::int64_t max) {
    window_.progressBar().setMin(clampInt32(min));
    window_.progressBar().setMax(clampInt32(max));
}

void QtCommandPort::setProgressValue(std::int64_t value) { window_.progressBar().setValue(clampInt32(value)); }

void QtCommandPort::pumpEvents() {
    // A handler run from here may itself pump; the inner call must not
    // start a second event loop pass under the first.
    if (pumping_) return;
    // What a selection walk held back reaches the window now, pumped or not.
    flushDupChecks();
    flushPanels();
    // The command asks every batch of lines; a person sees a few dozen
    // pictures a second. Between those the new status text and progress wait
    // in their controls, and the event queue (Cancel with it) waits too.
    // Only a long command (Cancel shown) pumps that often; a selection walk
    // lets events run once and must not be skipped.
    const bool longCommand = window_.button(CmdButton::Stop)->isVisibleTo(&window_);
    if (longCommand && lastPump_.isValid() && lastPump_.elapsed() < pumpIntervalMs_) return;
    pumping_ = true;
    // A view lays out all its rows again when it hears of new ones, so the
    // larger the views the rarer they are told: the laying out stays about a
    // tenth of the command's time whatever the size of the file.
    if (!lastFlush_.isValid() || lastFlush_.elapsed() >= std::max<qint64>(pumpIntervalMs_, 10 * flushCostMs_))
        flushRows();
    QCoreApplication::processEvents();
    lastPump_.start();
    pumping_ = false;
}

void QtCommandPort::flushRows() {
    // Called before every check-box change of a walk: nothing pending must
    // cost nothing (reading the clock here doubled the time of "All").
    if (pendingShowRows_ < 0 && pendingDupRows_ < 0) return;
    lastFlush_.start();
    if (pendingShowRows_ >= 0) {
        window_.showModel().setRows(std::exchange(pendingShowRows_, -1));
        // Laid out now rather than at some later pass of the event loop, so
        // that its cost is known and paced.
        window_.showView()->doItemsLayout();
    }
    if (pendingDupRows_ >= 0) {
        window_.dupModel().setRows(std::exchange(pendingDupRows_, -1));
        window_.dupView()->doItemsLayout();
        // The source rows of the new entries took their group's colour; the
        // view reads colours when it paints, so a repaint is all it needs.
        window_.showView()->viewport()->update();
    }
    flushCostMs_ = lastFlush_.elapsed();
}

void QtCommandPort::scheduleFlush() {
    // Whatever way a command ends, the views catch up once the window is
    // idle again.
    if (flushScheduled_) return;
    flushScheduled_ = true;
    QTimer::singleShot(0, &flushContext_, [this] {
        flushScheduled_ = false;
        flushRows();
    });
}

void QtCommandPort::setButtonEnabled(CmdButton button, bool enabled) {
    if (QToolButton* b = window_.button(button)) b->setEnabled(enabled);
}

void QtCommandPort::setButtonVisible(CmdButton button, bool visible) {
    if (QToolButton* b = window_.button(button)) b->setVisible(visible);
}

void QtCommandPort::setButtonFocus(CmdButton button) {
    if (QToolButton* b = window_.button(button)) b->setFocus();
}

void QtCommandPort::refreshButtonBar() { window_.RefreshButtonBar(); }

void QtCommandPort::setDupRowChecked(std::int32_t index, bool) { dupRowsChecked(index, index); }

void QtCommandPort::dupRowsChecked(std::int32_t first, std::int32_t last) {
    // The model reads the boxes from the entries' flags, which are already
    // written; while a walk holds the window the range waits for its end.
    if (dirtyFirst_ < 0 || first < dirtyFirst_) dirtyFirst_ = first;
    if (last > dirtyLast_) dirtyLast_ = last;
    if (!batchingChecks_) flushDupChecks();
}

void QtCommandPort::flushDupChecks() {
    if (dirtyFirst_ < 0) return;
    flushRows(); // the range must lie within the rows the model has
    std::int32_t first = dirtyFirst_, last = dirtyLast_;
    dirtyFirst_ = dirtyLast_ = -1;
    // The view walks every row of a changed range (a million after "All"),
    // though it reads a box from its flag only when it paints the row. A
    // long range is therefore told only where it meets the rows on screen;
    // the others show their flags when they are scrolled to.
    constexpr std::int32_t kLongRange = 256;
    QTableView* view = window_.dupView();
    if (last - first + 1 > kLongRange) {
        const QRect area = view->viewport()->rect();
        const QModelIndex top = view->indexAt(area.topLeft());
        const QModelIndex bottom = view->indexAt(QPoint(area.left(), area.bottom()));
        const std::int32_t shownFirst = top.isValid() ? top.row() : 0;
        const std::int32_t shownLast = bottom.isValid() ? bottom.row() : window_.dupModel().rowCount() - 1;
        first = std::max(first, shownFirst);
        last = std::min(last, std::min(shownLast, shownFirst + kLongRange));
        view->viewport()->update();
    }
    if (first <= last) window_.dupModel().rowsChanged(first, last, {Qt::CheckStateRole});
}

std::int32_t QtCommandPort::highlightedDupRow() const {
    const_cast<QtCommandPort*>(this)->flushRows();
    const QModelIndex current = window_.dupView()->currentIndex();
    if (!current.isValid() || !window_.dupView()->selectionModel()->isSelected(current)) return -1;
    return current.row();
}

void QtCommandPort::setMainWindowEnabled(bool enabled) {
    batchingChecks_ = !enabled;
    if (enabled) {
        flushDupChecks();
        flushPanels();
    }
    window_.setInputBlocked(!enabled);
}

void QtCommandPort::clearListViews() {
    pendingShowRows_ = pendingDupRows_ = -1;
    window_.showModel().clear();
    window_.dupModel().clear();
}

void QtCommandPort::showRowsAdded(std::int32_t rowCount) {
    pendingShowRows_ = rowCount;
    scheduleFlush();
}

void QtCommandPort::showRowChanged(std::int32_t row) {
    flushRows();
    window_.showModel().rowsChanged(row, row, {Qt::DisplayRole});
}

void QtCommandPort::showNoticeRow(std::string_view) {
    // The model reads the notice from the ResultsView, like every other row.
    pendingShowRows_ = -1;
    window_.showModel().clear();
    window_.showModel().setRows(1);
}

void QtCommandPort::setDupViewDisplayOption(bool on) {
    // Large-file mode leaves the duplicate view empty; grey it out so it does
    // not look like a scan that found nothing.
    window_.dupView()->setEnabled(on);
}

void QtCommandPort::dupRowsAdded(std::int32_t rowCount) {
    pendingDupRows_ = rowCount;
    scheduleFlush();
}

void QtCommandPort::unselectViewRows() {
    flushRows();
    for (QTableView* view : {window_.showView(), window_.dupView()}) {
        view->selectionModel()->clearSelection();
        view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void QtCommandPort::refreshViews() {
    flushRows();
    for (QTableView* view : {window_.showView(), window_.dupView()}) view->viewport()->update();
}

} // namespace twinsift
