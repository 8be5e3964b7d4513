// gtest main for the print and preview tests: the preview windows need a QApplication.
#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    // The preview windows are laid out from the screen: unless told otherwise the
    // tests run on a wide offscreen screen, where two pages fit side by side.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::strcmp(platform, "offscreen") == 0)
        setenv("QT_QPA_PLATFORM", "offscreen:configfile=" KELVORA_TEST_DATA "/wide-screen.json", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
