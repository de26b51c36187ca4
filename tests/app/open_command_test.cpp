#include "app_fixture.h"
#include "platform/ui/qt_file_dialogs.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QColor>
#include <QDeadlineTimer>
#include <QLabel>
#include <QToolButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace twinsift {
namespace {


QString rowText(const QAbstractItemModel& m, int row) { return m.data(m.index(row, 0)).toString(); }
QVariant rowColour(const QAbstractItemModel& m, int row) { return m.data(m.index(row, 0), Qt::ForegroundRole); }

struct OpenFromWindow : test::AppFixture {
    // Starts the program with this command line, shows the window and waits
    // until the Open command it starts has ended.
    void startAndWaitForOpen(const std::string& commandLine) {
        start(commandLine);
        showWindow();
        QDeadlineTimer deadline(10000);
        while (app->scanDriver().outcome() == ScanOutcome::NoFile && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QTableView* view(const char* name) { return child<QTableView>(name); }
    QToolButton* button(const char* name) { return child<QToolButton>(name); }
};

TEST_F(OpenFromWindow, StartupFileIsScannedIntoBothViews) {
    const std::string fruit = files.write("fruit.txt", "apple\r\npear\r\napple\r\npear\r\napple\r\nplum\r\n");
    start(fruit);
    QAbstractItemModelTester showTester(view("lwShow")->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester dupsTester(view("lwDups")->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_FALSE(button("cmdSave")->isEnabled());

    showWindow();
    QDeadlineTimer deadline(10000);
    while (app->scanDriver().outcome() == ScanOutcome::NoFile && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);
    EXPECT_TRUE(run.sStartupFile.empty());
    EXPECT_FALSE(run.bBusy);

    EXPECT_EQ(window().panelText(QStringLiteral("status")),
              QStringLiteral("Scanned 6 lines: Found 5 duplicate lines with 2 unique duplicates!"));
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Twinsift 6.16 - [fruit.txt]"));
    EXPECT_TRUE(button("cmdSave")->isEnabled());
    EXPECT_TRUE(button("cmdSelect")->isEnabled());
    EXPECT_TRUE(button("cmdScan")->isVisibleTo(&window()));
    EXPECT_FALSE(button("cmdStop")->isVisibleTo(&window()));

    const QAbstractItemModel& shown = *view("lwShow")->model();
    const QAbstractItemModel& dups = *view("lwDups")->model();
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
    settings.bShowMsgAddFiles = false;
    dialogs.opens.push_back(files.write("short.txt", "x\r\nx\r\n"));
    button("cmdScan")->click();
    ASSERT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);
    EXPECT_EQ(shown.rowCount(), 2);
    ASSERT_EQ(dups.rowCount(), 2);
    EXPECT_EQ(rowText(dups, 1), QStringLiteral("[2]   x"));
    EXPECT_EQ(window().panelText(QStringLiteral("status")),
              QStringLiteral("Scanned 2 lines: Found 2 duplicate lines with 1 unique duplicates!"));
    EXPECT_TRUE(window().close());
}

TEST_F(OpenFromWindow, LargeFileShowsOnlyTheNoticeRow) {
    store.put("Quorvane", "Twinsift", "listviewPreviewCutoff", "2");
    startAndWaitForOpen(files.write("many.txt", "a\r\nb\r\na\r\n"));
    ASSERT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);
    const QAbstractItemModel& shown = *view("lwShow")->model();
    ASSERT_EQ(shown.rowCount(), 1);
    EXPECT_EQ(rowText(shown, 0), QStringLiteral("Large file loaded - visual display turned off (change in settings)"));
    EXPECT_EQ(view("lwDups")->model()->rowCount(), 0);
    EXPECT_FALSE(view("lwDups")->isEnabled());
    EXPECT_TRUE(button("cmdSave")->isEnabled());
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
