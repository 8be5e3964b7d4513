// Shared by the print tests: a scratch working directory with its own registry,
// and pages recorded as the printer records them, each carrying its number in
// a colour and a text so a test can tell which page is on show.
#pragma once
#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "preview/PreviewPages.h"

namespace Print {
class TRichPreviewForm;
}

// The working directory and XDG_CONFIG_HOME point into a fresh folder for each test.
class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Names in the working directory that begin with "PreviewMetafile".
    static QStringList PageFilesOnDisk();

    QTemporaryDir FDir;
    QString FOldDir;
    QByteArray FOldConfig;
};

// Files written while it lives may grow to `bytes` only; a longer write fails as on
// a full disk (SIGXFSZ ignored meanwhile).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(unsigned long bytes);
    ~TFileSizeLimit();
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    unsigned long FOld;
    void (*FOldHandler)(int);
};

// Test pages: A4 at 600 dpi, as the printer without a real device records them.
constexpr int PageDpi = 600;
constexpr int PageWidthPx = 4961;  // 210 mm
constexpr int PageHeightPx = 7016; // 297 mm

// The colour that page `index` is filled with around its text.
QColor PageColour(int index);
// A recorded page: a coloured block in the middle and the text «Page n» (n = index + 1).
Print::TPreviewPage MakePage(int index);
// Hands `count` pages to the window as the printer does (AddPage, then a repaint),
// then tells it the last one is in.
void FeedPages(Print::TRichPreviewForm& form, int count);
// The page shown in an image: the index whose colour is at the bitmap's centre, or -1.
int PageShownIn(const QImage& bitmap);
