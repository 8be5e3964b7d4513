// What the toolkit does not draw is drawn over the text: a double underline's second
// line, tab leaders and paragraph borders, each where its text is and nowhere else.
#include "RtfTestSupport.h"

#include "richedit/KeptDecorations.h"
#include "richedit/RichEdit98.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

constexpr int kWidth = 700, kHeight = 300;

QImage Render(const QTextDocument& document, bool decorations)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    if (decorations)
        RtfEngine::DrawKeptDecorations(painter, document, QRectF(0, 0, kWidth, kHeight), QBrush(Qt::black));
    return image;
}

// The pixels the decorations changed.
QRegion Drawn(const QTextDocument& document)
{
    const QImage plain = Render(document, false), decorated = Render(document, true);
    QRegion changed;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (plain.pixel(x, y) != decorated.pixel(x, y))
                changed += QRect(x, y, 1, 1);
    return changed;
}

// Where `text` stands on its line, in document coordinates: its width, the line's height.
QRectF BoxOf(const QTextDocument& document, const QString& text)
{
    const QTextCursor found = document.find(text);
    const QTextBlock block = found.block();
    const QTextLine line = block.layout()->lineForTextPosition(found.selectionStart() - block.position());
    const QPointF origin = document.documentLayout()->blockBoundingRect(block).topLeft();
    const qreal left = line.cursorToX(found.selectionStart() - block.position());
    const qreal right = line.cursorToX(found.selectionEnd() - block.position());
    return QRectF(origin.x() + left, origin.y() + line.y(), right - left, line.height());
}

struct Expect {
    const char* what;
    QByteArray body;
    std::function<QRectF(const QTextDocument&)> where; // the decoration lies inside; null: nothing drawn
    std::function<QRectF(const QTextDocument&)> clear; // and none of it lies here
};

} // namespace

TEST(KeptDecorations, EachIsDrawnWhereItsTextStandsAndNowhereElse)
{
    const auto between = [](const char* before, const char* after) {
        return [=](const QTextDocument& d) {
            const QRectF a = BoxOf(d, before), b = BoxOf(d, after);
            return QRectF(QPointF(a.right(), a.top()), QPointF(b.left(), a.bottom()));
        };
    };
    const auto below = [](const char* text) {
        return [=](const QTextDocument& d) {
            const QRectF box = BoxOf(d, text);
            return QRectF(box.left(), box.center().y(), box.width(), box.height());
        };
    };
    const auto around = [](const char* text, qreal by) {
        return [=](const QTextDocument& d) { return BoxOf(d, text).adjusted(-600, -by, 600, by); };
    };
    const auto above = [](const char* text) {
        return [=](const QTextDocument& d) {
            const QRectF box = BoxOf(d, text);
            return QRectF(0, 0, kWidth, box.top());
        };
    };
    const Expect cases[] = {
        {"double underline", "plain {\\ul\\uldb doubled} plain\\par ", below("doubled"), {}},
        {"single underline: nothing", "plain {\\ul single} plain\\par ", {}, {}},
        {"dot leader to a right tab", "\\pard\\tqr\\tldot\\tx6000 Chapter\\tab 7\\par ", between("Chapter", "7"), {}},
        {"leader to the second stop", "\\pard\\tx1000\\tldot\\tx6000 A\\tab B\\tab 9\\par ", between("B", "9"),
         between("A", "B")},
        {"tab without a leader: nothing", "\\pard\\tx6000 Chapter\\tab 7\\par ", {}, {}},
        {"box", "\\pard\\box\\brdrs\\brdrw30 Boxed text\\par ", around("Boxed text", 12), {}},
        {"bottom border only", "\\pard\\brdrb\\brdrs\\brdrw30 Ruled text\\par ", around("Ruled text", 12),
         above("Ruled text")},
        {"no border: nothing", "\\pard\\keepn Kept only\\par ", {}, {}},
    };
    for (const Expect& c : cases) {
        auto doc = Read(Rtf(c.body));
        doc->setTextWidth(kWidth - 50);
        const QRegion drawn = Drawn(*doc);
        if (!c.where) {
            EXPECT_TRUE(drawn.isEmpty()) << c.what;
            continue;
        }
        ASSERT_FALSE(drawn.isEmpty()) << c.what;
        const QRect inside = c.where(*doc).adjusted(-2, -2, 2, 2).toAlignedRect();
        EXPECT_TRUE(inside.contains(drawn.boundingRect()))
            << c.what << ": drawn at " << drawn.boundingRect().x() << "," << drawn.boundingRect().y() << " "
            << drawn.boundingRect().width() << "x" << drawn.boundingRect().height();
        if (c.clear)
            EXPECT_TRUE(drawn.intersected(c.clear(*doc).toAlignedRect()).isEmpty()) << c.what;
    }
}

// Two paragraphs with the same box share it: no line between them.
TEST(KeptDecorations, ParagraphsWithTheSameBordersShareOneBox)
{
    auto doc = Read(Rtf("\\pard\\box\\brdrs\\brdrw30 First\\par Second\\par "));
    doc->setTextWidth(kWidth - 50);
    const QRegion drawn = Drawn(*doc);
    const QRectF first = BoxOf(*doc, "First"), second = BoxOf(*doc, "Second");
    // Inside the box's sides, from the first line's text to the second's.
    const QRect between = QRectF(QPointF(first.left() + 6, first.bottom() - 1), QPointF(first.right(), second.top() + 1))
                              .toAlignedRect();
    EXPECT_FALSE(drawn.isEmpty());
    EXPECT_TRUE(drawn.intersected(between).isEmpty());
    EXPECT_FALSE(drawn.intersected(QRect(0, int(first.top()) - 12, kWidth, 12)).isEmpty()) << "the top";
    EXPECT_FALSE(drawn.intersected(QRect(0, int(second.bottom()), kWidth, 12)).isEmpty()) << "the bottom";
}

// The editor draws them over its text too, scrolled with it.
TEST(KeptDecorations, TheEditorDrawsThem)
{
    const struct {
        const char* what;
        QByteArray paragraph;
        bool drawn;
    } cases[] = {
        {"dot leader", "\\pard\\tqr\\tldot\\tx4000 Chapter\\tab Seven\\par ", true},
        {"no leader", "\\pard\\tqr\\tx4000 Chapter\\tab Seven\\par ", false},
    };
    for (const auto& c : cases) {
        TRichEdit98 edit;
        edit.resize(500, 200);
        edit.show();
        QTextCursor load(edit.document());
        RtfEngine::ReadRtf(Rtf(QByteArray(40, ' ').replace(' ', "\\par ") + c.paragraph), load);
        QTextCursor end(edit.document());
        end.movePosition(QTextCursor::End);
        edit.setTextCursor(end);
        edit.ensureCursorVisible(); // scrolled: the leader follows its text
        const QImage shot = edit.viewport()->grab().toImage();
        const QRect chapter = edit.cursorRect(edit.document()->find("Chapter"));
        QTextCursor beforeSeven = edit.document()->find("Seven");
        beforeSeven.setPosition(beforeSeven.selectionStart());
        const QRect seven = edit.cursorRect(beforeSeven);
        ASSERT_GT(chapter.top(), 200 / 2) << "scrolled down to the last line";
        int dark = 0;
        for (int x = chapter.right() + 4; x < seven.left() - 4; ++x)
            for (int y = chapter.top(); y <= chapter.bottom(); ++y)
                dark += qGray(shot.pixel(x, y)) < 128;
        EXPECT_EQ(dark > 0, c.drawn) << c.what << ": " << dark;
    }
}
