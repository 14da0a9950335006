#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs at build time without a platform: listing needs no Qt.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // The tests need no display. Set here as well as by ctest, since Wine
    // does not hand variables named QT_* to the Windows programs it runs.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
