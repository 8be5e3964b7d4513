// The page a document declares for itself: its paper, margins and orientation, and its
// own headers and footers with where they stand. Read from the page-setup source the
// RTF engine keeps with the document (the first section's settings win over the
// document's). A document that declares nothing yields an empty page: the printer's
// own paper, stored margins, header and footer apply.
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QMarginsF>
#include <QSizeF>
#include <memory>
#include <optional>
#include <vector>

class QTextDocument;

namespace Print {

struct TDocumentPage {
    std::optional<QSizeF> PaperTwips;     // width x height as declared
    std::optional<int> MarginTwips[4];    // left, top, right, bottom
    bool Landscape = false;
    int HeaderYTwips = 720;               // header's top from the paper's top edge
    int FooterYTwips = 720;               // footer's bottom from the paper's bottom edge
    bool TitlePage = false;               // the first page has its own header and footer
    bool FacingPages = false;             // left and right pages have their own
    int FirstPageNumber = 0;              // "\pgnstarts", 0: not declared
    int DefaultTabTwips = 720;            // "\deftab": the distance of default tab stops
    bool RestartPageNumbers = false;      // "\pgnrestart": numbers start again at the section
    enum class TBreak { Page, None, Column, Odd, Even };
    TBreak Break = TBreak::Page;          // how the section begins ("\sbk…")
    // The groups as written, "{\header ...}", empty when absent.
    QByteArray Header, HeaderLeft, HeaderRight, HeaderFirst;
    QByteArray Footer, FooterLeft, FooterRight, FooterFirst;

    bool DeclaresPaper() const { return PaperTwips.has_value(); }
    bool DeclaresMargins() const;
    bool HasOwnHeaderOrFooter() const;
    // The group that heads (or foots) page `page` (1 = the section's first page, also
    // its number).
    const QByteArray& HeaderOf(int page) const { return HeaderOf(page == 1, page); }
    const QByteArray& FooterOf(int page) const { return FooterOf(page == 1, page); }
    // The same for a page that is or is not its section's first and has page number `number`.
    const QByteArray& HeaderOf(bool first, int number) const;
    const QByteArray& FooterOf(bool first, int number) const;
};

// Reads the kept page-setup source (words and "{\header…}" groups). With `previous`, the
// source is a later section's: what it does not declare (paper, margins, headers and
// footers) is the previous section's.
TDocumentPage ReadDocumentPage(const QByteArray& keptSource, const TDocumentPage* previous = nullptr);
// The page `document` declares (the RTF engine's kept source in its root frame).
TDocumentPage DocumentPageOf(const QTextDocument& document);

// A section of a document: the position of its first paragraph and its page.
struct TSection {
    int Start = 0;
    TDocumentPage Page;
};
// The document's sections in order; the first starts at 0.
std::vector<TSection> SectionsOf(const QTextDocument& document);

// A page as printed: a page of the laid-out body (or a blank page that an odd or even
// section break puts before one), its section, its number and its section's page count.
struct TPrintedPage {
    int Body = -1;            // index of the body's page, -1: blank
    std::size_t Section = 0;
    int Number = 1;
    bool FirstOfSection = false;
    int SectionPages = 1;
};
// The printed pages of a body whose pages begin at `pageStarts`, numbered from
// `firstNumber` unless the first section says otherwise.
std::vector<TPrintedPage> PrintedPages(const std::vector<int>& pageStarts, const std::vector<TSection>& sections,
                                       int firstNumber);

// The kept source with paper, margins and orientation replaced by PAGE's (each given
// value in its document word and in the first section's word); nothing else changes.
QByteArray WithPageSetup(const QByteArray& keptSource, const TDocumentPage& page);
// Writes PAGE's paper and margins into `document`'s kept source (saved with it).
void SetDocumentPage(QTextDocument& document, const TDocumentPage& page);

// The values of the page-number and date fields on one page.
struct TPageFields {
    int Page = 1;
    int Pages = 1;
    int SectionPages = 1;
    QDateTime Now;
};

// A header or footer group made into a document of its own, in `body`'s fonts, colours
// and styles; its PAGE, NUMPAGES, SECTIONPAGES, DATE and TIME fields show `fields`.
std::unique_ptr<QTextDocument> HeaderFooterDocument(const QByteArray& group, const QTextDocument& body,
                                                    const TPageFields& fields);

} // namespace Print
