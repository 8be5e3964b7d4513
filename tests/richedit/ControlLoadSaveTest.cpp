// Loading with the RTF-then-text fall-back, saving by OutputFormat, SelectedInOut and
// InsertFromFile.
#include "richedit/RichEdit98.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

const char kRtf[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Hello {\\b bold} text\\par "
                    "Second line\\par}";

class ControlLoadSave : public ::testing::Test {
protected:
    std::string PathOf(const char* name) const { return dir.filePath(name).toStdString(); }
    std::string Write(const char* name, const std::string& bytes) const {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
        return PathOf(name);
    }
    static std::string Read(const std::string& path) {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly)) return "<missing>";
        return file.readAll().toStdString();
    }
    QTemporaryDir dir;
    TRichEdit98 edit;
};

TEST_F(ControlLoadSave, AnRtfFileShowsFormattedWithoutItsSource) {
    edit.Lines().LoadFromFile(Write("doc.tem", kRtf));
    EXPECT_EQ(edit.Lines().ToVector(), (std::vector<std::string>{"Hello bold text", "Second line"}));
    EXPECT_EQ(edit.Text().find("rtf"), std::string::npos);
    edit.SetSelectionStart(6);
    edit.SetSelectionLength(4);
    EXPECT_TRUE(edit.SelectionAttributes().Bold());
    edit.SetSelectionStart(11);
    edit.SetSelectionLength(4);
    EXPECT_FALSE(edit.SelectionAttributes().Bold());
}

TEST_F(ControlLoadSave, PlainFilesFallBackToOneLinePerFileLine) {
    TRichEdit98::ConfigureAsInformationEditor(edit);
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CR LF with a final break", "Name\r\nJohn Smith\r\nTime\r\n10:30\r\n", {"Name", "John Smith", "Time", "10:30"}},
        {"no final break", "Name\r\nJohn", {"Name", "John"}},
        {"LF only", "a\nb\n", {"a", "b"}},
        {"CR only", "a\rb\r", {"a", "b"}},
        {"empty lines kept", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"8-bit bytes", "caf\xE9\r\n\x80 5\r\n", {"caf\xE9", "\x80 5"}},
        {"braces but no RTF", "{not rtf}\r\n", {"{not rtf}"}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        edit.Lines().LoadFromFile(Write("info.inf", c.bytes));
        EXPECT_EQ(edit.Lines().ToVector(), c.lines) << c.name;
    }
}

TEST_F(ControlLoadSave, BinaryGarbageLoadsAsTextWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += char((i * 7919) % 256);
    edit.Lines().LoadFromFile(Write("garbage.bin", garbage));
    EXPECT_GT(edit.GetTextLen(), 0);
    edit.Lines().LoadFromFile(Write("broken.rtf", "{\\rtf1 {\\b unterminated \\'"));
    EXPECT_NE(edit.Text().find("unterminated"), std::string::npos);
}

TEST_F(ControlLoadSave, AMissingFileRaisesTheFileErrorAndKeepsTheDocument) {
    edit.Lines().SetText("keep me");
    const std::string missing = PathOf("no-such-file.rtf");
    try {
        edit.Lines().LoadFromFile(missing);
        FAIL() << "no error";
    } catch (const Platform::EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + missing);
    }
    EXPECT_EQ(edit.Text(), "keep me");
}

TEST_F(ControlLoadSave, AFailingTransferRetriesAsTextThenReportsFailure) {
    const std::string file = Write("doc.rtf", kRtf);
    int calls = 0;
    edit.OnLoadProgress = [&](TCustomRichEdit98*, qint64, qint64) {
        if (calls++ == 0) throw std::runtime_error("reader gave up");
    };
    edit.Lines().LoadFromFile(file);
    EXPECT_EQ(edit.Text().rfind("{\\rtf1", 0), 0u) << "the retry shows the bytes as text";

    edit.OnLoadProgress = [](TCustomRichEdit98*, qint64, qint64) { throw std::runtime_error("always"); };
    try {
        edit.Lines().LoadFromFile(file);
        FAIL() << "no error";
    } catch (const EOutOfResources& error) {
        EXPECT_STREQ(error.what(), "Failed to Load Stream");
    }
}

