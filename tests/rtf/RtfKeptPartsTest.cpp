// What the editor cannot show travels with the document and is written back in place:
// headers, footers, footnotes, page setup, styles, the font table.
#include "RtfTestSupport.h"

#include <QTextBlock>
#include <QTextCursor>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

// A letter as a word processor writes it: a letterhead, a footer with page fields, a
// footnote, page setup, styles, fonts with families and character sets.
const QByteArray kLetter =
    "{\\rtf1\\ansi\\deff1\\adeflang1025\r\n"
    "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset2 Symbol;}{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}"
    "{\\f2\\fmodern\\fprq1\\fcharset238 Courier New CE;}}\r\n"
    "{\\colortbl;\\red0\\green0\\blue0;\\red31\\green56\\blue100;}\r\n"
    "{\\stylesheet{\\s0\\snext0\\f1\\fs22 Normal;}{\\s1\\sbasedon0\\snext0\\keepn\\b\\fs32 Heading 1;}}\r\n"
    "{\\info{\\title Engagement}{\\author Kelvora}}\r\n"
    "\\deftab709\\paperh16838\\paperw11906\\margl1417\\margr1134\\margt1134\\margb1134\\landscape\r\n"
    "\\sectd\\sbknone\\pgwsxn11906\\pghsxn16838\\marglsxn1417\\headery709"
    "{\\header\\pard\\plain\\qr\\f1\\fs18 Muster & Partner \\'b7 Rechtsanw\\'e4lte\\par}"
    "{\\footer\\pard\\plain\\qc\\f1\\fs18 Seite {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} / "
    "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}\\par}\r\n"
    "\\pard\\plain\\s1\\keepn\\f1\\fs32\\b\\lang1031 Mandate\\par\r\n"
    "\\pard\\plain\\s0\\f1\\fs22 Fees are due{\\super\\chftn{\\*\\footnote\\chftn\\pard\\plain\\f1\\fs18 "
    "Plus VAT.}} on receipt.\\par\r\n"
    "\\pard\\plain\\s0\\f2\\fs22\\uldb Courier\\ulnone  text\\par\r\n"
    "}";

} // namespace

TEST(RtfKeptParts, AWordProcessorsLetterIsWrittenBackWithWhatItCannotShow)
{
    auto doc = Read(kLetter);
    EXPECT_EQ(TextOf(*doc), QString("Mandate\nFees are due\uFFFC on receipt.\nCourier text"));
    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    const char* const kept[] = {
        "\\deff1",
        "{\\f0\\froman\\fprq2\\fcharset2 Symbol;}",
        "{\\f2\\fmodern\\fprq1\\fcharset238 Courier New CE;}",
        "\\red31\\green56\\blue100;",
        "{\\s1\\sbasedon0\\snext0\\keepn\\b\\fs32 Heading 1;}",
        "{\\title Engagement}",
        "\\paperw11906", "\\margl1417", "\\landscape", "\\deftab709", "\\headery709",
        "{\\header\\pard\\plain\\qr\\f1\\fs18 Muster & Partner \\'b7 Rechtsanw\\'e4lte\\par}",
        "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}",
        "\\s1", "\\lang1031", "\\uldb",
        "\\chftn{\\*\\footnote\\chftn\\pard\\plain\\f1\\fs18 Plus VAT.}",
    };
    for (const char* part : kept)
        EXPECT_TRUE(saved.contains(part)) << part << "\n" << saved.constData();
    // In place: the page setup and the headers before the first paragraph, the footnote
    // between the words it follows and precedes.
    EXPECT_LT(saved.indexOf("{\\header"), saved.indexOf("Mandate"));
    EXPECT_LT(saved.indexOf("Fees are due"), saved.indexOf("{\\*\\footnote"));
    EXPECT_LT(saved.indexOf("{\\*\\footnote"), saved.indexOf(" on receipt."));
    EXPECT_EQ(saved.count("{\\header"), 1);
    // Read again, the document is the same and saves to the same bytes.
    auto again = Read(saved);
    EXPECT_EQ(TextOf(*again), TextOf(*doc));
    EXPECT_EQ(RtfEngine::WriteRtf(*again), saved);
}

