// Fields and bookmarks in the body: a field's result is text the user edits, its
// instruction travels as source; bookmark anchors stay where they stand. Both are written
// back in place.
#include "RtfTestSupport.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <functional>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

const QString kAnchor(QChar::ObjectReplacementCharacter);

QVariantList FieldsOf(const QTextDocument& document, const QString& text)
{
    return FormatOf(document, text).property(RtfEngine::kFieldsProperty).toList();
}

// Reads, saves and reads again: the second document must be the first.
QByteArray SavedAndCheckedAgain(const QTextDocument& document, const char* what)
{
    const QByteArray saved = RtfEngine::WriteRtf(document);
    auto again = Read(saved);
    EXPECT_EQ(TextOf(*again), TextOf(document)) << what << "\n" << saved.constData();
    EXPECT_EQ(RtfEngine::WriteRtf(*again), saved) << what;
    return saved;
}

struct SourceCase {
    const char* what;
    QByteArray body;
    QString text;                      // what the editor shows
    std::vector<QByteArray> written;   // each in the saved RTF exactly once
};

} // namespace

TEST(RtfFields, EachKindIsShownByItsResultAndWrittenBackInPlace)
{
    const SourceCase cases[] = {
        {"page numbers", "Page {\\field{\\*\\fldinst PAGE }{\\fldrslt 3}} of {\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 9}}.\\par ",
         "Page 3 of 9.",
         {"Page {\\field{\\*\\fldinst PAGE }{\\fldrslt 3}} of {\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 9}}.\\par"}},
        {"date with a picture switch and a word before the instruction",
         "Today {\\field\\flddirty{\\*\\fldinst DATE \\\\@ \"dd.MM.yyyy\"}{\\fldrslt 11.12.2026}} here\\par ",
         "Today 11.12.2026 here",
         {"Today {\\field\\flddirty{\\*\\fldinst DATE \\\\@ \"dd.MM.yyyy\"}{\\fldrslt 11.12.2026}} here"}},
        {"reference to a bookmark", "See {\\field{\\*\\fldinst REF clause4 \\\\h}{\\fldrslt 4.2}}.\\par ", "See 4.2.",
         {"See {\\field{\\*\\fldinst REF clause4 \\\\h}{\\fldrslt 4.2}}."}},
        {"a field inside the instruction",
         "x {\\field{\\*\\fldinst IF {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} = 1 \"first\" \"later\"}{\\fldrslt first}}\\par ",
         "x first",
         {"x {\\field{\\*\\fldinst IF {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} = 1 \"first\" \"later\"}{\\fldrslt first}}"}},
        {"a field inside a result",
         "x {\\field{\\*\\fldinst TOC \\\\o \"1-3\"}{\\fldrslt Intro\\tab {\\field{\\*\\fldinst PAGEREF _Toc1 \\\\h}{\\fldrslt 2}}}}\\par ",
         "x Intro\t2",
         {"x {\\field{\\*\\fldinst TOC \\\\o \"1-3\"}{\\fldrslt Intro\\tab {\\field{\\*\\fldinst PAGEREF _Toc1 \\\\h}{\\fldrslt 2}}}}\\par"}},
        {"a result over two paragraphs",
         "{\\field{\\*\\fldinst TOC}{\\fldrslt One\\par Two}}\\par After\\par ", "One\nTwo\nAfter",
         {"{\\field{\\*\\fldinst TOC}{\\fldrslt ", "One\\par\r\n", "Two}}\\par\r\nAfter"}},
        {"an empty result", "a{\\field{\\*\\fldinst PAGE}{\\fldrslt }}b\\par ", "a" + kAnchor + "b",
         {"a{\\field{\\*\\fldinst PAGE}{\\fldrslt }}b"}},
        {"no result at all", "a{\\field{\\*\\fldinst NUMPAGES}}b\\par ", "a" + kAnchor + "b",
         {"a{\\field{\\*\\fldinst NUMPAGES}}b"}},
        {"a bookmark around words", "See {\\*\\bkmkstart clause4}Clause 4{\\*\\bkmkend clause4} below.\\par ",
         "See " + kAnchor + "Clause 4" + kAnchor + " below.",
         {"See {\\*\\bkmkstart clause4}Clause 4{\\*\\bkmkend clause4} below."}},
        {"a bookmark over two paragraphs", "{\\*\\bkmkstart all}First\\par Second{\\*\\bkmkend all}\\par ",
         kAnchor + "First\nSecond" + kAnchor, {"{\\*\\bkmkstart all}First\\par", "Second{\\*\\bkmkend all}\\par"}},
        {"an empty bookmark", "a{\\*\\bkmkstart _GoBack}{\\*\\bkmkend _GoBack}b\\par ", "a" + kAnchor + kAnchor + "b",
         {"a{\\*\\bkmkstart _GoBack}{\\*\\bkmkend _GoBack}b"}},
        {"a bookmark in a table cell",
         "\\trowd\\cellx2000\\cellx4000\\pard\\intbl {\\*\\bkmkstart fee}100{\\*\\bkmkend fee}\\cell 200\\cell\\row ",
         "\n" + kAnchor + "100" + kAnchor + "\n200\n",
         {"{\\*\\bkmkstart fee}100{\\*\\bkmkend fee}\\cell"}},
        {"a bookmark in a field's result",
         "{\\field{\\*\\fldinst TOC}{\\fldrslt {\\*\\bkmkstart t}Intro{\\*\\bkmkend t}}}\\par ",
         kAnchor + "Intro" + kAnchor, {"{\\fldrslt {\\*\\bkmkstart t}Intro{\\*\\bkmkend t}}}"}},
    };
    for (const SourceCase& c : cases) {
        auto doc = Read(Rtf(c.body));
        EXPECT_EQ(TextOf(*doc), c.text) << c.what;
        const QByteArray saved = SavedAndCheckedAgain(*doc, c.what);
        for (const QByteArray& part : c.written)
            EXPECT_EQ(saved.count(part), 1) << c.what << ": " << part.constData() << "\n" << saved.constData();
    }
}

