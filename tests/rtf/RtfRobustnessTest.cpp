// Untrusted input: the reader ends with a clear error or a sensible document, never a
// crash or hang. Also the two word-processor samples.
#include "RtfTestSupport.h"
#include "rtf/RtfReader.h"

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QUrl>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

enum class Outcome { Reads, NotRtf, Error };

Outcome ReadOutcome(const QByteArray& bytes, QString* text = nullptr)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    try {
        RtfEngine::ReadRtf(bytes, cursor);
    } catch (const RtfEngine::ENotRtf&) {
        return Outcome::NotRtf;
    } catch (const RtfEngine::ERtfError&) {
        EXPECT_TRUE(doc.isEmpty()) << "a failed read leaves the document as it was";
        return Outcome::Error;
    }
    if (text)
        *text = TextOf(doc);
    return Outcome::Reads;
}

QByteArray RandomBytes(quint32 seed, int size)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

} // namespace

TEST(RtfRobustness, HostileInputs)
{
    struct Case { const char* what; QByteArray bytes; Outcome outcome; const char* text; };
    const Case cases[] = {
        {"empty", "", Outcome::NotRtf, nullptr},
        {"plain text", "Heading one\r\nValue one\r\n", Outcome::NotRtf, nullptr},
        {"other control word", "{\\rtfx}", Outcome::NotRtf, nullptr},
        {"rtf keyword later", "text {\\rtf1 x}", Outcome::NotRtf, nullptr},
        {"white space first", " \r\n\t{\\rtf1 ok\\par}", Outcome::Reads, "ok"},
        {"header only", "{\\rtf1", Outcome::Reads, ""},
        {"deep nesting", "{\\rtf1 " + QByteArray(RtfEngine::MaxGroupDepth() + 1, '{') + "x", Outcome::Error, nullptr},
        {"deep nesting in a skipped group costs nothing", "{\\rtf1{\\*\\x " + QByteArray(RtfEngine::MaxGroupDepth() + 1, '{') + "}}",
         Outcome::Reads, ""},
        {"nesting at the limit reads", "{\\rtf1 " + QByteArray(500, '{') + "deep" + QByteArray(500, '}') + "}",
         Outcome::Reads, "deep"},
        {"huge bin: a frame for the picture", "{\\rtf1 a{\\pict\\pngblip\\bin999999999 xyz}b}", Outcome::Reads, "a\uFFFC"},
        {"huge bin in text", "{\\rtf1 a\\bin999999999 xyz}", Outcome::Reads, "a"},
        {"negative bin", "{\\rtf1 a\\bin-5 b}", Outcome::Reads, "ab"},
        {"unterminated hex", "{\\rtf1 a\\'", Outcome::Reads, "a"},
        {"half hex", "{\\rtf1 a\\'4", Outcome::Reads, "a4"},
        {"bad hex", "{\\rtf1 a\\'zz b}", Outcome::Reads, "azz b"},
        {"truncated group", "{\\rtf1 {\\b bold", Outcome::Reads, "bold"},
        {"truncated field", "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link", Outcome::Reads, "link"},
        {"truncated picture: a frame", "{\\rtf1 a{\\pict\\pngblip 89504e47", Outcome::Reads, "a\uFFFC"},
        {"truncated font table", "{\\rtf1{\\fonttbl{\\f0 Ari", Outcome::Reads, ""},
        {"extra closing braces", "{\\rtf1 a}}}} junk", Outcome::Reads, "a"},
        {"huge parameter", "{\\rtf1\\fs99999999999999999 a\\li-99999999999 b\\par}", Outcome::Reads, "ab"},
        {"huge uc", "{\\rtf1\\uc999999999\\u65 abc}", Outcome::Reads, "A"},
        {"long control word", "{\\rtf1\\" + QByteArray(100000, 'a') + " x}", Outcome::Reads, "x"},
        {"cell without row", "{\\rtf1\\intbl a\\cell b", Outcome::Reads, nullptr},
        {"row without cells", "{\\rtf1\\row\\row x}", Outcome::Reads, "x"},
        {"list reference without table", "{\\rtf1\\ls5\\ilvl99 item\\par}", Outcome::Reads, "item"},
        {"colour index out of range", "{\\rtf1\\cf99\\highlight-3 c}", Outcome::Reads, "c"},
        {"nul bytes", QByteArray("{\\rtf1 a\0b}", 11), Outcome::Reads, "ab"},
        {"control bytes are not text", "{\\rtf1 a\x01\x1f" "b\tc}", Outcome::Reads, "ab\tc"},
    };
    for (const Case& c : cases) {
        QString text;
        EXPECT_EQ(ReadOutcome(c.bytes, &text), c.outcome) << c.what;
        if (c.outcome == Outcome::Reads && c.text)
            EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.what;
    }
}

