// Widget tests need a QApplication; the offscreen platform unless one is set.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The recent-file lists go to the registry stand-in: never the user's own.
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kelvora");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
