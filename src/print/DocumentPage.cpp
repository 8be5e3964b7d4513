#include "print/DocumentPage.h"

#include "platform/AnsiText.h"
#include "rtf/RtfEngine.h"
#include "rtf/RtfTokenizer.h"

#include <QLocale>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <string_view>
#include <vector>

namespace Print {
namespace {

using RtfEngine::RtfToken;
using RtfEngine::RtfTokenizer;

std::string_view View(const QByteArray& bytes) { return std::string_view(bytes.constData(), std::size_t(bytes.size())); }

// The document's word and the section's word of each length; a section's value wins.
struct TLengthWords {
    std::string_view document, section;
};
constexpr TLengthWords kPaperWords[2] = {{"paperw", "pgwsxn"}, {"paperh", "pghsxn"}};
constexpr TLengthWords kMarginWords[4] = {
    {"margl", "marglsxn"}, {"margt", "margtsxn"}, {"margr", "margrsxn"}, {"margb", "margbsxn"}};

QByteArray* HeaderFooterSlot(TDocumentPage& page, std::string_view word) {
    if (word == "header") return &page.Header;
    if (word == "headerl") return &page.HeaderLeft;
    if (word == "headerr") return &page.HeaderRight;
    if (word == "headerf") return &page.HeaderFirst;
    if (word == "footer") return &page.Footer;
    if (word == "footerl") return &page.FooterLeft;
    if (word == "footerr") return &page.FooterRight;
    if (word == "footerf") return &page.FooterFirst;
    return nullptr;
}

// Page sizes beyond any paper (RTF's own limit is 22 inches) are read as that limit.
constexpr int kLargestTwips = 22 * 1440;

int Clamped(int twips, int least) { return std::clamp(twips, least, kLargestTwips); }

// Reads one top-level word into `page`; `paper` and `margins` keep document and section
// values apart until the end.
struct TReadState {
    std::optional<int> paper[2][2];   // [width/height][document/section]
    std::optional<int> margins[4][2];
};

void ReadWord(const RtfToken& token, TDocumentPage& page, TReadState& state) {
    const std::string_view w = token.word;
    for (int i = 0; i < 2; ++i) {
        if (w == kPaperWords[i].document && token.hasParam) state.paper[i][0] = token.param;
        if (w == kPaperWords[i].section && token.hasParam) state.paper[i][1] = token.param;
    }
    for (int i = 0; i < 4; ++i) {
        if (w == kMarginWords[i].document && token.hasParam) state.margins[i][0] = token.param;
        if (w == kMarginWords[i].section && token.hasParam) state.margins[i][1] = token.param;
    }
    const bool on = !token.hasParam || token.param != 0;
    if (w == "landscape" || w == "lndscpsxn") page.Landscape = page.Landscape || on;
    else if (w == "headery" && token.hasParam) page.HeaderYTwips = Clamped(token.param, 0);
    else if (w == "footery" && token.hasParam) page.FooterYTwips = Clamped(token.param, 0);
    else if (w == "titlepg") page.TitlePage = on;
    else if (w == "facingp") page.FacingPages = on;
    else if (w == "pgnstarts" && token.hasParam) page.FirstPageNumber = token.param;
    else if (w == "deftab" && token.hasParam && token.param > 0) page.DefaultTabTwips = Clamped(token.param, 1);
    else if (w == "pgnrestart") page.RestartPageNumbers = on;
    else if (w == "pgncont") page.RestartPageNumbers = false;
    else if (w == "sbknone") page.Break = TDocumentPage::TBreak::None;
    else if (w == "sbkpage") page.Break = TDocumentPage::TBreak::Page;
    else if (w == "sbkcol") page.Break = TDocumentPage::TBreak::Column;
    else if (w == "sbkodd") page.Break = TDocumentPage::TBreak::Odd;
    else if (w == "sbkeven") page.Break = TDocumentPage::TBreak::Even;
    else if (w == "sectd") {
        // A section's own settings start from the defaults; its paper, margins, headers
        // and footers stay those before it unless it declares its own.
        page.TitlePage = false;
        page.RestartPageNumbers = false;
        page.FirstPageNumber = 0;
        page.Break = TDocumentPage::TBreak::Page;
    }
}

std::optional<int> SectionOrDocument(const std::optional<int> (&values)[2]) {
    return values[1] ? values[1] : values[0];
}

} // namespace

bool TDocumentPage::DeclaresMargins() const {
    for (const auto& margin : MarginTwips)
        if (margin) return true;
    return false;
}

bool TDocumentPage::HasOwnHeaderOrFooter() const {
    for (const QByteArray* group : {&Header, &HeaderLeft, &HeaderRight, &HeaderFirst, &Footer, &FooterLeft,
                                    &FooterRight, &FooterFirst})
        if (!group->isEmpty()) return true;
    return false;
}

namespace {

// Word's choice: the first page's own on a section's title page; else on facing pages
// the left one on even-numbered pages and the right one (or the plain one) on odd ones.
const QByteArray& Choose(bool first, int number, const TDocumentPage& setup, const QByteArray& plain,
                         const QByteArray& left, const QByteArray& right, const QByteArray& firstPage) {
    if (setup.TitlePage && first) return firstPage;
    if (setup.FacingPages && number % 2 == 0) return left;
    return right.isEmpty() ? plain : right;
}

} // namespace

const QByteArray& TDocumentPage::HeaderOf(bool first, int number) const {
    return Choose(first, number, *this, Header, HeaderLeft, HeaderRight, HeaderFirst);
}

const QByteArray& TDocumentPage::FooterOf(bool first, int number) const {
    return Choose(first, number, *this, Footer, FooterLeft, FooterRight, FooterFirst);
}

TDocumentPage ReadDocumentPage(const QByteArray& keptSource, const TDocumentPage* previous) {
    TDocumentPage page = previous ? *previous : TDocumentPage();
    TReadState state;
    if (previous) {
        // The previous section's values count as this one's document values.
        page.TitlePage = false;
        page.RestartPageNumbers = false;
        page.FirstPageNumber = 0;
        page.Break = TDocumentPage::TBreak::Page;
        if (previous->PaperTwips) {
            state.paper[0][0] = int(previous->PaperTwips->width());
            state.paper[1][0] = int(previous->PaperTwips->height());
        }
        for (int i = 0; i < 4; ++i) state.margins[i][0] = previous->MarginTwips[i];
    }
    RtfTokenizer tokens(View(keptSource));
    int depth = 0;
    std::size_t groupStart = 0;
    QByteArray* capture = nullptr; // the header or footer being read
    bool groupFirstWord = false;
    for (std::size_t before = 0;; before = tokens.Position()) {
        const RtfToken token = tokens.Next();
        if (token.kind == RtfToken::End) break;
        if (token.kind == RtfToken::GroupOpen) {
            if (++depth == 1) {
                groupStart = before;
                groupFirstWord = true;
            }
            continue;
        }
        if (token.kind == RtfToken::GroupClose) {
            if (depth == 1 && capture) {
                *capture = keptSource.mid(qsizetype(groupStart), qsizetype(tokens.Position() - groupStart));
                capture = nullptr;
            }
            depth = std::max(0, depth - 1);
            continue;
        }
        if (token.kind != RtfToken::Word) continue;
        if (depth == 1 && groupFirstWord) capture = HeaderFooterSlot(page, token.word);
        groupFirstWord = false;
        if (depth == 0) ReadWord(token, page, state);
    }
    for (int i = 0; i < 2; ++i) state.paper[i][0] = SectionOrDocument(state.paper[i]);
    if (state.paper[0][0] || state.paper[1][0])
        page.PaperTwips = QSizeF(Clamped(state.paper[0][0].value_or(12240), 1440),
                                 Clamped(state.paper[1][0].value_or(15840), 1440));
    for (int i = 0; i < 4; ++i)
        if (const auto margin = SectionOrDocument(state.margins[i])) page.MarginTwips[i] = Clamped(*margin, 0);
    return page;
}

TDocumentPage DocumentPageOf(const QTextDocument& document) {
    return ReadDocumentPage(document.rootFrame()->frameFormat().property(RtfEngine::kDocFormatProperty).toByteArray());
}

std::vector<TSection> SectionsOf(const QTextDocument& document) {
    std::vector<TSection> sections{{0, DocumentPageOf(document)}};
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        if (block.position() == 0 || !format.hasProperty(RtfEngine::kSectionProperty)) continue;
        sections.push_back({block.position(), ReadDocumentPage(format.property(RtfEngine::kSectionProperty).toByteArray(),
                                                               &sections.back().Page)});
    }
    return sections;
}

