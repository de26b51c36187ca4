#include "app/ui/frm_about.h"
#include "app/ui/frm_quickstart.h"
#include "app/ui/pictures.h"
#include "platform/app_identity.h"
#include "settings/settings_values.h"
#include "support/scripted_boxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QTest>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

struct AboutTest : ::testing::Test {
    SettingsValues settings = SettingsValues::Defaults();
    AppIdentity app;
    test::RecordingDesktop desktop;

    std::unique_ptr<frmAbout> open() {
        auto dlg = std::make_unique<frmAbout>(settings, app, desktop);
        dlg->show();
        return dlg;
    }
};

TEST_F(AboutTest, ShowsTheCountersOneALineFiveZerosOnAFirstRun) {
    {
        auto dlg = open();
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral(" About Twinsift"));
        EXPECT_EQ(dlg->objectName(), QStringLiteral("frmAbout"));
        EXPECT_EQ(dlg->lblProductName->text(), QStringLiteral("Twinsift"));
        EXPECT_TRUE(dlg->lblProductName->font().bold());
        EXPECT_EQ(dlg->lblProductName->font().pointSize(), 12);
        EXPECT_EQ(dlg->lblVersion->text(), QStringLiteral("v6.16"));
        EXPECT_EQ(dlg->Label2->text(), QStringLiteral("Trivial Stats:"));
        EXPECT_EQ(dlg->lblStats->text(), QStringLiteral("Files Opened: 0\nLines Scanned: 0\nDuplicates Found: 0\n"
                                                        "Unique Dups Found: 0\nDuplicates Deleted: 0"));
        EXPECT_EQ(dlg->cmdExit->text(), QStringLiteral("Close"));
    }
    settings.statFilesOpened = 1;
    settings.statLinesScanned = 120;
    settings.statDupsFound = 7;
    settings.statUniqueDupsFound = 3;
    settings.statDupsDeleted = 2147483647;
    auto dlg = open();
    EXPECT_EQ(dlg->lblStats->text(), QStringLiteral("Files Opened: 1\nLines Scanned: 120\nDuplicates Found: 7\n"
                                                    "Unique Dups Found: 3\nDuplicates Deleted: 2147483647"));
    // The largest counter still fits inside the panel and the window.
    EXPECT_GE(dlg->lblStats->width(), dlg->lblStats->sizeHint().width());
    EXPECT_GE(dlg->lblStats->height(), dlg->lblStats->sizeHint().height());
    EXPECT_TRUE(dlg->Shape1->geometry().contains(dlg->lblStats->geometry()));
    EXPECT_TRUE(dlg->rect().contains(dlg->Shape1->geometry()));
}

TEST(AboutPanelColour, IsTheButtonFaceTenLighterCappedAtWhite) {
    EXPECT_EQ(aboutPanelColor(Rgb{250, 240, 200}), (Rgb{255, 250, 210}));
    EXPECT_EQ(aboutPanelColor(Rgb{0, 0, 0}), (Rgb{10, 10, 10}));
    EXPECT_EQ(aboutPanelColor(Rgb{245, 246, 255}), (Rgb{255, 255, 255}));
    EXPECT_EQ(aboutPanelColor(std::nullopt), (Rgb{255, 255, 255}));
}

TEST_F(AboutTest, ThePanelAndItsLabelsArePaintedInThePanelColour) {
    auto dlg = open();
    const QColor face = dlg->palette().color(QPalette::Button);
    const Rgb expected = aboutPanelColor(Rgb{face.red(), face.green(), face.blue()});
    EXPECT_EQ(dlg->panelColor(), QColor(expected.r, expected.g, expected.b));
    for (QWidget* w : {static_cast<QWidget*>(dlg->lblStats), static_cast<QWidget*>(dlg->lblVersion),
                       static_cast<QWidget*>(dlg->Label2), static_cast<QWidget*>(dlg->Shape1)}) {
        EXPECT_TRUE(w->autoFillBackground()) << w->objectName().toStdString();
        EXPECT_EQ(w->palette().color(QPalette::Window), dlg->panelColor()) << w->objectName().toStdString();
    }
    const QImage shot = dlg->grab().toImage();
    EXPECT_EQ(shot.pixelColor(dlg->lblStats->geometry().center()).rgb() & 0xFFFFFF,
              dlg->panelColor().rgb() & 0xFFFFFF);
}

