// Whole documents printed into PDF files and read back: footers, headers, columns,
// macros, the body text complete and in order, and the printer's failures.
#include "PrintPdfSupport.h"
#include "preview/RichPreview.h"
#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QPicture>
#include <algorithm>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QLabel>
#include <QWidget>
#include <QRegularExpression>

namespace {

// Numbered paragraphs with the characters that must survive: é € ¶ and «Łukasz».
std::string LongDocument(int paragraphs) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs22 ";
    for (int i = 1; i <= paragraphs; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%04d", i);
        rtf += std::string("Item") + number + " caf\\'e9 \\'80 \\'b6 \\'ab\\u321?ukasz\\'bb";
        if (i % 7 == 0) rtf += " and a longer sentence that wraps onto a second line of the page so that breaks fall inside paragraphs too";
        rtf += "\\par\n";
    }
    return rtf + "}";
}

std::vector<std::string> Matches(const std::string& text, const char* pattern) {
    std::vector<std::string> found;
    auto it = QRegularExpression(pattern).globalMatch(QString::fromStdString(text));
    while (it.hasNext()) found.push_back(it.next().captured(0).toStdString());
    return found;
}

} // namespace

using PrintedPdf = PrinterTest;

TEST_F(PrintedPdf, EveryParagraphOnceInOrderAndFootersNumbered) {
    SelectPdfPrinter();
    auto edit = EditorWith(LongDocument(400));
    TRichPrinter printer;
    TRichPrinter::ConfigureAsRichPrinter1(printer);
    printer.ShowProgress = false;
    printer.PrintRichEdit(edit.get(), 1);

    const int pages = PdfPages(Path("out.pdf"));
    ASSERT_GE(pages, 5);
    const std::string text = PdfText(Path("out.pdf"));
    const auto items = Matches(text, R"(Item\d{4})");
    ASSERT_EQ(items.size(), 400u);
    for (int i = 0; i < 400; ++i) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "Item%04d", i + 1);
        EXPECT_EQ(items[size_t(i)], expected);
    }
    EXPECT_EQ(Matches(text, "caf\u00e9 \u20ac \u00b6 \u00ab\u0141ukasz\u00bb").size(), 400u);
    // One footer per page, numbered in order; the header ("{$TITLE}" of an untitled job) is empty.
    const auto footers = Matches(text, R"(Page \d+)");
    ASSERT_EQ(footers.size(), size_t(pages));
    for (int p = 0; p < pages; ++p) EXPECT_EQ(footers[size_t(p)], "Page " + std::to_string(p + 1));
    const auto firstPage = PdfWords(Path("out.pdf"), 1);
    ASSERT_FALSE(firstPage.empty());
    EXPECT_EQ(firstPage.front().text, "Item0001"); // nothing above the body
}

TEST_F(PrintedPdf, FooterIsRightAlignedInItsColumnAndCentredInTheBottomMargin) {
    SelectPdfPrinter();
    auto edit = EditorWith("{\\rtf1\\ansi Body\\par}");
    TRichPrinter printer;
    printer.ShowProgress = false;
    printer.PrintRichEdit(edit.get(), 1);
    const auto words = PdfWords(Path("out.pdf"), 1);
    ASSERT_EQ(words.size(), 3u); // Body, Page, 1
    const double mm = 72 / 25.4;
    // ">100": the column runs from the left margin (25 mm) for 100 mm; the text ends
    // 6 printer pixels (0.254 mm) before the column's right edge.
    EXPECT_NEAR(words[2].xMax, (125 - 0.254) * mm, 0.5 * mm);
    // Centred in the bottom margin's 18 mm inside the printable area, which ends 7 mm
    // above the paper's edge: its middle near 297 - 7 - 9 mm.
    EXPECT_NEAR((words[2].yMin + words[2].yMax) / 2, (297 - 7 - 9) * mm, 1.5 * mm);
}

TEST_F(PrintedPdf, HeaderColumnsFollowTheirFormat) {
    struct Case {
        std::string format, header;
        std::vector<std::string> printed;
    };
    const Case cases[] = {
        {">100", "Alpha|Beta", {"Alpha"}},            // surplus pieces are not printed
        {"<50|>50", "Alone", {"Alone"}},               // second column stays empty
        {"<|<30", "Wide|Next", {"W", "Next"}},        // width 0 cuts to one character
        {"<20", "Abcdefghijklmnopqrstuvwxyz", {"Abcdefghi"}}, // cut to what fits 20 mm
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format + " " + c.header);
        const QString file = QString("h%1.pdf").arg(run++);
        SelectPdfPrinter(file);
        auto edit = EditorWith("{\\rtf1\\ansi Body\\par}");
        TRichPrinter printer;
        printer.ShowProgress = false;
        printer.Footer.clear();
        printer.Header = c.header;
        printer.HeaderFormat = c.format;
        printer.PrintRichEdit(edit.get(), 1);
        auto words = PdfWords(Path(file), 1);
        ASSERT_FALSE(words.empty());
        EXPECT_EQ(words.back().text, "Body");
        words.pop_back();
        std::vector<std::string> printed;
        for (const auto& w : words) printed.push_back(w.text);
        if (c.header.size() > 20) {
            // Courier at 10 pt is 6 pt a character: 20 mm holds 9 of them.
            ASSERT_EQ(printed.size(), 1u);
            EXPECT_EQ(printed[0].size(), 9u);
            EXPECT_EQ(c.header.rfind(printed[0], 0), 0u);
        } else {
            EXPECT_EQ(printed, c.printed);
        }
    }
}

