// The range formatting: pages cut once, lines never cut at a page's foot, rows and
// pictures kept whole, page breaks honoured, positions moving on to the end.
#include "PrintPdfSupport.h"
#include "print/RangeFormatter.h"
#include "richedit/LongDocumentLayout.h"
#include "richedit/RichEdit98.h"
#include "rtf/ListNumbers.h"
#include "rtf/RtfEngine.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextCursor>
#include <QTextLayout>

namespace {

// A device with the fallback printer's 600 dpi.
QImage Reference() {
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(23622);
    image.setDotsPerMeterY(23622);
    return image;
}

std::string Paragraphs(int count, const std::string& prefix = "Paragraph") {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 1; i <= count; ++i) rtf += prefix + " " + std::to_string(i) + " of the body text.\\par\n";
    return rtf + "}";
}

// Checks that the pages tile the positions from 0 to the end, in order.
void ExpectPagesCoverTheText(const std::vector<TRangeFormatter::TPage>& pages, int length) {
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages.front().Start, 0);
    for (std::size_t i = 1; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].Start, pages[i - 1].End);
        EXPECT_GT(pages[i].Start, pages[i - 1].Start);
        EXPECT_GE(pages[i].Top, pages[i - 1].Bottom);
    }
    EXPECT_EQ(pages.back().End, length);
}

} // namespace

using RangeFormatting = PrinterTest;

TEST_F(RangeFormatting, NoLineCrossesAPageFoot) {
    auto edit = EditorWith(Paragraphs(300));
    QImage device = Reference();
    TRangeFormatter formatter;
    const QSizeF size(4000, 1500);
    const auto pages = formatter.Paginate(*edit->document(), size, &device);
    ASSERT_GT(pages.size(), 5u);
    ExpectPagesCoverTheText(pages, edit->GetTextLen());
    const qreal height = TRangeFormatter::ToLayoutUnits(size, device).height();
    for (const auto& page : pages) EXPECT_LE(page.Bottom - page.Top, height);
}

// Laid out in twips, a document this long would pass the toolkit's fixed-point positions
// (about 23,000 inches) and its layout would run away: it is laid out in coarser units.
TEST_F(RangeFormatting, ADocumentLongerThanTwipsReachPaginatesWhole) {
    auto edit = EditorWith(Paragraphs(140000));
    QImage device = Reference();
    TRangeFormatter formatter;
    const QSizeF size(4000, 1500);
    const auto pages = formatter.Paginate(*edit->document(), size, &device);
    ASSERT_GT(pages.size(), 5000u);
    ExpectPagesCoverTheText(pages, edit->GetTextLen());
    const std::string last = edit->TextRange(pages.back().Start, pages.back().End);
    EXPECT_NE(last.find("Paragraph 140000 of the body text."), std::string::npos) << last;
}

TEST_F(RangeFormatting, APageBreakStartsAPage) {
    for (const bool rtf : {true, false}) {
        SCOPED_TRACE(rtf ? "\\page" : "form feed");
        const std::string text = rtf ? "{\\rtf1\\ansi First page\\par\\page Second page\\par}" : "First page\r\n\fSecond page";
        auto edit = EditorWith(text, rtf);
        QImage device = Reference();
        TRangeFormatter formatter;
        const auto pages = formatter.Paginate(*edit->document(), QSizeF(4000, 5000), &device);
        ASSERT_EQ(pages.size(), 2u);
        const std::string first = edit->TextRange(pages[0].Start, pages[0].End);
        EXPECT_NE(first.find("First page"), std::string::npos);
        EXPECT_EQ(first.find("Second"), std::string::npos);
        EXPECT_EQ(edit->TextRange(pages[1].Start, pages[1].End).find("Second page"), 0u);
    }
}

TEST_F(RangeFormatting, ATableRowThatDoesNotFitMovesWhole) {
    // Twenty lines of text, then rows of three lines in each of two cells.
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 0; i < 20; ++i) rtf += "Line " + std::to_string(i) + "\\par ";
    for (int r = 0; r < 12; ++r) {
        rtf += "\\trowd\\cellx3000\\cellx6000 ";
        rtf += "Row " + std::to_string(r) + " a\\line one\\line two\\cell Row " + std::to_string(r) + " b\\line x\\line y\\cell\\row ";
    }
    rtf += "After\\par}";
    auto edit = EditorWith(rtf);
    QImage device = Reference();
    TRangeFormatter formatter;
    const auto pages = formatter.Paginate(*edit->document(), QSizeF(4000, 1800), &device);
    ASSERT_GE(pages.size(), 2u);
    ExpectPagesCoverTheText(pages, edit->GetTextLen());
    // Every row's two cells land on the same page.
    for (const auto& page : pages) {
        const std::string text = edit->TextRange(page.Start, page.End);
        for (int r = 0; r < 12; ++r) {
            const std::string a = "Row " + std::to_string(r) + " a", b = "Row " + std::to_string(r) + " b";
            EXPECT_EQ(text.find(a) == std::string::npos, text.find(b) == std::string::npos) << r;
        }
    }
}

