// The page as the document declares it, read back from the printed PDF: block lengths at
// their true size on a 600 dpi printer, the document's paper and margins, its own headers
// and footers with their page fields, and the printer's «Page N» only without them.
#include "PrintPdfSupport.h"
#include "print/DocumentPage.h"
#include "print/RichPrint.h"
#include "preview/PreviewPages.h"
#include "preview/RichPreview.h"
#include "richedit/RichEdit98.h"

#include <QPainter>
#include <QPicture>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QTextDocument>
#include <map>

namespace {

const std::string kLetterPage = "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440 ";

std::string Rtf(const std::string& setup, const std::string& body) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss DejaVu Sans;}}" + setup + "\\f0\\fs20 " + body + "}";
}

const TPdfWord* Find(const std::vector<TPdfWord>& words, const std::string& text) {
    for (const TPdfWord& word : words)
        if (word.text == text) return &word;
    return nullptr;
}

// The words of a page by their text (the first of equal ones).
std::map<std::string, TPdfWord> WordsByText(const std::vector<TPdfWord>& words) {
    std::map<std::string, TPdfWord> byText;
    for (const TPdfWord& word : words) byText.emplace(word.text, word);
    return byText;
}

// "Page size: 612 x 792 pts" of one PDF.
QSizeF PdfPageSize(const QString& file) {
    QProcess info;
    info.start("pdfinfo", {file});
    info.waitForFinished();
    const QRegularExpression size(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)");
    const auto match = size.match(QString::fromUtf8(info.readAllStandardOutput()));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) : QSizeF();
}

// The distance of two lines of DejaVu Sans at `points` as its design gives it.
double DesignPitch(double points) {
    QFont font("DejaVu Sans");
    font.setPixelSize(2048);
    const QRawFont raw = QRawFont::fromFont(font);
    return (raw.ascent() + raw.descent() + raw.leading()) / 2048 * points;
}

void PrintToPdf(const std::string& rtf, const QString& pdf) {
    auto edit = EditorWith(rtf);
    PrintRichEditToPdf(*edit, pdf);
}

} // namespace

using DocumentPage = PrinterTest;

