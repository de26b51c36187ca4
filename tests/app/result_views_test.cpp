#include "app_fixture.h"

#include "app/ui/qt_command_port.h"
#include "app/ui/result_models.h"
#include "platform/message_ids.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QColor>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTableView>
#include <QUrl>
#include <gtest/gtest.h>

#include <functional>

namespace twinsift {
namespace {

QString rowText(const QAbstractItemModel& m, int row) { return m.data(m.index(row, 0)).toString(); }
QVariant rowColour(const QAbstractItemModel& m, int row) { return m.data(m.index(row, 0), Qt::ForegroundRole); }
QColor rgb(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// Lines "line 1" ... "line n"; every line i also appears as line i + half
// when pairs is set, so that each line has one duplicate.
std::string numberedLines(int n, bool pairs = false) {
    std::string s;
    for (int i = 1; i <= n; ++i) s += "line " + std::to_string(pairs ? (i - 1) % (n / 2) + 1 : i) + "\r\n";
    return s;
}

struct ResultViews : test::AppFixture {
    QTableView* lwShow = nullptr;
    QTableView* lwDups = nullptr;
    std::unique_ptr<QAbstractItemModelTester> showTester, dupsTester;

    void SetUp() override {
        settings.bShowQuickstartWindow = false;
    }
    void startWindow() {
        start();
        showWindow();
        lwShow = child<QTableView>("lwShow");
        lwDups = child<QTableView>("lwDups");
        showTester = std::make_unique<QAbstractItemModelTester>(
            lwShow->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        dupsTester = std::make_unique<QAbstractItemModelTester>(
            lwDups->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    QToolButton* button(const char* name) { return child<QToolButton>(name); }
    QString status() { return window().panelText(QStringLiteral("status")); }
    // Opens the file through the Open button and its file dialog.
    void openFile(const std::string& path) {
        dialogs.opens.push_back(path);
        button("cmdScan")->click();
    }
    void leftClickRow(QTableView* view, int row) {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    }
    void rightClickRow(QTableView* view, int row) {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, r.isValid() ? r.center() : QPoint(20, 20));
    }
    bool anyMenuOpen() {
        const bool open = window().popupDups()->isVisible() || window().popupSource()->isVisible();
        window().popupDups()->hide();
        window().popupSource()->hide();
        return open;
    }
    void drop(QMimeData* data) {
        QWidget* target = lwShow->viewport();
        const QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDropEvent dropEvent(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &dropEvent);
    }
    void waitFor(const std::function<bool()>& done) {
        QDeadlineTimer deadline(10000);
        while (!done() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

TEST_F(ResultViews, CancelledFirstDialogLeavesAnEmptyWindowWithoutAWord) {
    startWindow();
    button("cmdScan")->click();
    EXPECT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].filter, std::string(ScanDriver::kOpenFilter));
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(windows.loadOptions, 0);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_FALSE(button("cmdSave")->isEnabled());
    EXPECT_FALSE(button("cmdSelect")->isEnabled());
    EXPECT_FALSE(button("cmdShowCopySave")->isEnabled());
    EXPECT_TRUE(button("cmdScan")->isEnabled());
    EXPECT_EQ(lwShow->model()->rowCount(), 0);
}

TEST_F(ResultViews, TwoFilesWithYesThenNoLoadInOrderAndNameTheCaption) {
    settings.bShowMsgAddFiles = true;
    startWindow();
    boxes.answer(std::string(msgid::kScanAddFile), MsgResult::Yes);
    boxes.answer(std::string(msgid::kScanAddFile), MsgResult::No);
    dialogs.opens.push_back(files.write("a.txt", "x\r\ny\r\n"));
    openFile(files.write("b.txt", "x\r\nz\r\n"));
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Twinsift 6.16 - [a.txt, b.txt]"));
    ASSERT_EQ(lwShow->model()->rowCount(), 4);
    EXPECT_EQ(rowText(*lwShow->model(), 2), QStringLiteral("x"));
    EXPECT_EQ(rowText(*lwShow->model(), 3), QStringLiteral("z"));
    EXPECT_EQ(status(), QStringLiteral("Scanned 4 lines: Found 2 duplicate lines with 1 unique duplicates!"));
    EXPECT_EQ(dialogs.openRequests[1].initialFile, files.path().string() + "/a.txt");

    // Without multiple-file support no question is asked.
    settings.bShowMsgAddFiles = false;
    boxes.calls.clear();
    openFile(files.write("c.txt", "q\r\nq\r\n"));
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Twinsift 6.16 - [c.txt]"));

    // A workbook after a text file is refused.
    settings.bShowMsgAddFiles = true;
    boxes.answer(std::string(msgid::kScanAddFile), MsgResult::Yes);
    dialogs.opens.push_back(files.write("d.txt", "q\r\n"));
    openFile((test::testdataDir() / "office/excel/multi_sheet.xlsx").string());
    ASSERT_FALSE(boxes.calls.empty());
    EXPECT_EQ(boxes.calls.back().text, "Can't combine textfiles and Word/Excel files! Scan aborted...");
    EXPECT_EQ(boxes.calls.back().icon, MsgIcon::Warning);
    EXPECT_FALSE(button("cmdSave")->isEnabled());
    EXPECT_EQ(lwShow->model()->rowCount(), 0);
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Twinsift 6.16"));
}

TEST_F(ResultViews, LineLimitKeepsBothViewsEmptyButCountsEverything) {
    settings.listviewPreviewCutoff = 10;
    startWindow();
    openFile(files.write("fifty.txt", numberedLines(50, true)));
    ASSERT_EQ(lwShow->model()->rowCount(), 1);
    EXPECT_EQ(rowText(*lwShow->model(), 0),
              QStringLiteral("Large file loaded - visual display turned off (change in settings)"));
    EXPECT_EQ(lwDups->model()->rowCount(), 0);
    EXPECT_EQ(status(), QStringLiteral("Scanned 50 lines: Found 50 duplicate lines with 25 unique duplicates!"));
    // No menu and no navigation in large-file mode.
    rightClickRow(lwShow, 0);
    EXPECT_FALSE(anyMenuOpen());
    leftClickRow(lwShow, 0);
    EXPECT_TRUE(window().panelText(QStringLiteral("line")).isEmpty());
}

TEST_F(ResultViews, StopQuestionYesEndsEveryPhase) {
    for (const char* phase : {"Loading... ", "Finding duplicates... ", "Displaying duplicates... "}) {
        SCOPED_TRACE(phase);
        if (!app) {
            startWindow();
            // Every batch of lines lets the user's click in, however quick.
            dynamic_cast<QtCommandPort&>(app->port()).setPumpInterval(0);
        }
        boxes.calls.clear();
        boxes.answer(std::string(msgid::kScanStop), MsgResult::Yes);
        // The user presses Cancel once the phase shows in the status bar.
        bool pressed = false;
        bool menuWhileBusy = false;
        QTimer user;
        user.setInterval(0);
        QObject::connect(&user, &QTimer::timeout, [&] {
            if (pressed || !status().startsWith(QString::fromLatin1(phase))) return;
            QToolButton* stop = button("cmdStop");
            if (!stop->isVisible() || !stop->isEnabled()) return;
            if (lwShow->model()->rowCount() > 0) {
                rightClickRow(lwShow, 0);
                menuWhileBusy = anyMenuOpen();
            }
            pressed = true;
            stop->click();
        });
        user.start();
        openFile(files.write("pairs.txt", numberedLines(600, true)));
        user.stop();
        ASSERT_TRUE(pressed);
        EXPECT_FALSE(menuWhileBusy);
        ASSERT_FALSE(boxes.calls.empty());
        EXPECT_EQ(boxes.calls.back().text, "Are you sure you want to stop processing?");
        EXPECT_EQ(boxes.calls.back().icon, MsgIcon::Question);
        EXPECT_TRUE(status().endsWith(QStringLiteral("(Interuppted by user)"))) << status().toStdString();
        EXPECT_FALSE(button("cmdSave")->isEnabled());
        EXPECT_FALSE(button("cmdSelect")->isEnabled());
        EXPECT_FALSE(button("cmdShowCopySave")->isEnabled());
        EXPECT_TRUE(button("cmdScan")->isVisible());
        EXPECT_FALSE(button("cmdStop")->isVisible());
        EXPECT_TRUE(button("cmdSettings")->isEnabled());
        EXPECT_EQ(window().windowTitle(), QStringLiteral("Twinsift 6.16"));
        EXPECT_FALSE(run.bBusy);
    }
}

TEST_F(ResultViews, LoadingShowsProgressAfterEveryFiftiethLine) {
    startWindow();
    dynamic_cast<QtCommandPort&>(app->port()).setPumpInterval(0);
    // What a person sees each time the window gets to repaint while loading.
    QStringList seen;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const QString s = status();
        if (s.startsWith(QStringLiteral("Loading... ")) && (seen.isEmpty() || seen.back() != s)) seen << s;
    });
    watcher.start();
    openFile(files.write("two-hundred.txt", numberedLines(200)));
    watcher.stop();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Loading... 25%"), QStringLiteral("Loading... 50%"),
                                 QStringLiteral("Loading... 75%")}));
    EXPECT_EQ(status(), QStringLiteral("No duplicate lines found..."));
}

TEST_F(ResultViews, SevenGroupsWrapToTheFirstColourInBothViews) {
    startWindow();
    std::string text;
    for (char g = 'a'; g < 'a' + 7; ++g) text += std::string(1, g) + "\r\n" + std::string(1, g) + "\r\n";
    openFile(files.write("seven.txt", text + "single\r\n"));
    const QAbstractItemModel& dups = *lwDups->model();
    ASSERT_EQ(dups.rowCount(), 14);
    for (int group = 0; group < 7; ++group) {
        const QColor expected = rgb(kDisplayColors[static_cast<std::size_t>(group % 6)]);
        EXPECT_EQ(rowColour(dups, 2 * group).value<QColor>(), expected) << group;
        EXPECT_EQ(rowColour(dups, 2 * group + 1).value<QColor>(), expected) << group;
        EXPECT_EQ(rowColour(*lwShow->model(), 2 * group).value<QColor>(), expected) << group;
    }
    EXPECT_FALSE(rowColour(*lwShow->model(), 14).isValid());
    // Nothing is highlighted after a scan.
    EXPECT_FALSE(lwShow->selectionModel()->hasSelection());
    EXPECT_FALSE(lwDups->selectionModel()->hasSelection());

    // Colours off: no row has one.
    settings.iDisplayColors = 0;
    openFile(files.write("seven2.txt", text));
    EXPECT_FALSE(rowColour(*lwDups->model(), 0).isValid());
    EXPECT_FALSE(rowColour(*lwShow->model(), 0).isValid());
}

TEST_F(ResultViews, ClickingARowFindsTheSameLineInTheOtherView) {
    startWindow();
    // Line 5 and line 12 are "five"; line 7 has no duplicate.
    std::string text;
    for (int i = 1; i <= 12; ++i) text += (i == 5 || i == 12 ? std::string("five") : "l" + std::to_string(i)) + "\r\n";
    openFile(files.write("twelve.txt", text));
    const QAbstractItemModel& dups = *lwDups->model();
    ASSERT_EQ(dups.rowCount(), 2);
    EXPECT_EQ(rowText(dups, 0), QStringLiteral("[05]   five"));

    leftClickRow(lwDups, 1);
    EXPECT_EQ(lwShow->currentIndex().row(), 11);
    EXPECT_TRUE(lwShow->selectionModel()->isRowSelected(11, QModelIndex()));
    EXPECT_EQ(window().panelText(QStringLiteral("line")), QStringLiteral("Line 12"));

    leftClickRow(lwShow, 4);
    EXPECT_EQ(window().panelText(QStringLiteral("line")), QStringLiteral("Line 5"));
    EXPECT_EQ(lwDups->currentIndex().row(), 0);
    EXPECT_TRUE(lwDups->selectionModel()->isRowSelected(0, QModelIndex()));

    // A line without a duplicate row only moves the "line" panel.
    leftClickRow(lwShow, 6);
    EXPECT_EQ(window().panelText(QStringLiteral("line")), QStringLiteral("Line 7"));
    EXPECT_EQ(lwDups->currentIndex().row(), 0);
}

TEST_F(ResultViews, CopyPutsTheHighlightedRowOnTheClipboardWithoutALineBreak) {
    startWindow();
    std::string text;
    for (int i = 1; i <= 1000; ++i) text += (i == 5 || i == 900 ? std::string("dup") : "u" + std::to_string(i)) + "\r\n";
    openFile(files.write("thousand.txt", text));
    desktop.clipboard = "before";

    // Nothing highlighted: nothing happens.
    window().popupDups()->actions().front()->trigger();
    EXPECT_EQ(desktop.clipboard, "before");

    leftClickRow(lwDups, 0);
    rightClickRow(lwDups, 0);
    ASSERT_TRUE(window().popupDups()->isVisible());
    window().popupDups()->actions().front()->trigger();
    window().popupDups()->hide();
    EXPECT_EQ(desktop.clipboard, "[0005]   dup");

    leftClickRow(lwShow, 899);
    rightClickRow(lwShow, 899);
    ASSERT_TRUE(window().popupSource()->isVisible());
    EXPECT_EQ(window().popupSource()->actions().front()->text(), QStringLiteral("Copy to clipboard"));
    window().popupSource()->actions().front()->trigger();
    window().popupSource()->hide();
    EXPECT_EQ(desktop.clipboard, "dup");
    leftClickRow(lwShow, 1);
    window().popupSource()->actions().front()->trigger();
    EXPECT_EQ(desktop.clipboard, "u2");
}

TEST_F(ResultViews, RightClickOnAnEmptyViewOpensNoMenu) {
    startWindow();
    rightClickRow(lwShow, 0);
    rightClickRow(lwDups, 0);
    EXPECT_FALSE(anyMenuOpen());
    // A file without duplicates: the source view has rows, the other none.
    openFile(files.write("unique.txt", "a\r\nb\r\n"));
    rightClickRow(lwDups, 0);
    EXPECT_FALSE(anyMenuOpen());
    rightClickRow(lwShow, 0);
    EXPECT_TRUE(anyMenuOpen());
}

TEST_F(ResultViews, DroppedFilesOpenInDropOrderAsOneDocument) {
    startWindow();
    const std::string a = files.write("one.txt", "same\r\n");
    const std::string b = files.write("two.txt", "other\r\n");
    const std::string c = files.write("three.txt", "same\r\n");

    // Text is not a list of files.
    auto* textOnly = new QMimeData;
    textOnly->setText(QStringLiteral("hello"));
    drop(textOnly);
    delete textOnly;
    QApplication::processEvents();
    EXPECT_EQ(lwShow->model()->rowCount(), 0);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(c)), QUrl::fromLocalFile(QString::fromStdString(a)),
                  QUrl::fromLocalFile(QString::fromStdString(b))});
    drop(&data);
    waitFor([&] { return app->scanDriver().outcome() != ScanOutcome::NoFile; });
    ASSERT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Twinsift 6.16 - [three.txt, one.txt, two.txt]"));
    ASSERT_EQ(lwShow->model()->rowCount(), 3);
    EXPECT_EQ(rowText(*lwShow->model(), 2), QStringLiteral("other"));
    EXPECT_EQ(rowText(*lwDups->model(), 1), QStringLiteral("[2]   same"));
    EXPECT_TRUE(dialogs.openRequests.empty());
    EXPECT_FALSE(run.bDropOpen);

    // A drop while a command runs is refused, now and later.
    QMimeData late;
    late.setUrls({QUrl::fromLocalFile(QString::fromStdString(b))});
    bool dropped = false;
    windows.onLoadOptions = [&] {
        if (!dropped) {
            dropped = true;
            drop(&late);
        }
        return true;
    };
    openFile(a);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_TRUE(dropped);
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Twinsift 6.16 - [one.txt]"));
    EXPECT_EQ(windows.loadOptions, 2);
}