TEST_F(RangeFormatting, APictureTallerThanTheRoomLeftGoesToTheNextPage) {
    QImage picture(200, 200, QImage::Format_RGB32);
    picture.fill(Qt::red);
    auto edit = EditorWith("{\\rtf1\\ansi Before\\par}");
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    edit->document()->addResource(QTextDocument::ImageResource, QUrl("pic"), picture);
    QTextImageFormat image;
    image.setName("pic");
    image.setWidth(200);
    image.setHeight(200);
    cursor.insertBlock();
    const int picturePosition = cursor.position();
    cursor.insertImage(image);
    cursor.insertBlock();
    cursor.insertText("After");
    QImage device = Reference();
    TRangeFormatter formatter;
    // 200 screen pixels are 1250 pixels at 600 dpi: it fits a page but not after "Before".
    const auto pages = formatter.Paginate(*edit->document(), QSizeF(4000, 1300), &device);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(pages[1].Start, picturePosition);
    EXPECT_LE(pages[1].Bottom - pages[1].Top, TRangeFormatter::ToLayoutUnits(QSizeF(4000, 1300), device).height());
}

TEST_F(RangeFormatting, FormatRangeDrawsEachPageOnceAndEmptyRectangleEndsAtOnce) {
    auto edit = EditorWith(Paragraphs(120));
    QImage device = Reference();
    QImage canvas(800, 800, QImage::Format_RGB32);
    QPainter painter(&canvas);
    TRangeFormatter formatter;
    const QRect render(0, 0, 4000 * 1440 / 600, 3000 * 1440 / 600);
    int start = 0, passes = 0;
    for (int last = 0; last < edit->GetTextLen(); start = last, ++passes) {
        last = formatter.FormatRange(*edit->document(), painter, &device, render, start);
        ASSERT_GT(last, start);
    }
    EXPECT_EQ(size_t(passes), formatter.Paginate(*edit->document(), QSizeF(4000, 3000), &device).size());
    EXPECT_EQ(formatter.FormatRange(*edit->document(), painter, &device, QRect(0, 0, 1000, 0), 0), -1);
}

// The editor shows a long document with a layout of its own; printing lays out a copy
// and cuts the same pages as for the same text in a plain document.
TEST_F(RangeFormatting, ALongDocumentShownInTheEditorPrintsAsTheSameTextElsewhere) {
    const std::string rtf = Paragraphs(TLongDocumentLayout::kMinimumBlocks);
    auto edit = EditorWith(rtf);
    edit->resize(500, 400);
    edit->show();
    edit->viewport()->grab();
    ASSERT_NE(qobject_cast<TLongDocumentLayout*>(edit->document()->documentLayout()), nullptr);
    QTextDocument plain;
    QTextCursor cursor(&plain);
    RtfEngine::ReadRtf(QByteArray::fromStdString(rtf), cursor);
    ASSERT_EQ(plain.toRawText(), edit->document()->toRawText());

    QImage device = Reference();
    const QSizeF size(4000, 5000);
    TRangeFormatter shown, elsewhere;
    const auto& pages = shown.Paginate(*edit->document(), size, &device);
    const auto& expected = elsewhere.Paginate(plain, size, &device);
    ASSERT_GT(pages.size(), 10u);
    ASSERT_EQ(pages.size(), expected.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].Start, expected[i].Start) << "page " << i;
        EXPECT_EQ(pages[i].End, expected[i].End) << "page " << i;
        EXPECT_EQ(pages[i].Top, expected[i].Top) << "page " << i;
    }
}

namespace {

// The text of each page, as positions cut it.
std::vector<std::string> PageTexts(TRichEdit98& edit, const std::vector<TRangeFormatter::TPage>& pages) {
    std::vector<std::string> texts;
    for (const auto& page : pages) texts.push_back(edit.TextRange(page.Start, page.End));
    return texts;
}

// The page (from 0) whose text holds `word`, or -1.
int PageOf(const std::vector<std::string>& texts, const std::string& word) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (texts[i].find(word) != std::string::npos) return int(i);
    return -1;
}

} // namespace

