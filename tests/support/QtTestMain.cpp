#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Window tests need a QApplication; they always run without a display.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
