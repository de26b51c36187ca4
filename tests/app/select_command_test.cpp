// The Select button's menu and the Ctrl+F1 ... Ctrl+F9 keys, as a user meets
// them in the window: the menu's items, the input box, the check boxes, the
// "selected" panel, and large-file mode.

#include "app_fixture.h"
#include "results/selection.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

struct SelectFromWindow : test::AppFixture {
    QStringList chosenMenu; // captions the scripted menu was shown with
    QString pick;           // caption of the item to choose; empty: close the menu
    QPoint menuAt;

    void SetUp() override {
        start();
        settings.bShowMsgAddFiles = false;
        showWindow();
        window().setMenuRunner([this](QMenu& menu, const QPoint& at) -> QAction* {
            menuAt = at;
            chosenMenu.clear();
            QAction* hit = nullptr;
            for (QAction* a : menu.actions()) {
                chosenMenu << (a->isSeparator() ? QStringLiteral("-")
                                                : a->text() + QLatin1Char('\t') + a->shortcut().toString());
                if (!pick.isEmpty() && a->text() == pick) hit = a;
            }
            return hit;
        });
    }
    // Opens one file through the Open button.
    void open(const std::string& name, const std::string& content) {
        dialogs.opens.push_back(files.write(name, content));
        ASSERT_TRUE(app->dispatch(AppCommand::Open));
        ASSERT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);
    }
    void menu(const QString& caption) {
        pick = caption;
        QToolButton* select = child<QToolButton>("cmdSelect");
        ASSERT_TRUE(select->isEnabled());
        select->click();
    }
    QString flags() const {
        QString s;
        for (std::int32_t i = 0; i < document.lstDuplicates.ListCount(); ++i)
            s += document.lstDuplicates.Selected(i) ? QLatin1Char('x') : QLatin1Char('.');
        return s;
    }
    QString checkBoxes() {
        const QAbstractItemModel& m = *window().dupView()->model();
        QString s;
        for (int r = 0; r < m.rowCount(); ++r)
            s += m.data(m.index(r, 0), Qt::CheckStateRole).toInt() == Qt::Checked ? QLatin1Char('x') : QLatin1Char('.');
        return s;
    }
    QString selectedPanel() { return window().panelText(QStringLiteral("selected")); }
    void key(int n, Qt::KeyboardModifiers mods) {
        QTest::keyClick(window().dupView(), static_cast<Qt::Key>(Qt::Key_F1 + n - 1), mods);
    }
    void highlight(int row) {
        QTableView* v = window().dupView();
        v->setCurrentIndex(v->model()->index(row, 0));
    }
};

// Groups: a (lines 1, 3, 6), b (2, 5), c (4, 7, 8).
const std::string kThreeGroups = "a\r\nb\r\na\r\nc\r\nb\r\na\r\nc\r\nc\r\n";