TEST_F(PrintedPdf, MacrosReadThePageNumberAndLineZero) {
    SelectPdfPrinter();
    auto edit = EditorWith("{\\rtf1\\ansi One\\par\\page Two\\par\\page Three\\par}");
    TRichPrinter printer;
    printer.ShowProgress = false;
    printer.Header = "P{$PAGE}L{$LINE}";
    printer.Footer = "{$TITLE}T";
    printer.SetTitle("Job");
    std::vector<int> seen;
    printer.OnNewPage = [&seen](TRichPrinter* sender) { seen.push_back(sender->PageNumber()); };
    printer.PrintRichEdit(edit.get(), 1);
    ASSERT_EQ(PdfPages(Path("out.pdf")), 3);
    EXPECT_NE(PdfText(Path("out.pdf"), 3).find("P3L0"), std::string::npos);
    EXPECT_NE(PdfText(Path("out.pdf"), 3).find("JobT"), std::string::npos);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
}

TEST_F(PrintedPdf, NoTextAreaEndsTheDocumentAtOnce) {
    SelectPdfPrinter();
    auto edit = EditorWith(LongDocument(100));
    TRichPrinter printer;
    printer.ShowProgress = false;
    printer.SetMarginTop(150);
    printer.SetMarginBottom(150);
    ASSERT_EQ(printer.TextAreaHeight(), 0);
    printer.PrintRichEdit(edit.get(), 1);
    EXPECT_EQ(PdfPages(Path("out.pdf")), 1);
}

TEST_F(PrintedPdf, SettersRefuseWhilePrintingAndEventsFireAroundTheDocument) {
    SelectPdfPrinter();
    TRichPrinter printer;
    printer.ShowProgress = false;
    std::vector<std::string> events;
    std::vector<std::string> refusals;
    printer.OnBeginDoc = [&](TRichPrinter*) { events.push_back("begin"); };
    printer.OnEndDoc = [&](TRichPrinter*) { events.push_back("end"); };
    printer.OnNewPage = [&](TRichPrinter* p) {
        events.push_back("page");
        const std::function<void()> changes[] = {
            [p] { p->SetTitle("x"); },        [p] { p->SetOrientation(poLandscape); },
            [p] { p->SetMarginTop(40); },     [p] { p->SetMarginBottom(40); },
            [p] { p->SetMarginLeft(40); },    [p] { p->SetMarginRight(40); },
        };
        for (const auto& change : changes) {
            try {
                change();
            } catch (const ELinePrinter& e) {
                refusals.push_back(e.what());
            }
        }
    };
    auto edit = EditorWith("{\\rtf1\\ansi Body\\par}");
    printer.PrintRichEdit(edit.get(), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"begin", "page", "end"}));
    EXPECT_EQ(refusals, (std::vector<std::string>{
                            "Unable to change title while printing", "Unable to change orientation while printing",
                            "Unable to change top margin while printing", "Unable to change bottom margin while printing",
                            "Unable to change left margin while printing", "Unable to change right margin while printing"}));
    EXPECT_DOUBLE_EQ(printer.MarginTop(), 30.0);
    EXPECT_FALSE(Printer().Printing());
}