// What paragraphs ask of the page, each tried where it matters: a heading kept with its
// paragraph, a paragraph kept whole, no last line alone at a page's top (widow control),
// a section that begins a page; and the same documents without the words as the control.
TEST_F(RangeFormatting, ParagraphsKeepTogetherWithTheNextAndAgainstWidows) {
    const std::string start = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    std::string filler;
    for (int i = 0; i < 30; ++i) filler += "Filler " + std::to_string(i) + "\\par ";
    // One paragraph of 21 lines: "BodyMark Line01", "Line02" … "Line20", "EndMark".
    std::string lines = "BodyMark Line01";
    for (int i = 2; i <= 20; ++i) lines += std::string("\\line Line") + (i < 10 ? "0" : "") + std::to_string(i);
    lines += "\\line EndMark";
    struct Case {
        const char* name;
        std::string words;         // on the paragraph that needs them
        std::string first, second; // must share a page when the words are there
        int lowest;                // the least page height tried
    };
    // 52 lines in all (30 of filler, the heading, 21 of body): heights from 1800 put a
    // page's foot after every line in turn; a paragraph kept whole needs room for it.
    const Case cases[] = {
        {"keep with next", "\\keepn", "HeadingMark", "BodyMark", 1800},
        {"keep together", "\\keep", "BodyMark", "EndMark", 3000},
        {"no widow", "\\widctlpar", "Line20", "EndMark", 1800},
        {"no orphan", "\\widctlpar", "BodyMark", "Line02", 1800},
    };
    for (const Case& c : cases) {
        for (const bool on : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (on ? " on" : " off"));
            const bool onHeading = c.words == "\\keepn";
            const std::string head = std::string("\\pard") + (onHeading && on ? c.words : "") + " HeadingMark\\par";
            const std::string body = std::string("\\pard") + (!onHeading && on ? c.words : "") + " " + lines + "\\par";
            auto edit = EditorWith(start + filler + head + body + "}");
            QImage device = Reference();
            TRangeFormatter formatter;
            bool parted = false;
            // Page heights that put the cut at every line of the pair in turn.
            for (int height = c.lowest; height <= 6000; height += 40) {
                const auto pages = formatter.Paginate(*edit->document(), QSizeF(4000, height), &device);
                const auto texts = PageTexts(*edit, pages);
                ExpectPagesCoverTheText(pages, edit->GetTextLen());
                const bool apart = PageOf(texts, c.first) != PageOf(texts, c.second);
                if (on) EXPECT_FALSE(apart) << height;
                parted = parted || apart;
            }
            if (!on) EXPECT_TRUE(parted) << "no page height parts the pair without the words";
        }
    }
}

TEST_F(RangeFormatting, ASectionStartsAPageUnlessItsBreakIsContinuous) {
    for (const bool continuous : {false, true}) {
        SCOPED_TRACE(continuous ? "continuous" : "new page");
        auto edit = EditorWith(std::string("{\\rtf1\\ansi First section\\par\\sect\\sectd") +
                               (continuous ? "\\sbknone" : "") + " Second section\\par}");
        QImage device = Reference();
        TRangeFormatter formatter;
        const auto pages = formatter.Paginate(*edit->document(), QSizeF(4000, 5000), &device);
        EXPECT_EQ(pages.size(), continuous ? 1u : 2u);
    }
}

// A long table's header row is drawn again at the top of every page it continues on, and
// the rows under it still tile the text.
TEST_F(RangeFormatting, HeaderRowsRepeatOnEveryPageATableCrosses) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 "
                      "\\trowd\\trhdr\\cellx3000\\cellx6000 Quantity\\cell Description\\cell\\row ";
    for (int r = 0; r < 150; ++r)
        rtf += "\\trowd\\cellx3000\\cellx6000 " + std::to_string(r) + "\\cell Row" + std::to_string(r) + "\\cell\\row ";
    auto edit = EditorWith(rtf + "}");
    QPrinter* printer = SelectPdfPrinter();
    TRangeFormatter formatter;
    const QRect render(0, 0, 6 * 1440, 4 * 1440);
    const auto pages = formatter.Paginate(*edit->document(), QSizeF(3600, 2400), printer);
    ASSERT_GE(pages.size(), 3u);
    ExpectPagesCoverTheText(pages, edit->GetTextLen());
    EXPECT_EQ(pages[0].HeaderBottom - pages[0].HeaderTop, 0); // the table's own first row
    for (std::size_t i = 1; i < pages.size(); ++i) {
        EXPECT_GT(pages[i].HeaderBottom - pages[i].HeaderTop, 0) << i;
        EXPECT_LE(pages[i].Bottom - pages[i].Top + pages[i].HeaderBottom - pages[i].HeaderTop, 2400.0 * TRangeFormatter::kLayoutDpi / 600 + 0.01);
    }
    {
        QPainter painter(printer);
        int start = 0;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i) printer->newPage();
            start = formatter.FormatRange(*edit->document(), painter, printer, render, start);
        }
    }
    for (int page = 1; page <= int(pages.size()); ++page) {
        const std::string text = PdfText(Path("out.pdf"), page);
        EXPECT_NE(text.find("Quantity"), std::string::npos) << page;
        EXPECT_EQ(text.find("Quantity"), text.find_first_not_of(" \n")) << "heads its page " << page;
    }
}

