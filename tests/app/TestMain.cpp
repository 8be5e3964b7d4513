// Widget tests need a QApplication; the offscreen platform unless one is set.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kelvora");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