// Indents, first-line indents, tab stops, table columns and the text of hanging list
// paragraphs at a 600 dpi printer stand where their twips say: 1 inch margin plus the indent.
TEST_F(DocumentPage, BlockLengthsPrintAtTheirSizeOnA600DpiPrinter) {
    const std::string body =
        "\\pard Zero\\par"
        "\\pard\\li720 Half\\par"
        "\\pard\\li2880 Two\\par"
        "\\pard\\li2880\\fi-1440 Hanging\\par"
        "\\pard\\tx4320 Tabbed\\tab Stop\\par"
        "\\trowd\\cellx2880\\cellx7200 CellOne\\cell CellTwo\\cell\\row"
        "\\pard\\qr Right\\par"
        "\\pard\\ls1\\ilvl0\\li1134\\fi-567 Listed\\par"
        "\\pard\\ls1\\ilvl1\\li2268\\fi-567 Bulleted\\par";
    const std::string lists =
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelfollow0\\levelstartat1"
        "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-567\\li1134}{\\listlevel\\levelnfc23\\levelfollow0"
        "{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}\\fi-567\\li2268}\\listid1}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}";
    const QString pdf = Path("indents.pdf");
    PrintToPdf(Rtf(lists + kLetterPage, body), pdf);
    const auto words = PdfWords(pdf, 1);
    struct Case {
        const char* word;
        double x; // points from the paper's left edge
    };
    const Case cases[] = {{"Zero", 72}, {"Half", 72 + 36}, {"Two", 72 + 144}, {"Hanging", 72 + 72},
                          {"Stop", 72 + 216}, {"CellTwo", 72 + 144}, {"Listed", 72 + 56.7}, {"Bulleted", 72 + 113.4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        const TPdfWord* word = Find(words, c.word);
        ASSERT_NE(word, nullptr);
        EXPECT_NEAR(word->xMin, c.x, 8.0); // cell padding and glyph side bearing
        EXPECT_GE(word->xMin, c.x - 0.5);
    }
    const TPdfWord* right = Find(words, "Right");
    ASSERT_NE(right, nullptr);
    EXPECT_NEAR(right->xMax, 612 - 72, 2.0);
    const TPdfWord* first = Find(words, "Zero");
    EXPECT_NEAR(first->yMin, 72, 6.0);
}

// Lines stand as far apart as their font's design says (ascent, descent and line gap),
// to the twip, not as a screen's whole pixels round it, space after a paragraph adds its points, and a
// tab without a stop of its own goes to the next multiple of "\deftab".
TEST_F(DocumentPage, LinesFollowTheFontsDesignAndDefaultTabStops) {
    std::string body = "\\pard\\fs22 ";
    for (int i = 1; i <= 30; ++i) body += "Line" + std::to_string(i) + "\\par ";
    body += "\\pard\\sa240\\fs22 Spaced\\par\\pard\\fs22 After\\par\\pard\\fs22 A\\tab Tabbed\\par";
    const QString pdf = Path("lines.pdf");
    PrintToPdf(Rtf(kLetterPage + "\\deftab1440", body), pdf);
    const auto at = WordsByText(PdfWords(pdf, 1));
    for (const char* word : {"Line1", "Line30", "Spaced", "After", "Tabbed"}) ASSERT_TRUE(at.count(word)) << word;
    const double pitch = DesignPitch(11);
    EXPECT_NEAR((at.at("Line30").yMin - at.at("Line1").yMin) / 29, pitch, 0.05); // a line is whole twips high
    EXPECT_NEAR(at.at("After").yMin - at.at("Spaced").yMin, pitch + 12, 0.1);
    EXPECT_NEAR(at.at("Tabbed").xMin, 72 + 72, 1.0);
}

// Space after a paragraph and space before the next add up, also around a table; the
// first paragraph's space before stays above it, and so does that of a paragraph a page
// break puts at the top of a page; a paragraph's box takes its width and spacing above
// and below the text.
TEST_F(DocumentPage, SpaceBeforeAndAfterAddUpAsWordProcessorsDo) {
    const std::string body = "\\pard\\sb480\\fs22 First\\par"
                             "\\pard\\sa240\\fs22 Above\\par\\pard\\sb360\\fs22 Below\\par"
                             "\\pard\\sa240\\fs22 Before\\par\\trowd\\cellx2000\\pard\\intbl\\fs22 Cell\\cell\\row"
                             "\\pard\\sb240\\fs22 After\\par"
                             "\\pard\\box\\brdrs\\brdrw30\\brsp80\\fs22 Boxed\\par\\pard\\fs22 Unboxed\\par"
                             "\\pard\\sa240\\fs22 End\\par\\page\\pard\\sb480\\fs22 Top\\par";
    const QString pdf = Path("spacing.pdf");
    PrintToPdf(Rtf(kLetterPage, body), pdf);
    const auto at = WordsByText(PdfWords(pdf, 1));
    const auto second = WordsByText(PdfWords(pdf, 2));
    for (const char* word : {"First", "Above", "Below", "Before", "Cell", "After", "Boxed", "Unboxed"})
        ASSERT_TRUE(at.count(word)) << word;
    ASSERT_TRUE(second.count("Top"));
    const auto y = [&](const char* word) { return at.at(word).yMin; };
    const double pitch = DesignPitch(11), box = (30 + 80) / 20.0;
    EXPECT_NEAR(y("First") - 72, 24, 3.0);
    EXPECT_NEAR(y("Below") - y("Above"), pitch + 12 + 18, 0.2);
    EXPECT_NEAR(y("Cell") - y("Before"), pitch + 12, 1.0);
    EXPECT_NEAR(y("After") - y("Cell"), pitch + 12, 1.0);
    EXPECT_NEAR(y("Boxed") - y("After"), pitch + box, 0.2);
    EXPECT_NEAR(y("Unboxed") - y("Boxed"), pitch + box, 0.2);
    EXPECT_NEAR(second.at("Top").yMin, y("First"), 0.2);
}

// The paper and margins the document declares (document words, a section's winning),
// landscape included; a document declaring none prints on the printer's A4 as before.
TEST_F(DocumentPage, PaperAndMarginsAreTheDocuments) {
    struct Case {
        const char* name;
        std::string setup;
        QSizeF paper;  // points
        double left;   // first word's left edge, points
    };
    const Case cases[] = {
        {"letter", kLetterPage, QSizeF(612, 792), 72},
        {"A4 landscape", "\\paperw16838\\paperh11906\\landscape\\margl2268\\margr1134 ", QSizeF(842, 595), 113.4},
        {"section wins", "\\paperw11906\\paperh16838\\margl1134\\sectd\\marglsxn2835 ", QSizeF(595, 842), 141.75},
        {"none", "", QSizeF(595, 842), 25 / 25.4 * 72},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString pdf = Path(QString::fromLatin1(c.name) + ".pdf");
        PrintToPdf(Rtf(c.setup, "Opening words\\par"), pdf);
        const QSizeF size = PdfPageSize(pdf);
        EXPECT_NEAR(size.width(), c.paper.width(), 1.5);
        EXPECT_NEAR(size.height(), c.paper.height(), 1.5);
        const auto words = PdfWords(pdf, 1);
        const TPdfWord* first = Find(words, "Opening");
        ASSERT_NE(first, nullptr);
        EXPECT_NEAR(first->xMin, c.left, 1.5);
    }
    // The printer's own paper is back for the next print.
    PrintToPdf(Rtf("", "Opening words\\par"), Path("after.pdf"));
    EXPECT_NEAR(PdfPageSize(Path("after.pdf")).width(), 595, 1.5);
}

// The document's header and footer on every page, at \headery and \footery, with PAGE and
// NUMPAGES per page; a title page has its own; the printer's «Page N» is not drawn.
TEST_F(DocumentPage, OwnHeadersAndFootersReplaceThePrintersOnEveryPage) {
    std::string body;
    for (int i = 0; i < 120; ++i) body += "Clause " + std::to_string(i) + " of the agreement binds both parties.\\par ";
    const std::string setup = kLetterPage + "\\headery720\\footery720\\titlepg"
                              "{\\headerf\\pard First caf\\'e9 letterhead\\par}"
                              "{\\header\\pard Kanzlei \\'80 M\\'fcller\\par}"
                              "{\\footer\\pard\\qc Seite {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} / "
                              "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}\\par}"
                              "{\\footerf\\pard\\qc Seite {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} / "
                              "{\\field{\\*\\fldinst NUMPAGES}}\\par}";
    const QString pdf = Path("letterhead.pdf");
    PrintToPdf(Rtf(setup, body), pdf);
    const int pages = PdfPages(pdf);
    ASSERT_GE(pages, 3);
    for (int page = 1; page <= pages; ++page) {
        SCOPED_TRACE(page);
        const std::string text = PdfText(pdf, page);
        EXPECT_NE(text.find("Clause"), std::string::npos);
        EXPECT_EQ(text.find("Page "), std::string::npos) << "the printer's footer";
        const std::string seite = "Seite " + std::to_string(page) + " / " + std::to_string(pages);
        EXPECT_NE(text.find(seite), std::string::npos) << text;
        EXPECT_EQ(text.find("First café letterhead") != std::string::npos, page == 1);
        EXPECT_EQ(text.find("Kanzlei € Müller") != std::string::npos, page != 1);
        const auto words = PdfWords(pdf, page);
        const TPdfWord* head = Find(words, page == 1 ? "First" : "Kanzlei");
        ASSERT_NE(head, nullptr);
        EXPECT_NEAR(head->yMin, 36, 5.0);
        EXPECT_NEAR(head->xMin, 72, 1.5);
        const TPdfWord* foot = Find(words, "Seite");
        ASSERT_NE(foot, nullptr);
        EXPECT_NEAR(foot->yMax, 792 - 36, 5.0);
    }
}

// Sections bring their own headers and page numbering: an odd-page break puts a blank
// page before its section, a restart numbers from "\\pgnstarts", SECTIONPAGES counts the
// section's pages and NUMPAGES all; a section without headers of its own keeps the ones
// before it. DATE and TIME show the moment of printing in their pictures.
TEST_F(DocumentPage, SectionsNumberTheirPagesAndBringTheirHeaders) {
    const std::string field = "{\\field{\\*\\fldinst %1}{\\fldrslt 0}}";
    auto Field = [&](const char* name) { return QString::fromStdString(field).arg(name).toStdString(); };
    const std::string setup =
        kLetterPage + "{\\header\\pard Alpha " + Field("PAGE") + "/" + Field("SECTIONPAGES") + "/" + Field("NUMPAGES") +
        "\\par}{\\footer\\pard On " + Field("DATE \\\\@ \"yyyy-MM-dd\"") + " at " + Field("TIME \\\\@ \"HH:mm\"") + "\\par}";
    const std::string body =
        "First\\par"
        "\\sect\\sectd\\sbkodd{\\header\\pard Beta " + Field("PAGE") + "\\par} Second\\par"
        "\\sect\\sectd\\pgnrestart\\pgnstarts7{\\header\\pard Gamma " + Field("PAGE") + " of " +
        Field("SECTIONPAGES") + "\\par} Third\\par\\page Fourth\\par"
        "\\sect\\sectd Fifth\\par";
    const QString pdf = Path("sections.pdf");
    PrintToPdf(Rtf(setup, body), pdf);
    ASSERT_EQ(PdfPages(pdf), 6);
    struct Case {
        const char* header;
        const char* body; // "" on the blank page
    };
    const Case cases[] = {{"Alpha 1/2/6", "First"}, {"Alpha 2/2/6", ""},   {"Beta 3", "Second"},
                          {"Gamma 7 of 2", "Third"}, {"Gamma 8 of 2", "Fourth"}, {"Gamma 9 of 1", "Fifth"}};
    const std::string today = QDate::currentDate().toString("yyyy-MM-dd").toStdString();
    for (int page = 1; page <= 6; ++page) {
        const Case& c = cases[page - 1];
        SCOPED_TRACE(page);
        const std::string text = PdfText(pdf, page);
        EXPECT_NE(text.find(c.header), std::string::npos) << text;
        for (const char* word : {"First", "Second", "Third", "Fourth", "Fifth"})
            EXPECT_EQ(text.find(word) != std::string::npos, std::string(word) == c.body) << word;
        EXPECT_TRUE(QRegularExpression(QString::fromStdString("On " + today + R"( at \d\d:\d\d)"))
                        .match(QString::fromStdString(text))
                        .hasMatch())
            << text;
    }
}

TEST_F(DocumentPage, WithoutItsOwnHeaderThePrintersFooterNumbersThePages) {
    PrintToPdf(Rtf(kLetterPage, "Body\\par"), Path("plain.pdf"));
    EXPECT_NE(PdfText(Path("plain.pdf"), 1).find("Page 1"), std::string::npos);
}

// Facing pages: the left header on even pages, the right one on odd pages.
TEST(DocumentPageChoice, HeadersFollowTitleAndFacingPages) {
    const auto page = Print::ReadDocumentPage("\\facingp\\titlepg{\\headerl L}{\\headerr R}{\\headerf F}"
                                              "{\\footer Foot}\\margl1000\\paperw12000");
    EXPECT_EQ(page.HeaderOf(1), "{\\headerf F}");
    EXPECT_EQ(page.HeaderOf(2), "{\\headerl L}");
    EXPECT_EQ(page.HeaderOf(3), "{\\headerr R}");
    EXPECT_EQ(page.FooterOf(1), ""); // a title page without its own footer has none
    EXPECT_EQ(page.FooterOf(3), "{\\footer Foot}");
    EXPECT_EQ(page.MarginTwips[0], 1000);
    EXPECT_FALSE(page.MarginTwips[1].has_value());
    ASSERT_TRUE(page.PaperTwips.has_value());
    EXPECT_EQ(page.PaperTwips->width(), 12000);
    EXPECT_EQ(page.PaperTwips->height(), 15840); // Letter's where only the width is given
    EXPECT_FALSE(Print::ReadDocumentPage("\\deftab720").DeclaresPaper());
    // Absurd sizes are cut to the largest paper.
    EXPECT_EQ(Print::ReadDocumentPage("\\paperw99999999\\paperh-5").PaperTwips, QSizeF(22 * 1440, 1440));
}

// Changing the page setup writes the document's words (section ones too) and nothing else.
TEST(DocumentPageChoice, ChangedSetupIsWrittenIntoTheKeptSource) {
    Print::TDocumentPage page = Print::ReadDocumentPage("\\paperw11906\\margl1417 {\\header H}\\sectd\\marglsxn1417");
    page.MarginTwips[0] = 2000;
    page.MarginTwips[1] = 900;
    page.Landscape = true;
    page.PaperTwips = QSizeF(16838, 11906);
    const QByteArray written = Print::WithPageSetup("\\paperw11906\\margl1417 {\\header H}\\sectd\\marglsxn1417", page);
    EXPECT_EQ(written, "\\paperh11906\\margt900\\landscape\\paperw16838\\margl2000 {\\header H}\\sectd\\marglsxn2000");
    const Print::TDocumentPage back = Print::ReadDocumentPage(written);
    EXPECT_EQ(back.MarginTwips[0], 2000);
    EXPECT_TRUE(back.Landscape);
    EXPECT_EQ(back.Header, "{\\header H}");
}

// The preview's pages are the printed pages: the same count, and each page begins with the
// same words (its own header first), for a letter with its own page, header and footer.
TEST_F(DocumentPage, PreviewShowsThePagesThePdfPrints) {
    std::string body;
    for (int i = 0; i < 160; ++i) body += "\\pard\\widctlpar Clause" + std::to_string(i) + " binds both parties alike.\\par ";
    body += "\\pard\\keepn Heading\\par\\pard Last words.\\par";
    const std::string rtf = Rtf(kLetterPage + "{\\header\\pard Kanzlei {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par}", body);
    auto edit = EditorWith(rtf);
    PrintRichEditToPdf(*edit, Path("printed.pdf"));

    QPrinter* printer = SelectPdfPrinter("preview.pdf");
    TRichPrinter previewer;
    TRichPrinter::ConfigureAsRichPrinter1(previewer);
    previewer.ShowProgress = false;
    previewer.CompressPreview = false;
    previewer.PreviewRichEdit(edit.get());
    ASSERT_NE(previewer.PreviewWindow(), nullptr);
    {
        // The page files played onto a PDF, one preview page to one PDF page.
        QPainter painter(printer);
        for (int index = 0; Print::PageFileExists(index, false); ++index) {
            QPicture page;
            ASSERT_TRUE(Print::LoadPageFile(page, index, false));
            if (index) printer->newPage();
            Print::PlayPage(painter, page);
        }
    }
    previewer.PreviewWindow()->close();

    const int pages = PdfPages(Path("printed.pdf"));
    ASSERT_GE(pages, 3);
    EXPECT_EQ(PdfPages(Path("preview.pdf")), pages);
    for (int page = 1; page <= pages; ++page) {
        SCOPED_TRACE(page);
        const auto firstWords = [](const std::string& text) { return text.substr(0, text.find("binds")); };
        const std::string printed = firstWords(PdfText(Path("printed.pdf"), page));
        EXPECT_NE(printed.find("Kanzlei " + std::to_string(page)), std::string::npos) << printed;
        EXPECT_EQ(firstWords(PdfText(Path("preview.pdf"), page)), printed);
    }
}
