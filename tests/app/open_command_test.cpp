#include "app/ui/frm_main.h"
#include "app/ui/qt_command_port.h"
#include "app/ui/result_models.h"
#include "platform/settings_store_xdg.h"
#include "scan/document.h"
#include "scan/results_view.h"
#include "scan/scan_driver.h"
#include "settings/persistence.h"
#include "settings/settings_values.h"
#include "support/test_support.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QColor>
#include <QDeadlineTimer>
#include <QLabel>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::ScopedEnv;
using test::TempDir;

QString rowText(const QAbstractItemModel& m, int row) { return m.data(m.index(row, 0)).toString(); }
QVariant rowColour(const QAbstractItemModel& m, int row) { return m.data(m.index(row, 0), Qt::ForegroundRole); }

// The window as main() starts it, with a user store that lives in a temporary
// folder so the real one is never touched.
struct OpenFromWindow : ::testing::Test {
    TempDir config, programDir, files;
    ScopedEnv xdg{"XDG_CONFIG_HOME", config.path().string()};
    XdgSettingsStore store;
    SettingsPersistence persistence{store, programDir.path()};
    SettingsValues settings = SettingsValues::Defaults();
    LoadedDocument document;
    RunState run;

    // Shows the window and waits until the Open command it starts has ended.
    void showAndWaitForOpen(frmMain& window) {
        window.show();
        QDeadlineTimer deadline(10000);
        while (window.scanDriver().outcome() == ScanOutcome::NoFile && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
};

TEST_F(OpenFromWindow, StartupFileIsScannedIntoBothViews) {
    run.sStartupFile = files.write("fruit.txt", "apple\r\npear\r\napple\r\npear\r\napple\r\nplum\r\n");
    frmMain window(settings, document, run, &persistence);
    QAbstractItemModelTester showTester(window.lwShow->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester dupsTester(window.lwDups->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_FALSE(window.cmdSave->isEnabled());

    showAndWaitForOpen(window);
    ASSERT_EQ(window.scanDriver().outcome(), ScanOutcome::Completed);
    EXPECT_TRUE(run.sStartupFile.empty());
    EXPECT_FALSE(run.bBusy);

    EXPECT_EQ(window.panelText(QStringLiteral("status")),
              QStringLiteral("Scanned 6 lines: Found 5 duplicate lines with 2 unique duplicates!"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Twinsift 6.16 - [fruit.txt]"));
    EXPECT_TRUE(window.cmdSave->isEnabled());
    EXPECT_TRUE(window.cmdSelect->isEnabled());
    EXPECT_TRUE(window.cmdScan->isVisibleTo(&window));
    EXPECT_FALSE(window.cmdStop->isVisibleTo(&window));

    const QAbstractItemModel& shown = *window.lwShow->model();
    const QAbstractItemModel& dups = *window.lwDups->model();
    ASSERT_EQ(shown.rowCount(), 6);
    EXPECT_EQ(rowText(shown, 0), QStringLiteral("apple"));
    EXPECT_EQ(rowText(shown, 5), QStringLiteral("plum"));
    ASSERT_EQ(dups.rowCount(), 5);
    QStringList dupTexts;
    for (int r = 0; r < dups.rowCount(); ++r) dupTexts << rowText(dups, r);
    EXPECT_EQ(dupTexts, (QStringList{QStringLiteral("[1]   apple"), QStringLiteral("[3]   apple"),
                                     QStringLiteral("[5]   apple"), QStringLiteral("[2]   pear"),
                                     QStringLiteral("[4]   pear")}));

    // A group's rows share one colour, in both views; the single line has none.
    const QVariant apple = rowColour(dups, 0);
    ASSERT_TRUE(apple.canConvert<QColor>());
    EXPECT_EQ(rowColour(dups, 2), apple);
    EXPECT_NE(rowColour(dups, 3), apple);
    EXPECT_EQ(rowColour(shown, 4), apple);
    EXPECT_EQ(rowColour(shown, 1), rowColour(dups, 3));
    EXPECT_FALSE(rowColour(shown, 5).isValid());
    EXPECT_EQ(dups.data(dups.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);

    // Open once more from the button: the views start over with the new file.
    run.sStartupFile = files.write("short.txt", "x\r\nx\r\n");
    window.cmdScan->click();
    ASSERT_EQ(window.scanDriver().outcome(), ScanOutcome::Completed);
    EXPECT_EQ(shown.rowCount(), 2);
    ASSERT_EQ(dups.rowCount(), 2);
    EXPECT_EQ(rowText(dups, 1), QStringLiteral("[2]   x"));
    EXPECT_EQ(window.panelText(QStringLiteral("status")),
              QStringLiteral("Scanned 2 lines: Found 2 duplicate lines with 1 unique duplicates!"));
    EXPECT_TRUE(window.close());
}

TEST_F(OpenFromWindow, LargeFileShowsOnlyTheNoticeRow) {
    settings.listviewPreviewCutoff = 2;
    run.sStartupFile = files.write("many.txt", "a\r\nb\r\na\r\n");
    frmMain window(settings, document, run);
    QAbstractItemModelTester showTester(window.lwShow->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    showAndWaitForOpen(window);
    ASSERT_EQ(window.scanDriver().outcome(), ScanOutcome::Completed);
    const QAbstractItemModel& shown = *window.lwShow->model();
    ASSERT_EQ(shown.rowCount(), 1);
    EXPECT_EQ(rowText(shown, 0), QStringLiteral("Large file loaded - visual display turned off (change in settings)"));
    EXPECT_EQ(window.lwDups->model()->rowCount(), 0);
    EXPECT_FALSE(window.lwDups->isEnabled());
    EXPECT_TRUE(window.cmdSave->isEnabled());
}

TEST(QtNameFilters, OpenDialogTypesBecomeQtFiltersInOrder) {
    const QStringList f = qtNameFilters(ScanDriver::kOpenFilter);
    ASSERT_EQ(f.size(), 4);
    EXPECT_EQ(f[0], QStringLiteral("All Files (*)"));
    EXPECT_EQ(f[1], QStringLiteral("Text Files (*.txt)"));
    EXPECT_EQ(f[2], QStringLiteral("Word Documents (*.doc *.docx *.rtf *.docm *.dotx *.dotm *.odt)"));
    EXPECT_TRUE(f[3].startsWith(QStringLiteral("Excel Workbooks (*.xls *.xlsx ")));
    EXPECT_EQ(qtNameFilters("Plain|*.txt;*.log"), QStringList{QStringLiteral("Plain (*.txt *.log)")});
    EXPECT_TRUE(qtNameFilters("").isEmpty());
}

} // namespace
} // namespace twinsift