TEST_F(PrintedPdf, AnUnwritableFileFailsWithItsOwnMessageAndLeavesNothingPrinting) {
    SelectPdfPrinter("no-such-folder/out.pdf");
    TRichPrinter printer;
    auto edit = EditorWith("{\\rtf1\\ansi Body\\par}");
    try {
        printer.PrintRichEdit(edit.get(), 1);
        FAIL() << "printed into a missing folder";
    } catch (const ELinePrinter& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot create file"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(printer.ProgressDialog(), nullptr);
}

// A print into an existing file: the file changes only when the whole print succeeded.
TEST_F(PrintedPdf, AFailedPrintLeavesTheOldFileAndNoTemporary) {
    const auto writeOld = [&] {
        QFile old(Path("out.pdf"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old pdf");
    };
    writeOld();
    SelectPdfPrinter();
    auto edit = EditorWith(LongDocument(200));
    TRichPrinter printer;
    printer.ShowProgress = false;
    printer.OnNewPage = [](TRichPrinter*) { throw ELinePrinter("paper jam"); };
    EXPECT_THROW(PrintSafely([&] { printer.PrintRichEdit(edit.get(), 1); }), ELinePrinter);
    EXPECT_FALSE(Printer().Printing());
    QFile kept(Path("out.pdf"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "old pdf");
    const QStringList all = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(all, QStringList{"out.pdf"}) << "a stray temporary";

    printer.OnNewPage = nullptr;
    PrintSafely([&] { printer.PrintRichEdit(edit.get(), 1); });
    EXPECT_GE(PdfPages(Path("out.pdf")), 2);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"out.pdf"});
}

TEST_F(PrintedPdf, ProgressDialogShowsWhilePrintingAndClosesAtTheEnd) {
    SelectPdfPrinter();
    TRichPrinter printer;
    QString status, caption;
    bool visible = false;
    printer.OnNewPage = [&](TRichPrinter* p) {
        auto* dialog = p->ProgressDialog();
        ASSERT_NE(dialog, nullptr);
        visible = dialog->isVisible();
        caption = dialog->windowTitle();
        status = dialog->findChild<QLabel*>("lblStatus")->text();
    };
    auto edit = EditorWith("{\\rtf1\\ansi Body\\par}");
    printer.PrintRichEdit(edit.get(), 1);
    EXPECT_TRUE(visible);
    EXPECT_EQ(caption, "Print Progress");
    EXPECT_EQ(status, "Currently Printing");
    EXPECT_EQ(printer.ProgressDialog(), nullptr);
}

// The preview's last page that cannot be stored (its file not written) still ends the
// preparation: the failure reaches the caller and the progress window closes, as it does
// when an earlier page fails.
TEST_F(PrintedPdf, ProgressWindowClosesWhenThePreviewsLastPageFails) {
    for (const bool lastPage : {true, false}) {
        SCOPED_TRACE(lastPage ? "last page" : "earlier page");
        TRichPrinter printer;
        QImage page(800, 1100, QImage::Format_RGB32);
        QPainter surface(&page);
        printer.SetPreviewMode(true);
        printer.SetDrawingSurface(&surface);
        bool shown = false;
        printer.OnNewPage = [&](TRichPrinter* p) { shown = shown || (p->ProgressDialog() && p->ProgressDialog()->isVisible()); };
        printer.OnPreviewPage = [&](TRichPrinter*, bool more) {
            if (more != lastPage) throw Platform::EFCreateError("PreviewMetafile1.CPR");
        };
        auto edit = EditorWith(LongDocument(lastPage ? 1 : 200));
        EXPECT_ANY_THROW(printer.PrintRichEdit(edit.get(), 1));
        EXPECT_TRUE(shown);
        EXPECT_EQ(printer.ProgressDialog(), nullptr);
        EXPECT_FALSE(printer.PreviewMode());
    }
}

// A footnote's mark is drawn where its note is anchored, right after the word it follows,
// and the marks count on in order; the note itself is kept for saving, not printed.
TEST_F(PrintedPdf, FootnoteMarksArePrintedWhereTheyStandInOrder) {
    SelectPdfPrinter();
    auto edit = EditorWith("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs24 "
                           "Fees are due{\\super\\chftn{\\*\\footnote\\chftn\\pard Plus VAT.}} on receipt, "
                           "costs{\\super\\chftn{\\*\\footnote\\chftn\\pard At cost.}} monthly.\\par}");
    TRichPrinter printer;
    TRichPrinter::ConfigureAsRichPrinter1(printer);
    printer.ShowProgress = false;
    printer.PrintRichEdit(edit.get(), 1);

    const std::string text = PdfText(Path("out.pdf"));
    EXPECT_EQ(Matches(text, R"(due1 on receipt, costs2 monthly)").size(), 1u) << text;
    EXPECT_EQ(text.find("Plus VAT"), std::string::npos) << text;
}

// The preview's first page, as recorded in its page file, played into a PDF file.
static void PreviewFirstPageToPdf(TRichEdit98& edit, const QString& pdfFile) {
    TRichPrinter printer;
    printer.ShowProgress = false;
    printer.PreviewRichEdit(&edit);
    QPicture page;
    const bool loaded = Print::LoadPageFile(page, 0, printer.CompressPreview);
    if (printer.PreviewWindow()) printer.PreviewWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(loaded);
    const std::unique_ptr<QPrinter> out = TPrinter::NewPdfPrinter(pdfFile);
    out->setResolution(Printer().Device()->resolution());
    QPainter painter(out.get());
    Print::PlayPage(painter, page);
}

TEST_F(PrintedPdf, ListsStartingElsewherePrintAndPreviewTheirNumbersBeforeTheirItems) {
    // The toolkit counts every list from 1; these numbers are drawn by the editor's code.
    struct Case { int nfc, start; const char* text; std::vector<std::string> numbers; };
    const Case cases[] = {
        {0, 5, "\\'02\\'00.", {"5.", "6."}},
        {2, 4, "\\'02\\'00)", {"iv)", "v)"}},
        {4, 26, "\\'02\\'00)", {"z)", "aa)"}}, // letters past z
        {4, 52, "\\'02\\'00)", {"az)", "ba)"}},
    };
    int run = 0;
    for (const Case& c : cases) {
        for (const bool preview : {false, true}) {
            SCOPED_TRACE(c.numbers[0] + (preview ? " previewed" : " printed"));
            const QString file = QString("list%1.pdf").arg(run++);
            SelectPdfPrinter(file);
            auto edit = EditorWith("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs24 "
                                   "{\\*\\listtable{\\list{\\listlevel\\levelnfc" + std::to_string(c.nfc) +
                                   "\\levelstartat" + std::to_string(c.start) + "{\\leveltext " + c.text +
                                   ";}}\\listid3}}{\\*\\listoverridetable{\\listoverride\\listid3\\ls1}}"
                                   "\\pard Heading\\par\\pard\\ls1 Alpha\\par\\pard\\ls1 Beta\\par}");
            if (preview) {
                PreviewFirstPageToPdf(*edit, Path(file));
            } else {
                TRichPrinter printer;
                printer.ShowProgress = false;
                printer.PrintRichEdit(edit.get(), 1);
            }
            const auto words = PdfWords(Path(file), 1);
            const std::string items[] = {"Alpha", "Beta"};
            for (std::size_t i = 0; i < 2; ++i) {
                const auto item = std::find_if(words.begin(), words.end(), [&](const TPdfWord& w) { return w.text == items[i]; });
                const auto number = std::find_if(words.begin(), words.end(),
                                                 [&](const TPdfWord& w) { return w.text == c.numbers[i]; });
                ASSERT_NE(item, words.end()) << items[i];
                ASSERT_NE(number, words.end()) << c.numbers[i];
                EXPECT_NEAR(number->yMax, item->yMax, 1.0) << "on the item's line";
                EXPECT_LT(number->xMax, item->xMin) << "before the item";
            }
        }
    }
}

TEST_F(PrintedPdf, TabLeadersAndParagraphBordersArePrinted) {
    // The toolkit draws neither; the printout draws them where the editor does.
    struct Case { const char* what; const char* paragraph; bool drawn; };
    const Case cases[] = {
        {"dot leader", "\\pard\\tqr\\tldot\\tx6000 Chapter\\tab Seven\\par", true},
        {"no leader", "\\pard\\tqr\\tx6000 Chapter\\tab Seven\\par", false},
        {"bottom border", "\\pard\\brdrb\\brdrs\\brdrw30\\brsp200 Chapter\\tab Seven\\par", true},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = QString("decorated%1.pdf").arg(run++);
        SelectPdfPrinter(file);
        auto edit = EditorWith(std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs24 ") + c.paragraph + "}");
        TRichPrinter printer;
        printer.ShowProgress = false;
        printer.PrintRichEdit(edit.get(), 1);
        const auto words = PdfWords(Path(file), 1);
        const auto word = [&](const std::string& text) {
            return std::find_if(words.begin(), words.end(), [&](const TPdfWord& w) { return w.text == text; });
        };
        const auto chapter = word("Chapter"), seven = word("Seven");
        ASSERT_NE(chapter, words.end());
        ASSERT_NE(seven, words.end());
        // The page at 72 dpi, one pixel a point, as the words' boxes are measured.
        ASSERT_EQ(QProcess::execute("pdftoppm", {"-r", "72", "-gray", "-f", "1", "-l", "1", "-singlefile",
                                                 Path(file), Path(file + "-page")}), 0);
        const QImage page(Path(file + "-page.pgm"));
        ASSERT_FALSE(page.isNull());
        // Between the words on their line (a leader), and under them (a border).
        const QRect gap(int(chapter->xMax) + 3, int(chapter->yMin), int(seven->xMin - chapter->xMax) - 6,
                        int(chapter->yMax - chapter->yMin) + 12);
        int dark = 0;
        for (int y = gap.top(); y <= gap.bottom(); ++y)
            for (int x = gap.left(); x <= gap.right(); ++x)
                dark += qGray(page.pixel(x, y)) < 128;
        EXPECT_EQ(dark > 0, c.drawn) << dark;
    }
}