TEST_F(SelectFromWindow, MenuOpensBesideTheButtonWithItsItemsAndRunsTheChosenRule) {
    open("groups.txt", kThreeGroups);
    QAbstractItemModelTester tester(window().dupView()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    menu(QStringLiteral("All but first duplicate"));
    EXPECT_EQ(chosenMenu,
              (QStringList{QStringLiteral("All\tCtrl+F1"), QStringLiteral("None\tCtrl+F2"), QStringLiteral("-"),
                           QStringLiteral("Invert\tCtrl+F3"), QStringLiteral("-"),
                           QStringLiteral("All but first duplicate\tCtrl+F4"),
                           QStringLiteral("All but last duplicate\tCtrl+F5"), QStringLiteral("-"),
                           QStringLiteral("All but first x duplicates\tCtrl+F6"),
                           QStringLiteral("All but last x duplicates\tCtrl+F7"), QStringLiteral("-"),
                           QStringLiteral("All of currently marked kind\tCtrl+F8"),
                           QStringLiteral("None of currently marked kind\tCtrl+F9")}));
    QToolButton* select = child<QToolButton>("cmdSelect");
    EXPECT_EQ(menuAt, select->parentWidget()->mapToGlobal(QPoint(select->x() + select->width() + 1, select->y())));
    EXPECT_EQ(window().selectMenu()->objectName(), QStringLiteral("mnuSelect"));

    // Entries in group order: a1 a3 a6 b2 b5 c4 c7 c8.
    EXPECT_EQ(flags(), QStringLiteral(".xx.x.xx"));
    EXPECT_EQ(checkBoxes(), flags());
    EXPECT_EQ(selectedPanel(), QStringLiteral("5 of 8 dups. selected."));
    EXPECT_FALSE(window().inputBlocked());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Closing the menu without a choice changes nothing.
    menu(QString());
    EXPECT_EQ(flags(), QStringLiteral(".xx.x.xx"));

    menu(QStringLiteral("All but last duplicate"));
    EXPECT_EQ(flags(), QStringLiteral("xx.x.xx."));
    menu(QStringLiteral("Invert"));
    EXPECT_EQ(flags(), QStringLiteral("..x.x..x"));
    EXPECT_EQ(checkBoxes(), flags());
    EXPECT_EQ(selectedPanel(), QStringLiteral("3 of 8 dups. selected."));
    menu(QStringLiteral("None"));
    EXPECT_EQ(flags(), QStringLiteral("........"));
    EXPECT_EQ(selectedPanel(), QStringLiteral("0 of 8 dups. selected."));
}

TEST_F(SelectFromWindow, CtrlKeysRunTheCommandsOnlyWithoutShiftOrAltAndOnlyWithRows) {
    // No document yet: the keys do nothing, and nothing breaks.
    key(1, Qt::ControlModifier);
    EXPECT_TRUE(selectedPanel().isEmpty());

    open("groups.txt", kThreeGroups);
    key(1, Qt::ControlModifier | Qt::ShiftModifier);
    key(1, Qt::ControlModifier | Qt::AltModifier);
    key(1, Qt::NoModifier); // F1 alone is the help, not a selection
    EXPECT_EQ(flags(), QStringLiteral("........"));

    key(1, Qt::ControlModifier);
    EXPECT_EQ(flags(), QStringLiteral("xxxxxxxx"));
    EXPECT_EQ(checkBoxes(), flags());
    EXPECT_EQ(selectedPanel(), QStringLiteral("8 of 8 dups. selected."));
    key(2, Qt::ControlModifier);
    EXPECT_EQ(flags(), QStringLiteral("........"));
    key(4, Qt::ControlModifier);
    EXPECT_EQ(flags(), QStringLiteral(".xx.x.xx"));
    key(3, Qt::ControlModifier);
    EXPECT_EQ(flags(), QStringLiteral("x..x.x.."));
    key(5, Qt::ControlModifier);
    EXPECT_EQ(flags(), QStringLiteral("xx.x.xx."));

    // A key that arrives while a long command runs is refused.
    run.bBusy = true;
    key(2, Qt::ControlModifier);
    run.bBusy = false;
    EXPECT_EQ(flags(), QStringLiteral("xx.x.xx."));
}

TEST_F(SelectFromWindow, KeepCountPromptReadsTheLeadingNumberAndIgnoresEverythingElse) {
    open("groups.txt", kThreeGroups);
    const std::string id(msgid::kSelectKeepCount);

    boxes.answerInput(id, "2.5"); // halves go to the even neighbour: keep 2
    key(6, Qt::ControlModifier);
    ASSERT_FALSE(boxes.calls.empty());
    EXPECT_EQ(boxes.calls.back().text, "Select number of lines to keep:");
    EXPECT_EQ(flags(), QStringLiteral("..x....x"));
    EXPECT_EQ(selectedPanel(), QStringLiteral("2 of 8 dups. selected."));

    boxes.answerInput(id, " 1 line");
    key(7, Qt::ControlModifier); // all but last 1 = all but last
    EXPECT_EQ(flags(), QStringLiteral("xx.x.xx."));

    // Letters, a negative number, 0, an empty reply and Cancel change
    // nothing, not even the panel.
    const QString before = selectedPanel();
    for (const char* reply : {"abc", "-3", "0", ""}) {
        boxes.answerInput(id, reply);
        menu(QStringLiteral("All but first x duplicates"));
        EXPECT_EQ(flags(), QStringLiteral("xx.x.xx.")) << reply;
    }
    menu(QStringLiteral("All but last x duplicates")); // Cancel
    EXPECT_EQ(flags(), QStringLiteral("xx.x.xx."));
    EXPECT_EQ(selectedPanel(), before);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // A number beyond the 32-bit range is no count either.
    boxes.answerInput(id, "99999999999");
    key(6, Qt::ControlModifier);
    EXPECT_EQ(flags(), QStringLiteral("xx.x.xx."));
}

TEST_F(SelectFromWindow, GroupCommandsActOnTheHighlightedRowsGroup) {
    open("groups.txt", kThreeGroups);
    // Nothing highlighted yet: nothing happens.
    key(8, Qt::ControlModifier);
    EXPECT_EQ(flags(), QStringLiteral("........"));
    EXPECT_TRUE(selectedPanel().isEmpty());

    highlight(0); // first row of group a
    key(8, Qt::ControlModifier);
    EXPECT_EQ(flags(), QStringLiteral("xxx....."));
    EXPECT_EQ(selectedPanel(), QStringLiteral("3 of 8 dups. selected."));

    highlight(6); // middle row of group c
    menu(QStringLiteral("All of currently marked kind"));
    EXPECT_EQ(flags(), QStringLiteral("xxx..xxx"));
    EXPECT_EQ(checkBoxes(), flags());

    highlight(1);
    menu(QStringLiteral("None of currently marked kind"));
    EXPECT_EQ(flags(), QStringLiteral(".....xxx"));
    EXPECT_EQ(selectedPanel(), QStringLiteral("3 of 8 dups. selected."));
}

TEST_F(SelectFromWindow, TickingABoxWhileACommandRunsLeavesBoxAndFlagAlone) {
    open("groups.txt", kThreeGroups);
    // The command lets window events run once before it ends; a click that
    // was waiting reaches the box then.
    bool ticked = false, disabled = false, hourglass = false;
    QTimer::singleShot(0, &window(), [&] {
        ticked = true;
        disabled = window().inputBlocked();
        // A click that reaches the window now goes nowhere.
        QTest::mouseClick(child<QToolButton>("cmdSave"), Qt::LeftButton);
        hourglass = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        app->selection().lwDups_ItemCheck(0);
    });
    key(4, Qt::ControlModifier);
    ASSERT_TRUE(ticked);
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(hourglass);
    EXPECT_EQ(windows.saveOptions, 0);
    EXPECT_TRUE(dialogs.saveRequests.empty());
    EXPECT_FALSE(window().inputBlocked());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(flags(), QStringLiteral(".xx.x.xx"));
    EXPECT_EQ(checkBoxes(), flags());
    EXPECT_EQ(selectedPanel(), QStringLiteral("5 of 8 dups. selected."));

    // Afterwards the same tick flips the flag and the count.
    app->selection().lwDups_ItemCheck(0);
    EXPECT_EQ(flags(), QStringLiteral("xxx.x.xx"));
    EXPECT_EQ(checkBoxes(), flags());
    EXPECT_EQ(selectedPanel(), QStringLiteral("6 of 8 dups. selected."));
}

TEST_F(SelectFromWindow, LargeFileModeSelectsThroughTheButtonOnly) {
    settings.listviewPreviewCutoff = 3;
    open("groups.txt", kThreeGroups);
    ASSERT_TRUE(document.bNoDisplay);
    EXPECT_EQ(window().dupView()->model()->rowCount(), 0);
    key(1, Qt::ControlModifier);
    EXPECT_EQ(flags(), QStringLiteral("........"));

    menu(QStringLiteral("All but first duplicate"));
    EXPECT_EQ(flags(), QStringLiteral(".xx.x.xx"));
    EXPECT_EQ(selectedPanel(), QStringLiteral("5 of 8 dups. selected."));
    // No highlighted row in an empty view: the group commands do nothing.
    menu(QStringLiteral("None of currently marked kind"));
    EXPECT_EQ(flags(), QStringLiteral(".xx.x.xx"));
}

} // namespace
} // namespace twinsift