TEST_F(ResultViews, CheckBoxesFollowTheUserAndCountTheSelection) {
    startWindow();
    openFile(files.write("pairs.txt", "a\r\na\r\nb\r\nb\r\n"));
    QAbstractItemModel& dups = *lwDups->model();
    ASSERT_EQ(dups.rowCount(), 4);
    EXPECT_TRUE(dups.flags(dups.index(1, 0)) & Qt::ItemIsUserCheckable);

    // The check box at the left of the row, as a user clicks it.
    const QRect r = lwDups->visualRect(dups.index(1, 0));
    QTest::mouseClick(lwDups->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 10, r.center().y()));
    EXPECT_EQ(dups.data(dups.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(document.lstDuplicates.Selected(1));
    EXPECT_EQ(window().panelText(QStringLiteral("selected")), QStringLiteral("1 of 4 dups. selected."));

    ASSERT_TRUE(dups.setData(dups.index(3, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(window().panelText(QStringLiteral("selected")), QStringLiteral("2 of 4 dups. selected."));
    ASSERT_TRUE(dups.setData(dups.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(document.lstDuplicates.Selected(1));
    EXPECT_EQ(window().panelText(QStringLiteral("selected")), QStringLiteral("1 of 4 dups. selected."));

    // While a command runs the box stays as its flag says.
    run.bBusy = true;
    dups.setData(dups.index(0, 0), Qt::Checked, Qt::CheckStateRole);
    run.bBusy = false;
    EXPECT_FALSE(document.lstDuplicates.Selected(0));
    EXPECT_EQ(dups.data(dups.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(window().panelText(QStringLiteral("selected")), QStringLiteral("1 of 4 dups. selected."));
}

} // namespace
} // namespace twinsift