namespace {

// The last section that begins at or before `position`, from `from` on.
std::size_t SectionAt(const std::vector<TSection>& sections, int position, std::size_t from) {
    while (from + 1 < sections.size() && sections[from + 1].Start <= position) ++from;
    return from;
}

// The number a section's first page takes after page `previous`.
int FirstNumberOf(const TDocumentPage& page, int previous) {
    if (!page.RestartPageNumbers) return previous + 1;
    return page.FirstPageNumber > 0 ? page.FirstPageNumber : 1;
}

bool WrongSide(TDocumentPage::TBreak kind, int number) {
    return (kind == TDocumentPage::TBreak::Odd && number % 2 == 0) ||
           (kind == TDocumentPage::TBreak::Even && number % 2 != 0);
}

} // namespace

std::vector<TPrintedPage> PrintedPages(const std::vector<int>& pageStarts, const std::vector<TSection>& sections,
                                       int firstNumber) {
    std::vector<TPrintedPage> printed;
    if (sections.empty()) return printed;
    std::size_t section = 0;
    int number = (sections[0].Page.FirstPageNumber > 0 ? sections[0].Page.FirstPageNumber : firstNumber) - 1;
    for (std::size_t body = 0; body < pageStarts.size(); ++body) {
        const std::size_t at = SectionAt(sections, pageStarts[body], section);
        const bool starts = body == 0 || at != section;
        if (body > 0 && at != section) {
            // A section that must begin on an odd (or even) page gets a blank page before it.
            const TDocumentPage& page = sections[at].Page;
            if (WrongSide(page.Break, FirstNumberOf(page, number)) && !page.RestartPageNumbers)
                printed.push_back({-1, section, ++number, false, 0});
            number = FirstNumberOf(page, number) - 1;
        }
        section = at;
        printed.push_back({int(body), section, ++number, starts, 0});
    }
    // Each page learns how many pages its section has, blank pages counted where they stand.
    for (std::size_t first = 0; first < printed.size();) {
        std::size_t end = first + 1;
        while (end < printed.size() && !printed[end].FirstOfSection) ++end;
        for (std::size_t k = first; k < end; ++k) printed[k].SectionPages = int(end - first);
        first = end;
    }
    return printed;
}

