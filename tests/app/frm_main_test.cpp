#include "app/ui/frm_main.h"
#include "scan/document.h"
#include "settings/settings_values.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

// The window with the collaborators main() would hand it.
struct MainWindowFixture : ::testing::Test {
    SettingsValues settings = SettingsValues::Defaults();
    LoadedDocument document;
    RunState run;
    frmMain window{settings, document, run};

    void resizeClient(int w, int h) {
        window.resize(w, h);
        QApplication::processEvents();
        ASSERT_EQ(window.size(), QSize(w, h));
    }
    // A mouse event on the splitter's container at container-local y.
    void mouseOnSplit(QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPointF local(100, y);
        QMouseEvent ev(type, local, window.picSplit->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(window.picSplit, &ev);
    }
};

TEST_F(MainWindowFixture, StartsShowsAndClosesOffscreen) {
    window.show();
    QApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Twinsift 6.16"));
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowFixture, ClosingIsRefusedWhileACommandRuns) {
    window.show();
    run.bBusy = true;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    run.bBusy = false;
    EXPECT_TRUE(window.close());
}

TEST_F(MainWindowFixture, CancelOnlyRaisesTheFlag) {
    window.show();
    window.cmdStop->show();
    window.cmdStop->click();
    EXPECT_TRUE(run.bCancelRequested);
    EXPECT_FALSE(run.bBusy);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowFixture, ButtonsSitAtTheirDesignPlacesWithCaptionsAndTips) {
    struct Expect {
        QToolButton* button;
        const char* caption;
        int top;
    };
    const Expect buttons[] = {{window.cmdScan, "Open", 8},        {window.cmdSave, "Save As", 66},
                              {window.cmdSelect, "Select", 124},  {window.cmdShowCopySave, "Tools", 198},
                              {window.cmdSettings, "Settings", 256}, {window.cmdAbout, "About", 314}};
    for (const Expect& e : buttons) {
        EXPECT_EQ(e.button->text(), QString::fromLatin1(e.caption));
        EXPECT_EQ(e.button->geometry(), QRect(8, e.top, 57, 54)) << e.caption;
    }
    EXPECT_EQ(window.cmdScan->toolTip(),
              QStringLiteral("Open a text file, Word document or Excel spradsheet and scan for duplicates lines/rows."));

    // Cancel waits hidden on top of Open.
    EXPECT_EQ(window.cmdStop->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(window.cmdStop->geometry(), window.cmdScan->geometry());
    EXPECT_TRUE(window.cmdStop->isHidden());

    // Until a document is loaded.
    EXPECT_TRUE(window.cmdScan->isEnabled());
    EXPECT_FALSE(window.cmdSave->isEnabled());
    EXPECT_FALSE(window.cmdSelect->isEnabled());
    EXPECT_FALSE(window.cmdShowCopySave->isEnabled());
    EXPECT_TRUE(window.cmdSettings->isEnabled());
    EXPECT_TRUE(window.cmdAbout->isEnabled());

    // Tab order follows the buttons from Open to About.
    EXPECT_EQ(window.cmdScan->nextInFocusChain(), window.cmdSave);
    EXPECT_EQ(window.cmdSettings->nextInFocusChain(), window.cmdAbout);
}

TEST_F(MainWindowFixture, ListsLabelsAndStatusPanels) {
    EXPECT_EQ(window.lwShow->model()->columnCount(), 1);
    EXPECT_EQ(window.lwShow->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Lines"));
    EXPECT_EQ(window.lwDups->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Duplicates"));
    EXPECT_EQ(window.lwShow->parentWidget(), window.picSplit);
    EXPECT_EQ(window.lwDups->parentWidget(), window.picSplit);

    window.setPanelText(QStringLiteral("status"), QStringLiteral("Loading..."));
    window.setPanelText(QStringLiteral("selected"), QStringLiteral("2 of 9 dups. selected."));
    window.setPanelText(QStringLiteral("line"), QStringLiteral("Line 7"));
    window.setPanelText(QStringLiteral("nope"), QStringLiteral("x"));
    EXPECT_EQ(window.panelText(QStringLiteral("status")), QStringLiteral("Loading..."));
    EXPECT_EQ(window.panelText(QStringLiteral("selected")), QStringLiteral("2 of 9 dups. selected."));
    EXPECT_EQ(window.panelText(QStringLiteral("line")), QStringLiteral("Line 7"));
    EXPECT_EQ(window.panelText(QStringLiteral("nope")), QString());
    EXPECT_EQ(window.StatusBar->height(), 25);
}

TEST_F(MainWindowFixture, ResizeLetsTheListsShareTheContainerHeight) {
    window.show();
    resizeClient(600, 500);  // 9000 x 7500 twips
    EXPECT_EQ(window.picSplit->geometry(), QRect(75, 24, 517, 445));
    EXPECT_EQ(window.oSplitter.Position(), 222);  // 222.5, halves to even
    EXPECT_EQ(window.lwShow->geometry(), QRect(0, 0, 517, 222));
    EXPECT_EQ(window.lwDups->geometry(), QRect(0, 246, 517, 199));
    EXPECT_EQ(window.lblDups->y(), 229);
    EXPECT_EQ(window.imgDragbar->pos(), QPoint(258, 233));
    EXPECT_EQ(window.lwShow->header()->sectionSize(0), 517 - 21);
    EXPECT_EQ(window.picProgressbar->geometry(), QRect(8, 388, 57, 80));

    // Below 6300 twips of client height the progress area keeps its height.
    resizeClient(600, 400);
    EXPECT_EQ(window.picProgressbar->height(), 80);
    EXPECT_EQ(window.lwShow->height(), 172);  // round(0.5 * 345) = 172
}

TEST_F(MainWindowFixture, DraggingTheBarMovesTheListsAndItsLabel) {
    window.show();
    resizeClient(600, 500);
    mouseOnSplit(QEvent::MouseButtonPress, 230, Qt::LeftButton, Qt::LeftButton);
    mouseOnSplit(QEvent::MouseMove, 130, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.lwShow->height(), 122);
    mouseOnSplit(QEvent::MouseButtonRelease, 130, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(window.lwDups->y(), 146);
    EXPECT_EQ(window.lblDups->y(), window.lwDups->y() - 17);
    EXPECT_EQ(window.imgDragbar->y(), window.lblDups->y() + 4);

    // The share is kept when the window grows.
    resizeClient(600, 945);  // picSplit 890 high
    EXPECT_EQ(window.lwShow->height(), roundToEven(890 * 122.0 / 445));
}

TEST_F(MainWindowFixture, ProgressAreaPaintsTheBarFromTheBottom) {
    window.show();
    resizeClient(600, 500);
    window.oProgress.setMax(4);
    window.oProgress.setValue(1);
    const QImage shot = window.picProgressbar->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(57, 80));
    const QPalette pal = window.picProgressbar->palette();
    EXPECT_EQ(shot.pixel(28, 79), pal.color(QPalette::Active, QPalette::Highlight).rgb());
    EXPECT_EQ(shot.pixel(28, 60), pal.color(QPalette::Active, QPalette::Highlight).rgb());
    EXPECT_EQ(shot.pixel(28, 59), pal.color(QPalette::Active, QPalette::Button).rgb());
    EXPECT_EQ(shot.pixel(0, 0), pal.color(QPalette::Active, QPalette::Button).rgb()) << "no border";
}

} // namespace
} // namespace twinsift