TEST_F(ControlLoadSave, LoadProgressRunsFromStartToSize) {
    edit.SetInputFormat(ifText);
    std::vector<std::pair<qint64, qint64>> reports;
    edit.OnLoadProgress = [&](TCustomRichEdit98*, qint64 pos, qint64 size) { reports.emplace_back(pos, size); };
    const std::string big(200000, 'a');
    edit.Lines().LoadFromFile(Write("big.txt", big));
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports.front(), (std::pair<qint64, qint64>(0, 200000)));
    EXPECT_EQ(reports.back(), (std::pair<qint64, qint64>(200000, 200000)));
    for (size_t i = 1; i < reports.size(); ++i) EXPECT_GT(reports[i].first, reports[i - 1].first);
}

TEST_F(ControlLoadSave, SavingFollowsOutputFormatNotTheExtension) {
    edit.Lines().SetText("first\r\nsecond");
    struct Case {
        TOutputFormat format;
        const char* file;
        std::string expectedStart;
    };
    const Case cases[] = {
        {ofRTF, "notes.TXT", "{\\rtf1"},
        {ofRTFNoObjs, "notes.txt", "{\\rtf1"},
        {ofText, "notes.rtf", "first\r\nsecond"},
        {ofUnicode, "notes.rtf", std::string("f\0i\0r\0s\0t\0\r\0\n\0s\0", 16)},
    };
    for (const Case& c : cases) {
        edit.SetOutputFormat(c.format);
        edit.Lines().SaveToFile(PathOf(c.file));
        EXPECT_EQ(Read(PathOf(c.file)).substr(0, c.expectedStart.size()), c.expectedStart) << c.file;
    }
    edit.SetOutputFormat(ofText);
    edit.Lines().SaveToFile(PathOf("exact.txt"));
    EXPECT_EQ(Read(PathOf("exact.txt")), "first\r\nsecond");
}

TEST_F(ControlLoadSave, TheInformationEditorWritesPlainRtfThatLoadsBackToTheSameLines) {
    TRichEdit98::ConfigureAsInformationEditor(edit);
    const std::vector<std::string> lines = {"Client", "J. M\xFCller", "Amount", "12.50*3", "", "{braces} \\back"};
    edit.SetLines(lines);
    edit.Lines().SaveToFile(PathOf("saved.inf"));
    EXPECT_EQ(Read(PathOf("saved.inf")).rfind("{\\rtf1", 0), 0u);

    TRichEdit98 other;
    TRichEdit98::ConfigureAsInformationEditor(other);
    other.Lines().LoadFromFile(PathOf("saved.inf"));
    EXPECT_EQ(other.Lines().ToVector(), lines);
}

TEST_F(ControlLoadSave, AFailedSaveLeavesTheOldFileAlone) {
    const std::string target = Write("precious.rtf", "old content");
    edit.Lines().SetText("new content");
    edit.OnSaveProgress = [](TCustomRichEdit98*, qint64, qint64) { throw std::runtime_error("disk full"); };
    try {
        edit.Lines().SaveToFile(target);
        FAIL() << "no error";
    } catch (const EOutOfResources& error) {
        EXPECT_STREQ(error.what(), "Failed to Save Stream");
    }
    EXPECT_EQ(Read(target), "old content");
    edit.OnSaveProgress = nullptr;
    EXPECT_THROW(edit.Lines().SaveToFile(PathOf("no-dir/x.rtf")), Platform::EFCreateError);
}

TEST_F(ControlLoadSave, SelectedInOutLoadsIntoAndSavesOnlyTheSelection) {
    edit.Lines().SetText("hello cruel world");
    edit.SetSelectedInOut(true);
    edit.SetSelectionStart(6);
    edit.SetSelectionLength(5);
    edit.SetOutputFormat(ofText);
    QByteArray saved;
    edit.Lines().SaveToStream(saved);
    EXPECT_EQ(saved.toStdString(), "cruel");

    edit.Lines().LoadFromStream(QByteArray("{\\rtf1 {\\i kind}}"));
    EXPECT_EQ(edit.Text(), "hello kind world");
    edit.SetSelectionStart(7);
    EXPECT_TRUE(edit.SelectionAttributes().Italic());
}

