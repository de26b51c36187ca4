// Test entry for the offscreen widget tests: one QApplication for all of them.
#include <QApplication>
#include <QByteArray>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery and hand runs have no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