TEST(RtfRobustness, RandomBytesAfterHeader)
{
    for (quint32 seed = 1; seed <= 40; ++seed) {
        const Outcome outcome = ReadOutcome("{\\rtf1 " + RandomBytes(seed, 4000));
        EXPECT_NE(outcome, Outcome::NotRtf) << seed;
    }
    EXPECT_EQ(ReadOutcome(RandomBytes(7, 4000).replace('{', 'x')), Outcome::NotRtf);
}

TEST(RtfRobustness, DamagedDocumentsReadAndSaveStably)
{
    // Damaged real documents read (or fail cleanly), and what they read as saves to RTF
    // that reads back to the same document.
    const QByteArray sample = ReadFile(KELVORA_SOURCE_DIR "/../shared/rtf-samples/lo-formatting-showcase.rtf");
    if (sample.isEmpty())
        GTEST_SKIP() << "sample not present";
    QRandomGenerator random(2024);
    for (int round = 0; round < 150; ++round) {
        QByteArray damaged = sample;
        for (int k = random.bounded(1, 20); k > 0 && damaged.size() > 10; --k) {
            const int at = random.bounded(5, int(damaged.size()));
            switch (random.bounded(4)) {
            case 0: damaged[at] = char(random.bounded(256)); break;
            case 1: damaged.remove(at, random.bounded(1, 200)); break;
            case 2: damaged.insert(at, "{\\"); break;
            default: damaged.truncate(at); break;
            }
        }
        std::unique_ptr<QTextDocument> doc;
        try {
            doc = Read(damaged);
        } catch (const RtfEngine::ERtfError&) {
            continue;
        }
        const QByteArray saved = RtfEngine::WriteRtf(*doc);
        EXPECT_EQ(RtfEngine::WriteRtf(*Read(saved)), saved) << "round " << round;
    }
}

TEST(RtfSamples, FormattingShowcase)
{
    const QByteArray rtf = ReadFile(KELVORA_SOURCE_DIR "/../shared/rtf-samples/lo-formatting-showcase.rtf");
    if (rtf.isEmpty())
        GTEST_SKIP() << "sample not present";
    auto doc = Read(rtf);
    const QString text = doc->toPlainText();
    EXPECT_FALSE(text.contains("Times New Roman")) << "font table must not show";
    EXPECT_FALSE(text.contains("HYPERLINK"));
    int bold = 0, italic = 0, underline = 0, strike = 0, super = 0, coloured = 0, links = 0, images = 0;
    QSet<double> sizes;
    QSet<QString> families;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            bold += f.fontWeight() == QFont::Bold;
            italic += f.fontItalic();
            underline += f.fontUnderline();
            strike += f.fontStrikeOut();
            super += f.verticalAlignment() == QTextCharFormat::AlignSuperScript;
            coloured += f.foreground().style() != Qt::NoBrush;
            links += f.isAnchor() && f.anchorHref().startsWith("http");
            images += f.isImageFormat() &&
                      !doc->resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name())).value<QImage>().isNull();
            sizes.insert(f.fontPointSize());
            for (const QString& family : f.fontFamilies().toStringList())
                families.insert(family);
        }
    for (int count : {bold, italic, underline, strike, super, coloured, links})
        EXPECT_GT(count, 0);
    EXPECT_EQ(images, 2) << "each shape's picture once, not its fill or its fallback";
    EXPECT_GE(sizes.size(), 4);
    EXPECT_GE(families.size(), 3);
    int centred = 0, indented = 0, pageBreaks = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        centred += b.blockFormat().alignment() == Qt::AlignHCenter;
        indented += b.blockFormat().leftMargin() > 0;
        pageBreaks += bool(b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    }
    EXPECT_GT(centred, 0);
    EXPECT_GT(indented, 0);
    EXPECT_GT(pageBreaks, 0);
}

TEST(RtfSamples, ListsAndIndents)
{
    const QByteArray rtf = ReadFile(KELVORA_SOURCE_DIR "/../shared/rtf-samples/lo-lists-indents.rtf");
    if (rtf.isEmpty())
        GTEST_SKIP() << "sample not present";
    auto doc = Read(rtf);
    QSet<int> levels;
    QSet<int> styles;
    int listed = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        if (QTextList* list = b.textList()) {
            ++listed;
            levels.insert(list->format().indent());
            styles.insert(list->format().style());
        }
    EXPECT_GT(listed, 5);
    EXPECT_GE(levels.size(), 3);
    EXPECT_TRUE(styles.contains(QTextListFormat::ListDecimal));
    EXPECT_TRUE(styles.contains(QTextListFormat::ListDisc) || styles.contains(QTextListFormat::ListCircle));
    EXPECT_FALSE(doc->toPlainText().contains("\t\t")) << "list number texts (\\listtext) are not shown";
}
