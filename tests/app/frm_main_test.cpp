#include "app/ui/frm_main.h"
#include "app_fixture.h"

#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QTableView>

#include <fstream>

namespace twinsift {
namespace {

using test::AppFixture;

struct MainWindow : AppFixture {
    void SetUp() override { start(); }

    void resizeClient(int w, int h) {
        window().resize(w, h);
        QApplication::processEvents();
        ASSERT_EQ(window().size(), QSize(w, h));
    }
    // A mouse event on the splitter's container at container-local y.
    void mouseOnSplit(QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QWidget* split = child<QWidget>("picSplit");
        const QPointF local(100, y);
        QMouseEvent ev(type, local, split->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(split, &ev);
    }
    QToolButton* button(const char* name) { return child<QToolButton>(name); }
    QTableView* view(const char* name) { return child<QTableView>(name); }
};

TEST_F(MainWindow, CancelOnlyRaisesTheFlag) {
    showWindow();
    button("cmdStop")->show();
    button("cmdStop")->click();
    EXPECT_TRUE(run.bCancelRequested);
    EXPECT_FALSE(run.bBusy);
    EXPECT_TRUE(window().isVisible());
}

TEST_F(MainWindow, ButtonsSitAtTheirDesignPlacesWithCaptionsAndTips) {
    struct Expect {
        const char* name;
        const char* caption;
        int top;
    };
    const Expect buttons[] = {{"cmdScan", "Open", 8},         {"cmdSave", "Save As", 66},
                              {"cmdSelect", "Select", 124},   {"cmdShowCopySave", "Tools", 198},
                              {"cmdSettings", "Settings", 256}, {"cmdAbout", "About", 314}};
    for (const Expect& e : buttons) {
        EXPECT_EQ(button(e.name)->text(), QString::fromLatin1(e.caption));
        EXPECT_EQ(button(e.name)->geometry(), QRect(8, e.top, 57, 54)) << e.caption;
        EXPECT_FALSE(button(e.name)->icon().isNull()) << e.caption;
    }
    EXPECT_EQ(button("cmdScan")->toolTip(),
              QStringLiteral("Open a text file, Word document or Excel spradsheet and scan for duplicates lines/rows."));
    EXPECT_EQ(button("cmdSelect")->toolTip(),
              QStringLiteral("Select duplicates in various vays. Selected duplicates will not be included when you "
                             "save the file."));
    EXPECT_EQ(button("cmdStop")->toolTip(), QStringLiteral("Stop processing!"));

    // Cancel waits hidden on top of Open.
    EXPECT_EQ(button("cmdStop")->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(button("cmdStop")->geometry(), button("cmdScan")->geometry());
    EXPECT_TRUE(button("cmdStop")->isHidden());

    // Until a document is loaded.
    EXPECT_TRUE(button("cmdScan")->isEnabled());
    EXPECT_FALSE(button("cmdSave")->isEnabled());
    EXPECT_FALSE(button("cmdSelect")->isEnabled());
    EXPECT_FALSE(button("cmdShowCopySave")->isEnabled());
    EXPECT_TRUE(button("cmdSettings")->isEnabled());
    EXPECT_TRUE(button("cmdAbout")->isEnabled());

    // Tab order follows the buttons from Open to About.
    EXPECT_EQ(button("cmdScan")->nextInFocusChain(), button("cmdSave"));
    EXPECT_EQ(button("cmdSettings")->nextInFocusChain(), button("cmdAbout"));
}

TEST_F(MainWindow, EveryControlHasItsDesignNameAndASpokenName) {
    const std::pair<const char*, const char*> named[] = {
        {"cmdScan", "Open"},         {"cmdSave", "Save As"},       {"cmdSelect", "Select"},
        {"cmdShowCopySave", "Tools"}, {"cmdSettings", "Settings"},  {"cmdAbout", "About"},
        {"cmdStop", "Cancel"},       {"lblSource", "Source:"},     {"lblDups", "Duplicates Found:"},
        {"lblShowQuickstartHelp", "Show Quickstart Help Again"},   {"lwShow", "lwShow"},
        {"lwDups", "lwDups"},        {"picSplit", "picSplit"},     {"picProgressbar", "picProgressbar"},
        {"imgDragbar", "imgDragbar"}, {"StatusBar", "StatusBar"}};
    for (const auto& [name, spoken] : named) {
        QWidget* w = child<QWidget>(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_EQ(w->accessibleName(), QString::fromLatin1(spoken)) << name;
    }
    EXPECT_EQ(window().objectName(), QStringLiteral("frmMain"));

    // A status panel is read out by its text and tells its key.
    window().setPanelText(QStringLiteral("line"), QStringLiteral("Line 7"));
    for (const char* key : {"status", "selected", "line"})
        EXPECT_EQ(child<QLabel>(key)->accessibleDescription(), QString::fromLatin1(key));
    EXPECT_EQ(child<QLabel>("line")->accessibleName(), QString());
    EXPECT_EQ(child<QLabel>("line")->text(), QStringLiteral("Line 7"));
}

TEST_F(MainWindow, ListsLabelsAndStatusPanels) {
    EXPECT_EQ(view("lwShow")->model()->columnCount(), 1);
    EXPECT_EQ(view("lwShow")->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Lines"));
    EXPECT_EQ(view("lwDups")->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Duplicates"));
    EXPECT_EQ(view("lwShow")->parentWidget(), child<QWidget>("picSplit"));
    EXPECT_EQ(view("lwDups")->parentWidget(), child<QWidget>("picSplit"));

    window().setPanelText(QStringLiteral("status"), QStringLiteral("Loading..."));
    window().setPanelText(QStringLiteral("selected"), QStringLiteral("2 of 9 dups. selected."));
    window().setPanelText(QStringLiteral("line"), QStringLiteral("Line 7"));
    window().setPanelText(QStringLiteral("nope"), QStringLiteral("x"));
    EXPECT_EQ(window().panelText(QStringLiteral("status")), QStringLiteral("Loading..."));
    EXPECT_EQ(window().panelText(QStringLiteral("selected")), QStringLiteral("2 of 9 dups. selected."));
    EXPECT_EQ(window().panelText(QStringLiteral("line")), QStringLiteral("Line 7"));
    EXPECT_EQ(window().panelText(QStringLiteral("nope")), QString());
    EXPECT_EQ(child<QStatusBar>("StatusBar")->height(), 25);
}

TEST_F(MainWindow, ResizeLetsTheListsShareTheContainerHeight) {
    showWindow();
    resizeClient(600, 500); // 9000 x 7500 twips
    EXPECT_EQ(child<QWidget>("picSplit")->geometry(), QRect(75, 24, 517, 445));
    EXPECT_EQ(view("lwShow")->geometry(), QRect(0, 0, 517, 222)); // 222.5, halves to even
    EXPECT_EQ(view("lwDups")->geometry(), QRect(0, 246, 517, 199));
    EXPECT_EQ(child<QLabel>("lblDups")->y(), 229);
    EXPECT_EQ(child<QLabel>("imgDragbar")->pos(), QPoint(258, 233));
    EXPECT_EQ(view("lwShow")->horizontalHeader()->sectionSize(0), 517 - 21);
    EXPECT_EQ(child<QWidget>("picProgressbar")->geometry(), QRect(8, 388, 57, 80));

    // Below 6300 twips of client height the progress area keeps its height.
    window().setMinimumSize(0, 0);
    resizeClient(600, 400);
    EXPECT_EQ(child<QWidget>("picProgressbar")->height(), 80);
    EXPECT_EQ(view("lwShow")->height(), 172); // round(0.5 * 345) = 172
}

TEST_F(MainWindow, DraggingTheBarMovesTheListsAndItsLabel) {
    showWindow();
    resizeClient(600, 500);
    mouseOnSplit(QEvent::MouseButtonPress, 230, Qt::LeftButton, Qt::LeftButton);
    mouseOnSplit(QEvent::MouseMove, 130, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(view("lwShow")->height(), 122);
    mouseOnSplit(QEvent::MouseButtonRelease, 130, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(view("lwDups")->y(), 146);
    EXPECT_EQ(child<QLabel>("lblDups")->y(), view("lwDups")->y() - 17);
    EXPECT_EQ(child<QLabel>("imgDragbar")->y(), child<QLabel>("lblDups")->y() + 4);

    // The share is kept when the window grows.
    resizeClient(600, 945); // picSplit 890 high
    EXPECT_EQ(view("lwShow")->height(), roundToEven(890 * 122.0 / 445));
}

TEST_F(MainWindow, ProgressAreaPaintsTheBarFromTheBottom) {
    showWindow();
    resizeClient(600, 500);
    window().progressBar().setMax(4);
    window().progressBar().setValue(1);
    QWidget* area = child<QWidget>("picProgressbar");
    const QImage shot = area->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(57, 80));
    const QPalette pal = area->palette();
    EXPECT_EQ(shot.pixel(28, 79), pal.color(QPalette::Active, QPalette::Highlight).rgb());
    EXPECT_EQ(shot.pixel(28, 60), pal.color(QPalette::Active, QPalette::Highlight).rgb());
    EXPECT_EQ(shot.pixel(28, 59), pal.color(QPalette::Active, QPalette::Button).rgb());
    EXPECT_EQ(shot.pixel(0, 0), pal.color(QPalette::Active, QPalette::Button).rgb()) << "no border";
}

} // namespace
} // namespace twinsift