namespace {

// The value PAGE gives a word of paper or margins, if it gives one.
std::optional<int> NewValueOf(std::string_view word, const TDocumentPage& page) {
    for (int i = 0; i < 2; ++i)
        if (word == kPaperWords[i].document || word == kPaperWords[i].section) {
            if (!page.PaperTwips) return std::nullopt;
            return int(std::lround(i == 0 ? page.PaperTwips->width() : page.PaperTwips->height()));
        }
    for (int i = 0; i < 4; ++i)
        if (word == kMarginWords[i].document || word == kMarginWords[i].section) return page.MarginTwips[i];
    return std::nullopt;
}

} // namespace

QByteArray WithPageSetup(const QByteArray& keptSource, const TDocumentPage& page) {
    QByteArray out;
    RtfTokenizer tokens(View(keptSource));
    int depth = 0;
    std::size_t copied = 0;
    std::vector<std::string_view> seen;
    auto replace = [&](std::size_t from, std::size_t to, const QByteArray& with) {
        out += keptSource.mid(qsizetype(copied), qsizetype(from - copied));
        out += with;
        copied = to;
    };
    for (std::size_t before = 0;; before = tokens.Position()) {
        const RtfToken token = tokens.Next();
        if (token.kind == RtfToken::End) break;
        if (token.kind == RtfToken::GroupOpen) ++depth;
        else if (token.kind == RtfToken::GroupClose) depth = std::max(0, depth - 1);
        if (token.kind != RtfToken::Word || depth != 0) continue;
        const bool spaced = tokens.Position() > before && keptSource[qsizetype(tokens.Position() - 1)] == ' ';
        const QByteArray suffix = spaced ? " " : "";
        if (token.word == "landscape" || token.word == "lndscpsxn") {
            replace(before, tokens.Position(), page.Landscape ? "\\" + QByteArray(token.word.data(), qsizetype(token.word.size())) + suffix : QByteArray());
            seen.push_back(token.word);
        } else if (const auto value = NewValueOf(token.word, page)) {
            replace(before, tokens.Position(),
                    "\\" + QByteArray(token.word.data(), qsizetype(token.word.size())) + QByteArray::number(*value) + suffix);
            seen.push_back(token.word);
        }
    }
    out += keptSource.mid(qsizetype(copied));
    // Values the source did not hold yet go in front as document words.
    QByteArray added;
    auto missing = [&](std::string_view word) { return std::find(seen.begin(), seen.end(), word) == seen.end(); };
    for (const auto& words : kPaperWords)
        if (const auto value = NewValueOf(words.document, page); value && missing(words.document) && missing(words.section))
            added += "\\" + QByteArray(words.document.data(), qsizetype(words.document.size())) + QByteArray::number(*value);
    for (const auto& words : kMarginWords)
        if (const auto value = NewValueOf(words.document, page); value && missing(words.document) && missing(words.section))
            added += "\\" + QByteArray(words.document.data(), qsizetype(words.document.size())) + QByteArray::number(*value);
    if (page.Landscape && missing("landscape") && missing("lndscpsxn")) added += "\\landscape";
    return added + out;
}