TEST_F(AboutTest, TheLinkOpensTheMakersPageAndKeepsTheWindowOpen) {
    auto dlg = open();
    EXPECT_EQ(dlg->lblWeb->text(), QStringLiteral("quorvane.example/twinsift"));
    EXPECT_TRUE(dlg->lblWeb->font().underline());
    EXPECT_EQ(dlg->lblWeb->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(dlg->lblWeb->cursor().shape(), Qt::PointingHandCursor);
    // The link lies above the click area, which covers everything else.
    const QPoint onLink = dlg->lblWeb->geometry().center();
    EXPECT_EQ(dlg->childAt(onLink), dlg->lblWeb);
    EXPECT_EQ(dlg->childAt(dlg->lblStats->geometry().center()), dlg->clickShape);
    EXPECT_EQ(dlg->childAt(dlg->imgLogo->geometry().center()), dlg->clickShape);
    EXPECT_EQ(dlg->clickShape->geometry(), dlg->rect());

    QTest::mouseClick(dlg->lblWeb, Qt::LeftButton);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], "https://quorvane.example/twinsift");
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(AboutTest, AClickAnywhereElseCloses) {
    auto dlg = open();
    QTest::mouseClick(dlg->clickShape, Qt::LeftButton, {}, dlg->lblStats->geometry().center());
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(AboutTest, EnterAndEscCloseThroughTheHiddenButton) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        auto dlg = open();
        EXPECT_GE(dlg->cmdExit->x(), dlg->width());
        EXPECT_TRUE(dlg->cmdExit->isDefault());
        QTest::keyClick(dlg.get(), key);
        EXPECT_FALSE(dlg->isVisible()) << key;
    }
}

