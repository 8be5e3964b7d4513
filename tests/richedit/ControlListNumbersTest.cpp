// Lists that start at another number than 1: the control draws their numbers, which the
// toolkit counts from 1, where and as the toolkit draws the numbers of other lists.
#include "RtfTestSupport.h"
#include "richedit/RichEdit98.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

// A list of one level in `nfc`, starting at `start`, with an item for each text.
QByteArray ListDocument(int nfc, int start, const char* levelText, const QList<QByteArray>& items)
{
    QByteArray body = "{\\*\\listtable{\\list{\\listlevel\\levelnfc" + QByteArray::number(nfc) + "\\levelstartat" +
                      QByteArray::number(start) + "{\\leveltext " + levelText + ";}}\\listid3}}"
                      "{\\*\\listoverridetable{\\listoverride\\listid3\\ls1}}"
                      "\\pard Heading\\par\r\n"; // the first paragraph takes the control's character format
    for (const QByteArray& item : items)
        body += "\\pard\\ls1\\ilvl0 " + item + "\\par\r\n";
    return Rtf(body);
}

// What the control shows left of the text of the paragraph holding `text`.
QImage NumberArea(const QByteArray& rtf, const QString& text)
{
    TRichEdit98 edit;
    edit.resize(400, 1200); // room for 52 items
    QTextCursor cursor(edit.document());
    RtfEngine::ReadRtf(rtf, cursor);
    const QImage shot = edit.viewport()->grab().toImage();
    const QTextBlock block = BlockOf(*edit.document(), text);
    const QRectF rect = edit.document()->documentLayout()->blockBoundingRect(block);
    const int textStart = int(rect.left() + block.layout()->lineAt(0).naturalTextRect().left());
    return shot.copy(0, int(rect.top()), textStart, int(rect.height()));
}

bool HasInk(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace

TEST(ControlListNumbers, ANumberFromElsewhereLooksLikeTheToolkitsOwn)
{
    // The same number, once from a list starting at it and once counted up to by the toolkit.
    struct Case { const char* what; int nfc; const char* levelText; int start; };
    const Case cases[] = {
        {"5.", 0, "\\'02\\'00.", 5},
        {"e)", 4, "\\'02\\'00)", 5},
        {"(III)", 1, "\\'03(\\'00)", 3},
        {"z)", 4, "\\'02\\'00)", 26},
        {"aa)", 4, "\\'02\\'00)", 27},
        {"AZ.", 3, "\\'02\\'00.", 52},
    };
    for (const Case& c : cases) {
        QList<QByteArray> counted;
        for (int i = 1; i < c.start; ++i)
            counted << "item" + QByteArray::number(i);
        const QImage ours = NumberArea(ListDocument(c.nfc, c.start, c.levelText, {"Target"}), "Target");
        const QImage toolkits = NumberArea(ListDocument(c.nfc, 1, c.levelText, counted << "Target"), "Target");
        EXPECT_TRUE(HasInk(ours)) << c.what;
        EXPECT_EQ(ours, toolkits) << c.what;
    }
}