void SetDocumentPage(QTextDocument& document, const TDocumentPage& page) {
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    const QByteArray kept = root.property(RtfEngine::kDocFormatProperty).toByteArray();
    root.setProperty(RtfEngine::kDocFormatProperty, WithPageSetup(kept, page));
    document.rootFrame()->setFrameFormat(root);
    document.setModified(true);
}

namespace {

enum class TFieldKind { None, Page, Pages, SectionPages, Date, Time };

// The instruction text of the field whose source (up to its result, or whole) is given.
QByteArray InstructionOf(const QByteArray& source) {
    const qsizetype at = source.indexOf("fldinst");
    if (at < 0) return QByteArray();
    RtfTokenizer tokens(View(source).substr(std::size_t(at) + 7));
    QByteArray text;
    for (RtfToken token = tokens.Next(); token.kind != RtfToken::End && token.kind != RtfToken::GroupClose;
         token = tokens.Next())
        if (token.kind == RtfToken::Text) text.append(token.data.data(), qsizetype(token.data.size()));
        else if (token.kind == RtfToken::Symbol && token.symbol == '\\') text.append('\\'); // the backslash of a switch ("\\@")
    return text.trimmed();
}

TFieldKind FieldKindOf(const QByteArray& instruction) {
    const QByteArray name = instruction.split(' ').value(0).toUpper();
    if (name == "PAGE") return TFieldKind::Page;
    if (name == "NUMPAGES") return TFieldKind::Pages;
    if (name == "SECTIONPAGES") return TFieldKind::SectionPages;
    if (name == "DATE") return TFieldKind::Date;
    if (name == "TIME") return TFieldKind::Time;
    return TFieldKind::None;
}

// A date picture ("\@ "dd.MM.yyyy"") in the toolkit's terms: the same letters, but
// AM/PM as "AP" (and hours of 12 with it).
QString DatePictureOf(const QByteArray& instruction) {
    const qsizetype at = instruction.indexOf("\\@");
    if (at < 0) return QString();
    QByteArray picture = instruction.mid(at + 2).trimmed();
    if (picture.startsWith('"')) picture = picture.mid(1, picture.indexOf('"', 1) - 1);
    else picture = picture.split(' ').value(0);
    picture.replace("AM/PM", "AP").replace("am/pm", "ap");
    return Platform::AnsiToQString(std::string_view(picture.constData(), std::size_t(picture.size())));
}

QString FieldValue(const QByteArray& instruction, const TPageFields& fields) {
    const QLocale locale = QLocale::system();
    const QString picture = DatePictureOf(instruction);
    switch (FieldKindOf(instruction)) {
    case TFieldKind::Page: return QString::number(fields.Page);
    case TFieldKind::Pages: return QString::number(fields.Pages);
    case TFieldKind::SectionPages: return QString::number(fields.SectionPages);
    case TFieldKind::Date:
        return picture.isEmpty() ? locale.toString(fields.Now.date(), QLocale::ShortFormat) : locale.toString(fields.Now, picture);
    case TFieldKind::Time:
        return picture.isEmpty() ? locale.toString(fields.Now.time(), QLocale::ShortFormat) : locale.toString(fields.Now, picture);
    case TFieldKind::None: break;
    }
    return QString();
}

// The source of the innermost field a fragment stands in (a result's characters, or a
// kept field without a result).
QByteArray FieldSourceOf(const QTextCharFormat& format) {
    if (format.hasProperty(RtfEngine::kKeptSourceProperty)) return format.property(RtfEngine::kKeptSourceProperty).toByteArray();
    const QVariantList fields = format.property(RtfEngine::kFieldsProperty).toList();
    return fields.isEmpty() ? QByteArray() : fields.back().toByteArray();
}

struct TFieldRange {
    int start, end;
    QString value;
    QTextCharFormat format;
};

// The page fields of a document, each as one range (a result may run over fragments).
std::vector<TFieldRange> PageFields(const QTextDocument& document, const TPageFields& fields) {
    std::vector<TFieldRange> ranges;
    QByteArray previous;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QByteArray source = FieldSourceOf(fragment.charFormat());
            const QByteArray instruction = source.isEmpty() ? QByteArray() : InstructionOf(source);
            if (FieldKindOf(instruction) == TFieldKind::None) {
                previous.clear();
                continue;
            }
            const int end = fragment.position() + fragment.length();
            if (source == previous && !ranges.empty() && ranges.back().end == fragment.position()) {
                ranges.back().end = end;
                continue;
            }
            QTextCharFormat format = fragment.charFormat();
            format.setObjectType(QTextFormat::NoObject);
            format.clearProperty(RtfEngine::kKeptSourceProperty);
            format.clearProperty(RtfEngine::kKeptTextProperty);
            format.clearProperty(RtfEngine::kKeptAutoNumberProperty);
            ranges.push_back({fragment.position(), end, FieldValue(instruction, fields), format});
            previous = source;
        }
    }
    return ranges;
}

