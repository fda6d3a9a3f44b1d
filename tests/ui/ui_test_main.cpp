// Runs the window's tests without a display: Qt draws offscreen, unless
// QT_QPA_PLATFORM names another platform (to watch them on an X server). Time
// zone and language are pinned as for every other test.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TZ", "UTC", 1);
    ::setenv("LC_ALL", "C", 1);
    ::tzset();
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