TEST_F(ControlLoadSave, InsertFromFileSplicesTenEmptyLinesAtTheCaret) {
    std::string tenBreaks;
    for (int i = 0; i < 10; ++i) tenBreaks += "\r\n";
    const std::string scratch = Write("$$$", tenBreaks);
    edit.Lines().SetText("before after");
    edit.SetSelectionStart(7);
    edit.InsertFromFile(scratch);
    std::vector<std::string> expected = {"before "};
    for (int i = 0; i < 9; ++i) expected.push_back("");
    expected.push_back("after");
    EXPECT_EQ(edit.Lines().ToVector(), expected);

    edit.Lines().LoadFromFile(scratch);
    EXPECT_EQ(edit.Lines().ToVector(), std::vector<std::string>(10, ""));
}

TEST_F(ControlLoadSave, InsertFromFileReplacesTheSelectionWithFormattedRtf) {
    const std::string part = Write("part.rtf", "{\\rtf1\\ansi {\\b NEW}}");
    edit.Lines().SetText("one two three");
    edit.SetSelectionStart(4);
    edit.SetSelectionLength(3);
    edit.InsertFromFile(part);
    EXPECT_EQ(edit.Text(), "one NEW three");
    edit.SetSelectionStart(5);
    EXPECT_TRUE(edit.SelectionAttributes().Bold());
}

TEST_F(ControlLoadSave, AFailedInsertFromFileDoesNotLeaveTheInsertModeOn) {
    edit.Lines().SetText("text");
    EXPECT_THROW(edit.InsertFromFile(PathOf("missing")), Platform::EFOpenError);
    EXPECT_EQ(edit.Text(), "text");
    edit.SetSelectionStart(2);
    edit.Lines().LoadFromFile(Write("whole.txt", "whole"));
    EXPECT_EQ(edit.Text(), "whole");
}

TEST_F(ControlLoadSave, AWholeLoadResetsUndoAndModifiedButAnInsertionIsAnEdit) {
    for (const TAutoURLDetect detection : {adNone, adExtended}) {
        edit.SetAutoURLDetect(detection);
        edit.Lines().SetText("typed http:x");
        edit.Lines().LoadFromFile(Write("doc.rtf", std::string(kRtf) + " see ftp:files"));
        EXPECT_FALSE(edit.document()->isUndoAvailable()) << detection;
        EXPECT_FALSE(edit.Modified()) << detection;
        edit.InsertFromFile(Write("part.txt", "more"));
        EXPECT_TRUE(edit.Modified()) << detection;
        edit.undo();
        EXPECT_EQ(edit.Lines().Get(0), "Hello bold text") << detection;
    }
}

} // namespace

namespace {

TEST(ControlFormats, UnicodeInAndOutAndTextizedObjects) {
    TRichEdit98 edit;
    edit.SetInputFormat(ifUnicode);
    const char16_t text[] = u"\uFEFFa\u20AC\u0416\r\nb";
    edit.Lines().LoadFromStream(QByteArray(reinterpret_cast<const char*>(text), sizeof(text) - 2));
    EXPECT_EQ(edit.document()->toPlainText(), QString::fromUtf16(u"a\u20AC\u0416\nb"));
    EXPECT_EQ(edit.Lines().Get(0), "a\x80?") << "no 1252 byte for the Cyrillic letter";

    edit.SetOutputFormat(ofUnicode);
    QByteArray out;
    edit.Lines().SaveToStream(out);
    EXPECT_EQ(out, QByteArray(reinterpret_cast<const char*>(text) + 2, sizeof(text) - 4));

    QTemporaryDir dir;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(dir.filePath("logo.png")));
    edit.SetIncludeOLE(true);
    edit.SetSelectionStart(1);
    edit.InsertObjectFromFile(dir.filePath("logo.png"));
    edit.SetOutputFormat(ofTextized);
    QByteArray textized;
    edit.Lines().SaveToStream(textized);
    EXPECT_EQ(textized.toStdString(), "alogo.png\x80?\r\nb");
}

} // namespace