QByteArray HeaderFooterRtf(const QByteArray& group, const QTextDocument& body) {
    // The group without its destination word, as a group of a document of its own.
    RtfTokenizer tokens(View(group));
    tokens.Next(); // "{"
    tokens.Next(); // "\header" …
    const QTextFrameFormat root = body.rootFrame()->frameFormat();
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff" +
                     QByteArray::number(root.intProperty(RtfEngine::kDocDefaultFontProperty)) + "\\deftab" +
                     QByteArray::number(DocumentPageOf(body).DefaultTabTwips);
    for (int property : {RtfEngine::kDocFontTableProperty, RtfEngine::kDocColourTableProperty,
                         RtfEngine::kDocStylesheetProperty, RtfEngine::kDocListTablesProperty,
                         RtfEngine::kDocListOverridesProperty})
        rtf += root.property(property).toByteArray();
    return rtf + "{" + group.mid(qsizetype(tokens.Position())) + "}";
}

} // namespace

std::unique_ptr<QTextDocument> HeaderFooterDocument(const QByteArray& group, const QTextDocument& body,
                                                    const TPageFields& fields) {
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(body.defaultFont());
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document.get());
    try {
        RtfEngine::ReadRtf(HeaderFooterRtf(group, body), cursor);
    } catch (const std::exception&) {
        return document; // a damaged header prints as none
    }
    const std::vector<TFieldRange> ranges = PageFields(*document, fields);
    for (auto range = ranges.rbegin(); range != ranges.rend(); ++range) {
        cursor.setPosition(range->start);
        cursor.setPosition(range->end, QTextCursor::KeepAnchor);
        cursor.insertText(range->value, range->format);
    }
    return document;
}

} // namespace Print
