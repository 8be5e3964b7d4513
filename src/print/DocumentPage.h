// The page a document declares for itself: its paper, margins and orientation, and its
// own headers and footers with where they stand. Read from the page-setup source the
// RTF engine keeps with the document (the first section's settings win over the
// document's). A document that declares nothing yields an empty page: the printer's
// own paper, stored margins, header and footer apply.
#pragma once
#include <QByteArray>
#include <QDate>
#include <QMarginsF>
#include <QSizeF>
#include <memory>
#include <optional>

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
    // The groups as written, "{\header ...}", empty when absent.
    QByteArray Header, HeaderLeft, HeaderRight, HeaderFirst;
    QByteArray Footer, FooterLeft, FooterRight, FooterFirst;

    bool DeclaresPaper() const { return PaperTwips.has_value(); }
    bool DeclaresMargins() const;
    bool HasOwnHeaderOrFooter() const;
    // The group that heads (or foots) page `page` (1 = the document's first page).
    const QByteArray& HeaderOf(int page) const;
    const QByteArray& FooterOf(int page) const;
};

// Reads the kept page-setup source (words and "{\header…}" groups).
TDocumentPage ReadDocumentPage(const QByteArray& keptSource);
// The page `document` declares (the RTF engine's kept source in its root frame).
TDocumentPage DocumentPageOf(const QTextDocument& document);

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
    QDate Date;
};

// A header or footer group made into a document of its own, in `body`'s fonts, colours
// and styles; its PAGE, NUMPAGES, SECTIONPAGES and DATE fields show `fields`.
std::unique_ptr<QTextDocument> HeaderFooterDocument(const QByteArray& group, const QTextDocument& body,
                                                    const TPageFields& fields);

} // namespace Print