namespace {

// Loading must not lay the whole document out (that made large files hang); the
// layout catches up lazily, and everything that needs it still gets it.
TEST(ControlLoad, LoadingLeavesTheLayoutToItsLazyPassAndKeepsUndoWorking) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"plain text", [] {
             std::string s;
             for (int i = 1; i <= 3000; ++i) s += "Line " + std::to_string(i) + " caf\xE9 \x80 \xB6\r\n";
             return s;
         }()},
        {"rtf", [] {
             std::string s = "{\\rtf1\\ansi ";
             for (int i = 1; i <= 3000; ++i) s += "Line " + std::to_string(i) + " caf\\'e9 {\\b \\'80} \\'b6\\par\r\n";
             return s + "}";
         }()},
    };
    for (const auto& c : cases) {
        TRichEdit98 edit;
        TRichEdit98::ConfigureAsTemplateEditor(edit);
        edit.resize(400, 300);
        edit.show();
        const QSizeF pageSize = edit.document()->pageSize();
        ASSERT_GT(pageSize.width(), 0);
        edit.Lines().LoadFromStream(QByteArray::fromStdString(c.bytes));
        QTextBlock last = edit.document()->lastBlock();
        if (last.text().isEmpty()) last = last.previous(); // the document's own end
        ASSERT_TRUE(last.isValid()) << c.name;
        EXPECT_EQ(last.text(), QString::fromUtf8("Line 3000 café € ¶")) << c.name;
        EXPECT_EQ(last.layout()->lineCount(), 0) << c.name << ": laid out during the load";
        // Wrapped line counts lay the document out on demand, with the page width restored.
        EXPECT_EQ(edit.Lines().Count(), 3000) << c.name;
        EXPECT_GT(last.layout()->lineCount(), 0) << c.name;
        EXPECT_EQ(edit.document()->pageSize(), pageSize) << c.name;
        // A fresh document has no history, but edits after the load can be undone.
        EXPECT_FALSE(edit.document()->isUndoAvailable()) << c.name;
        EXPECT_FALSE(edit.Modified()) << c.name;
        QTest::keyClicks(&edit, "xy");
        EXPECT_TRUE(edit.document()->isUndoAvailable()) << c.name;
        edit.document()->undo();
        EXPECT_EQ(edit.document()->firstBlock().text(), "Line 1 caf\u00e9 \u20ac \u00b6") << c.name;
    }
}

// The information file a Linux editor writes is UTF-8; an older one is 1252. Both
// give the same lines, and a name beyond the code page survives in its RTF form.
TEST_F(ControlLoadSave, PlainTextIsReadAsUtf8WhenItIsUtf8) {
    const QString names = QString::fromUtf8("M\xC3\xBCller G\xC3\xB6rg \xE2\x82\xAC\xC2\xB6");
    const QString polish = QString::fromUtf8("\xC5\x81ukasz W\xC3\xB3jcik \xF0\x9F\x98\x80");
    struct Case { const char* name; std::string bytes; QStringList lines; };
    const Case cases[] = {
        {"utf8", "Client\r\n" + names.toStdString() + "\r\n", {"Client", names}},
        {"utf8 with mark", "\xEF\xBB\xBF" "Client\n" + polish.toStdString() + "\n", {"Client", polish}},
        {"1252", "Client\r\nM\xFCller G\xF6rg \x80\xB6\r\n", {"Client", names}},
        {"1252 that looks like a lead byte", "a\xC3 b\r\n", {QString::fromUtf8("a\xC3\x83 b")}},
        {"ascii", "Client\r\nSmith\r\n", {"Client", "Smith"}},
    };
    for (const Case& c : cases) {
        edit.Lines().LoadFromFile(Write("info.inf", c.bytes));
        QStringList lines;
        for (int i = 0; i < edit.WideLines().Count(); ++i) lines << edit.WideLines().Get(i);
        EXPECT_EQ(lines, c.lines) << c.name;
    }
    edit.Lines().LoadFromFile(Write("info.inf", polish.toStdString()));
    EXPECT_EQ(edit.Lines().Get(0), "?ukasz W\xF3jcik ?");
    EXPECT_EQ(edit.Lines().GetRtf(0), "\\u321?ukasz W\xF3jcik \\u-10179?\\u-8704?");
}

} // namespace