TEST(RtfKeptParts, TheFootnoteStaysInItsParagraphThroughEditing)
{
    auto doc = Read(kLetter);
    const QTextBlock block = BlockOf(*doc, "Fees are due");
    QTextCursor cursor(block);
    cursor.insertText("All ");
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText(" Thank you.");
    // Typing right after the footnote's mark gives ordinary text.
    QTextCursor after = doc->find(QString(QChar::ObjectReplacementCharacter));
    ASSERT_FALSE(after.isNull());
    after.clearSelection();
    after.insertText("!");
    const QTextCharFormat anchor = FormatOf(*doc, QString(QChar::ObjectReplacementCharacter));
    EXPECT_EQ(anchor.objectType(), RtfEngine::kKeptObjectType);
    EXPECT_EQ(anchor.stringProperty(RtfEngine::kKeptTextProperty), "1");
    EXPECT_EQ(anchor.verticalAlignment(), QTextCharFormat::AlignSuperScript);

    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    const qsizetype note = saved.indexOf("{\\*\\footnote");
    EXPECT_LT(saved.indexOf("All Fees are due"), note);
    EXPECT_LT(note, saved.indexOf("Plus VAT.}!"));
    EXPECT_LT(note, saved.indexOf(" on receipt. Thank you.\\par")) << saved.constData();
    EXPECT_EQ(saved.count("{\\*\\footnote"), 1);
    EXPECT_EQ(TextOf(*Read(saved)), "Mandate\nAll Fees are due\uFFFC! on receipt. Thank you.\nCourier text");

    // Deleting the mark deletes the footnote.
    QTextCursor mark = doc->find(QString(QChar::ObjectReplacementCharacter));
    mark.removeSelectedText();
    EXPECT_FALSE(RtfEngine::WriteRtf(*doc).contains("\\footnote"));
}

TEST(RtfKeptParts, PastedTextKeepsTheDocumentsOwnParts)
{
    auto doc = Read(kLetter);
    QTextCursor end(doc.get());
    end.movePosition(QTextCursor::End);
    RtfEngine::ReadRtf(Rtf("\\pard pasted\\par"), end);
    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    EXPECT_TRUE(saved.contains("{\\header")) << "pasting keeps the letterhead";
    EXPECT_TRUE(saved.contains("{\\f2\\fmodern\\fprq1\\fcharset238 Courier New CE;}"));
    EXPECT_TRUE(saved.contains("pasted"));

    // Reading a whole document into an emptied one takes that document's parts.
    QTextCursor all(doc.get());
    all.select(QTextCursor::Document);
    RtfEngine::ReadRtf(Rtf("\\pard other\\par"), all);
    const QByteArray replaced = RtfEngine::WriteRtf(*doc);
    EXPECT_FALSE(replaced.contains("{\\header"));
    EXPECT_FALSE(replaced.contains("\\paperw"));
}

TEST(RtfKeptParts, SectionsKeepTheirOwnSettingsAndHeaders)
{
    auto doc = Read(Rtf("\\sectd\\margl1000{\\header one\\par}\\pard First\\par"
                        "\\sect\\sectd\\lndscpsxn\\margl2000{\\header two\\par}\\pard Second\\par"));
    EXPECT_EQ(TextOf(*doc), "First\nSecond") << "a section break adds no paragraph";
    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    const qsizetype first = saved.indexOf("First"), sect = saved.indexOf("\\sect\\sectd"),
                    second = saved.indexOf("Second");
    EXPECT_LT(saved.indexOf("{\\header one\\par}"), first);
    EXPECT_LT(first, sect);
    EXPECT_LT(sect, saved.indexOf("\\lndscpsxn\\margl2000{\\header two\\par}"));
    EXPECT_LT(saved.indexOf("{\\header two\\par}"), second);
    EXPECT_EQ(RtfEngine::WriteRtf(*Read(saved)), saved);
}

TEST(RtfKeptParts, CutOffDocumentsKeepNothingUnbalanced)
{
    // A table whose source is cut off is not kept: written back it would swallow the rest.
    for (const QByteArray& rtf : {QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}"), QByteArray("{\\rtf1{\\colortbl;\\red1;"),
                                  QByteArray("{\\rtf1 a{\\header b"), QByteArray("{\\rtf1 a{\\*\\footnote b")}) {
        const QByteArray saved = RtfEngine::WriteRtf(*Read(rtf));
        EXPECT_EQ(saved.count('{') - saved.count("\\{"), saved.count('}') - saved.count("\\}")) << rtf.constData();
    }
}