// A row height (at least or exactly one inch) makes short rows that tall on paper: ten of
// them need four pages of three and a half inches, where free rows fit on one.
TEST_F(RangeFormatting, RowsAreAsTallAsTheirDefinitionAsks) {
    for (const char* height : {"\\trrh1440", "\\trrh-1440", ""}) {
        SCOPED_TRACE(height);
        std::string rtf = "{\\rtf1\\ansi ";
        for (int r = 0; r < 10; ++r)
            rtf += std::string("\\trowd") + height + "\\cellx3000\\cellx6000 Row" + std::to_string(r) + "\\cell x\\cell\\row ";
        auto edit = EditorWith(rtf + "}");
        QImage device = Reference();
        TRangeFormatter formatter;
        const auto pages = formatter.Paginate(*edit->document(), QSizeF(4000, 2100), &device);
        ExpectPagesCoverTheText(pages, edit->GetTextLen());
        EXPECT_EQ(pages.size(), *height ? 4u : 1u); // three rows to a page
    }
}

// A page's clip starts in the left margin, beside a long table: the blocks drawn over
// (list numbers, kept decorations) are looked for from the row at its top, not from the
// document's start (that walk made printing a long table quadratic), and none is missed.
TEST_F(RangeFormatting, BlocksOnAPageAreFoundAroundItsClip) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 Before\\par ";
    for (int r = 0; r < 600; ++r) {
        const std::string n = std::to_string(r);
        rtf += "\\trowd\\trpaddl108\\trpaddr108\\cellx3000\\cellx6000 Row " + n + "\\cell Left " + n +
               (r % 7 == 0 ? "\\par Second line" : "") + "\\cell\\row ";
    }
    auto edit = EditorWith(rtf + "After\\par}");
    // At the paper's own width, and squeezed so that cells wrap and a row's first cell
    // reaches below its last one.
    for (const qreal unit : {TRangeFormatter::kLayoutDpi / 96.0, 1.0}) {
        std::unique_ptr<QTextDocument> copy(edit->document()->clone());
        TRangeFormatter::PrepareForPaper(*copy, QSizeF(600, 900) * unit);
        QAbstractTextDocumentLayout* layout = copy->documentLayout();
        const qreal height = layout->documentSize().height();
        for (const qreal top : {0.0, 17 * unit, height * 0.3, height * 0.77, height - 10 * unit}) {
            const QRectF clip(-72 * unit, top, 744 * unit, 150 * unit);
            std::vector<int> visited;
            RtfEngine::ForEachBlockIn(*copy, clip, [&](const QTextBlock& block, const QRectF&) {
                visited.push_back(block.blockNumber());
            });
            int firstShowing = -1;
            for (QTextBlock block = copy->begin(); block.isValid(); block = block.next()) {
                const QRectF rect = layout->blockBoundingRect(block);
                if (rect.bottom() < clip.top() || rect.top() > clip.bottom()) continue;
                if (firstShowing < 0) firstShowing = block.blockNumber();
                EXPECT_NE(std::find(visited.begin(), visited.end(), block.blockNumber()), visited.end())
                    << "block " << block.blockNumber() << " missed in the clip at " << top;
            }
            ASSERT_GE(firstShowing, 0) << top;
            const int first = RtfEngine::FirstBlockIn(*copy, clip).blockNumber();
            EXPECT_LE(first, firstShowing) << "clip at " << top;
            EXPECT_GE(first, firstShowing - 4) << "clip at " << top; // a row (two cells, two lines) above
        }
    }
}