TEST(RtfFields, TheResultKeepsItsFormatsAndItsFields)
{
    auto doc = Read(Rtf("Due {\\field{\\*\\fldinst DATE}{\\fldrslt {\\b\\cf1 11 Dec}}} and "
                        "{\\field{\\*\\fldinst TOC}{\\fldrslt Intro {\\field{\\*\\fldinst PAGEREF t}{\\fldrslt 7}}}}\\par "));
    const QTextCharFormat date = FormatOf(*doc, "11 Dec");
    EXPECT_EQ(date.fontWeight(), QFont::Bold);
    EXPECT_EQ(date.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(FieldsOf(*doc, "11 Dec"), QVariantList{QByteArray("{\\field{\\*\\fldinst DATE}")});
    EXPECT_EQ(FieldsOf(*doc, "Intro"), QVariantList{QByteArray("{\\field{\\*\\fldinst TOC}")});
    const QVariantList both{QByteArray("{\\field{\\*\\fldinst TOC}"), QByteArray("{\\field{\\*\\fldinst PAGEREF t}")};
    EXPECT_EQ(FieldsOf(*doc, "7"), both);
    EXPECT_TRUE(FieldsOf(*doc, "Due").isEmpty());
    EXPECT_TRUE(FieldsOf(*doc, "and").isEmpty());

    auto again = RoundTrip(*doc);
    EXPECT_EQ(FormatOf(*again, "11 Dec").fontWeight(), QFont::Bold);
    EXPECT_EQ(FieldsOf(*again, "7"), both);
}

TEST(RtfFields, HyperlinksStayLinksInsideAndAroundOtherFields)
{
    auto doc = Read(Rtf("{\\field{\\*\\fldinst TOC}{\\fldrslt {\\field{\\*\\fldinst HYPERLINK \\\\l \"_Toc1\"}{\\fldrslt Intro}}}}"
                        " and {\\field{\\*\\fldinst HYPERLINK \"http://example.com/\"}{\\fldrslt site}}\\par "));
    EXPECT_EQ(FormatOf(*doc, "Intro").anchorHref(), "#_Toc1");
    EXPECT_EQ(FieldsOf(*doc, "Intro"), QVariantList{QByteArray("{\\field{\\*\\fldinst TOC}")});
    EXPECT_EQ(FormatOf(*doc, "site").anchorHref(), "http://example.com/");
    EXPECT_TRUE(FieldsOf(*doc, "site").isEmpty());
    const QByteArray saved = SavedAndCheckedAgain(*doc, "links");
    // The link is written as it was read, inside the field whose result holds it.
    EXPECT_TRUE(saved.contains("{\\field{\\*\\fldinst TOC}{\\fldrslt {\\field{\\*\\fldinst HYPERLINK \\\\l \"_Toc1\"}"
                               "{\\fldrslt{Intro}}}}}"))
        << saved.constData();
}

// A link keeps its field's switches (a tip, a target frame) while it goes where it went.
TEST(RtfFields, ALinkKeepsItsSwitchesUntilItsTargetChanges)
{
    const QByteArray link = "{\\field{\\*\\fldinst HYPERLINK \"http://example.com/\" \\\\o \"Our terms\" \\\\t \"_blank\"}";
    const struct {
        const char* what;
        QString newTarget; // empty: left alone
        QByteArray written;
    } cases[] = {
        {"untouched", {}, link + "{\\fldrslt{terms}}}"},
        {"another target", "http://example.org/", "{\\field{\\*\\fldinst{HYPERLINK \"http://example.org/\"}}{\\fldrslt{terms}}}"},
    };
    for (const auto& c : cases) {
        auto doc = Read(Rtf("see " + link + "{\\fldrslt terms}} now\\par "));
        if (!c.newTarget.isEmpty()) {
            QTextCursor found = doc->find("terms");
            QTextCharFormat retarget;
            retarget.setAnchorHref(c.newTarget);
            found.mergeCharFormat(retarget);
        }
        const QByteArray saved = SavedAndCheckedAgain(*doc, c.what);
        EXPECT_EQ(saved.count(c.written), 1) << c.what << "\n" << saved.constData();
        EXPECT_EQ(saved.count("HYPERLINK"), 1) << c.what;
    }
}

TEST(RtfFields, MarkersBesideFieldsAndBookmarksStayWhole)
{
    auto doc = Read(Rtf("@1 {\\field{\\*\\fldinst PAGE}{\\fldrslt 2}} @34{\\*\\bkmkstart b}@5{\\*\\bkmkend b} @6\\par "));
    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    for (const char* marker : {"@1 ", "@34{", "}@5{", " @6\\par"})
        EXPECT_TRUE(saved.contains(marker)) << marker << "\n" << saved.constData();
}

// What editing does to fields and bookmarks; never unbalanced RTF.
TEST(RtfFields, EditingTheResultOrTheAnchors)
{
    struct EditCase {
        const char* what;
        QByteArray body;
        std::function<void(QTextDocument&)> edit;
        QString text;                   // after the edit, as saved and read again
        std::vector<QByteArray> written; // each in the saved RTF exactly once
        std::vector<QByteArray> absent;
    };
    const auto removeText = [](const QString& text, int occurrence = 0) {
        return [text, occurrence](QTextDocument& d) {
            QTextCursor found = d.find(text);
            for (int i = 0; i < occurrence; ++i)
                found = d.find(text, found);
            ASSERT_FALSE(found.isNull()) << text.toStdString();
            found.removeSelectedText();
        };
    };
    const auto typeAfter = [](const QString& text, const QString& typed) {
        return [text, typed](QTextDocument& d) {
            QTextCursor found = d.find(text);
            ASSERT_FALSE(found.isNull()) << text.toStdString();
            found.clearSelection();
            found.insertText(typed);
        };
    };
    const QByteArray field = "Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 12}} of 20\\par ";
    const QByteArray bookmark = "See {\\*\\bkmkstart c4}Clause 4{\\*\\bkmkend c4} below\\par ";
    const EditCase cases[] = {
        {"part of the result deleted", field, removeText("1"), "Page 2 of 20",
         {"Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 2}} of 20"}, {}},
        {"the whole result deleted: the field goes", field, removeText("12"), "Page  of 20", {}, {"PAGE", "fldrslt"}},
        {"typing inside the result", field, typeAfter("Page 1", "x"), "Page 1x2 of 20",
         {"{\\fldrslt 1x2}}"}, {}},
        {"the start anchor deleted: the bookmark goes", bookmark, removeText(kAnchor), "See Clause 4 below", {},
         {"bkmk"}},
        {"the end anchor deleted: the bookmark goes", bookmark, removeText(kAnchor, 1), "See Clause 4 below", {},
         {"bkmk"}},
        {"the bookmarked words deleted: the bookmark stays, empty", bookmark, removeText("Clause 4"),
         "See " + kAnchor + kAnchor + " below", {"See {\\*\\bkmkstart c4}{\\*\\bkmkend c4} below"}, {}},
        {"a copy pasted after it: one bookmark", bookmark,
         [](QTextDocument& d) {
             QTextCursor all(&d);
             all.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
             const QTextDocumentFragment copy = all.selection();
             QTextCursor end(&d);
             end.movePosition(QTextCursor::End);
             end.insertBlock();
             end.insertFragment(copy);
         },
         "See " + kAnchor + "Clause 4" + kAnchor + " below\nSee Clause 4 below",
         {"{\\*\\bkmkstart c4}", "{\\*\\bkmkend c4}"}, {}},
    };
    for (const EditCase& c : cases) {
        auto doc = Read(Rtf(c.body));
        c.edit(*doc);
        const QByteArray saved = RtfEngine::WriteRtf(*doc);
        auto again = Read(saved);
        EXPECT_EQ(TextOf(*again), c.text) << c.what << "\n" << saved.constData();
        EXPECT_EQ(RtfEngine::WriteRtf(*again), saved) << c.what;
        EXPECT_EQ(saved.count('{') - saved.count("\\{"), saved.count('}') - saved.count("\\}")) << c.what;
        for (const QByteArray& part : c.written)
            EXPECT_EQ(saved.count(part), 1) << c.what << ": " << part.constData() << "\n" << saved.constData();
        for (const QByteArray& part : c.absent)
            EXPECT_FALSE(saved.contains(part)) << c.what << ": " << part.constData() << "\n" << saved.constData();
    }
}

// Anchors read without their partner, or twice, make no bookmark: they are not kept, so
// the document saved and read again is the one first read.
TEST(RtfFields, UnpairedAnchorsAreNotKept)
{
    const struct {
        const char* what;
        QByteArray body;
        QString text;
    } cases[] = {
        {"an end alone", "a{\\*\\bkmkend x}b\\par ", "ab"},
        {"a start alone", "a{\\*\\bkmkstart x}b\\par ", "ab"},
        {"the end before the start", "a{\\*\\bkmkend x}b{\\*\\bkmkstart x}c\\par ", "abc"},
        {"a name twice", "{\\*\\bkmkstart x}a{\\*\\bkmkend x}{\\*\\bkmkstart x}b{\\*\\bkmkend x}\\par ",
         kAnchor + "a" + kAnchor + "b"},
        {"two names crossing", "{\\*\\bkmkstart x}a{\\*\\bkmkstart y}b{\\*\\bkmkend x}c{\\*\\bkmkend y}\\par ",
         kAnchor + "a" + kAnchor + "b" + kAnchor + "c" + kAnchor},
    };
    for (const auto& c : cases) {
        auto doc = Read(Rtf(c.body));
        EXPECT_EQ(TextOf(*doc), c.text) << c.what;
        SavedAndCheckedAgain(*doc, c.what);
    }
}