TEST_F(AboutTest, F1IsSwallowed) {
    QWidget mainWindow;
    int helpOpened = 0;
    QShortcut help(QKeySequence(Qt::Key_F1), &mainWindow);
    help.setContext(Qt::ApplicationShortcut);
    QObject::connect(&help, &QShortcut::activated, [&] { ++helpOpened; });
    mainWindow.show();
    QApplication::setActiveWindow(&mainWindow);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
    QTest::keyClick(&mainWindow, Qt::Key_F1);
    ASSERT_EQ(helpOpened, 1); // the program's help key works outside the window

    auto dlg = open();
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    QTest::keyClick(dlg->cmdExit, Qt::Key_F1);
    QTest::keyClick(dlg.get(), Qt::Key_F1);
    EXPECT_EQ(helpOpened, 1);
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(AboutTest, ADebugVersionDoesNotRunIntoTheName) {
    app = AppIdentity::FromCommandLine("DEBUG_MODE");
    auto dlg = open();
    EXPECT_EQ(dlg->lblVersion->text(), QStringLiteral("v6.16 Debug Version"));
    EXPECT_GE(dlg->lblVersion->width(), dlg->lblVersion->sizeHint().width());
    EXPECT_FALSE(dlg->lblVersion->geometry().intersects(dlg->lblProductName->geometry()));
    EXPECT_TRUE(dlg->Shape1->geometry().contains(dlg->lblVersion->geometry()));
    EXPECT_FALSE(dlg->lblVersion->geometry().intersects(dlg->Label2->geometry()));
}

TEST(Pictures, EveryButtonPictureIsCompiledInAt32Pixels) {
    for (CmdButton b : {CmdButton::Scan, CmdButton::Save, CmdButton::Select, CmdButton::ShowCopySave,
                        CmdButton::Settings, CmdButton::About, CmdButton::Stop}) {
        const QPixmap picture(pictures::buttonPicturePath(b));
        EXPECT_EQ(picture.size(), QSize(32, 32)) << pictures::buttonPicturePath(b).toStdString();
    }
    EXPECT_EQ(QPixmap(pictures::kHelpIcon).size(), QSize(15, 15));
    EXPECT_EQ(QPixmap(pictures::kQuickstart).size(), QSize(711, 456));
    EXPECT_FALSE(QPixmap(pictures::kProduct).isNull());
    EXPECT_FALSE(QPixmap(pictures::kMakerLogo).isNull());
    EXPECT_FALSE(QPixmap(pictures::kInfo).isNull());
}

struct QuickstartTest : ::testing::Test {
    SettingsValues settings = SettingsValues::Defaults();
    AppIdentity app;
};

TEST_F(QuickstartTest, OpensWithTheBoxUntickedWhateverTheSetting) {
    settings.bShowQuickstartWindow = true;
    frmQuickstart w(settings, app);
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Twinsift Quickstart"));
    EXPECT_EQ(w.objectName(), QStringLiteral("frmQuickstart"));
    EXPECT_FALSE(w.isModal());
    EXPECT_EQ(w.size(), QSize(711, 501));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(w.Check1->text(), QStringLiteral("Show this window at startup."));
    EXPECT_EQ(w.Command1->text(), QStringLiteral("Close"));
    EXPECT_TRUE(w.Command1->isDefault());
    EXPECT_FALSE(w.Check1->isChecked());
    EXPECT_GE(w.Check1->width(), w.Check1->sizeHint().width());
    EXPECT_TRUE(w.rect().contains(w.Command1->geometry()));
    EXPECT_GE(w.Check1->y(), 456); // below the picture

    // Opening it again starts unticked again.
    w.Check1->setChecked(true);
    w.Command1->click();
    w.show();
    EXPECT_FALSE(w.Check1->isChecked());
}

TEST_F(QuickstartTest, EveryWayOfClosingStoresTheTick) {
    enum Way { Button, Enter, Esc, Space, CloseBox };
    for (Way way : {Button, Enter, Esc, Space, CloseBox}) {
        for (bool tick : {true, false}) {
            SCOPED_TRACE(testing::Message() << "way " << way << " tick " << tick);
            settings.bShowQuickstartWindow = !tick;
            frmQuickstart w(settings, app);
            w.show();
            if (tick) QTest::mouseClick(w.Check1, Qt::LeftButton);
            switch (way) {
            case Button: QTest::mouseClick(w.Command1, Qt::LeftButton); break;
            case Enter: QTest::keyClick(w.Check1, Qt::Key_Return); break;
            case Esc: QTest::keyClick(w.Command1, Qt::Key_Escape); break;
            case Space: QTest::keyClick(w.Check1, Qt::Key_Space); break;
            case CloseBox: w.close(); break;
            }
            EXPECT_FALSE(w.isVisible());
            EXPECT_EQ(settings.bShowQuickstartWindow, tick);
        }
    }
}

TEST_F(QuickstartTest, SpaceOnTheBoxClosesWithoutTickingIt) {
    settings.bShowQuickstartWindow = true;
    frmQuickstart w(settings, app);
    w.show();
    QTest::keyClick(w.Check1, Qt::Key_Space);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.Check1->isChecked());
    EXPECT_FALSE(settings.bShowQuickstartWindow);
}

TEST_F(QuickstartTest, ThePictureFillsTheTopOfTheWindow) {
    frmQuickstart w(settings, app);
    w.show();
    const QImage shot = w.grab().toImage();
    const QImage picture = QPixmap(pictures::kQuickstart).toImage();
    for (QPoint p : {QPoint(5, 5), QPoint(400, 100), QPoint(700, 450)})
        EXPECT_EQ(shot.pixel(p), picture.pixel(p)) << p.x() << "," << p.y();
}

} // namespace
} // namespace twinsift
