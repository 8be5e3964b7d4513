// Link detection: the scheme list, what counts as a link, marking while typing, and
// the link events.
#include "richedit/RichEdit98.h"
#include "rtf/RtfEngine.h"

#include <QApplication>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

TEST(ControlLinks, WhichWordsAreLinks) {
    const TURLCollection schemes = TURLCollection::Defaults();
    struct Case {
        const char* word;
        const char* entry; // nullptr: no link
    };
    const Case cases[] = {
        {"ftp:files", "ftp"},      {"FTP:X", "ftp"},         {"ftp:", nullptr},
        {"http://a.b/c", "http"},  {"https:x", "https"},     {"mailto:a@b.c", "mailto"},
        {"news:alt", "news"},      {"wais:q", "wais"},       {"file:\\\\x", "file"},
        {"a@b.c", "e-mail"},       {"@a.b", nullptr},        {"a@.b", nullptr},
        {"a@b", nullptr},          {"a@b.", "e-mail"},       {"ab@", nullptr},
        {"plain", nullptr},        {"e-mail:x", nullptr},   {"xhttp:y", nullptr},
    };
    for (const Case& c : cases) {
        const TURLType* entry = schemes.Classify(QString(c.word).toUpper());
        EXPECT_EQ(entry ? entry->Name : std::string("(none)"), c.entry ? c.entry : "(none)") << c.word;
    }
}

TEST(ControlLinks, LinkCharactersAreFew) {
    for (char c : std::string("./:@\\09azAZ")) EXPECT_TRUE(UrlDetection::IsLinkChar(QChar(c))) << c;
    for (char c : std::string("-_?=&%#~ ,;")) EXPECT_FALSE(UrlDetection::IsLinkChar(QChar(c))) << c;
}

TEST(ControlLinks, AddingAKnownSchemeUpdatesIt) {
    TURLCollection list = TURLCollection::Defaults();
    list.Add({"ftp", QColor(255, 0, 0), crArrow, false});
    list.Add({"FTP", QColor(0, 255, 0), crDefault, true});
    ASSERT_EQ(list.Count(), 13);
    EXPECT_EQ(list.Item(4).Name, "ftp");
    EXPECT_EQ(list.Item(4).Color, QColor(255, 0, 0));
    EXPECT_FALSE(list.Item(4).Underline);
    EXPECT_EQ(list.Item(12).Name, "FTP");
    TURLCollection copy;
    copy.Assign(list);
    EXPECT_EQ(copy.Count(), 13);
    EXPECT_EQ(copy.EntryOfLink("FTP:x")->Name, "ftp") << "a link's scheme is looked up lower-cased";
    EXPECT_EQ(copy.EntryOfLink("me@x.y")->Name, "e-mail");
    EXPECT_EQ(copy.EntryOfLink("zz:y"), nullptr);
}

class ControlLinkTyping : public ::testing::Test {
protected:
    void SetUp() override {
        edit.resize(500, 200);
        edit.show();
        edit.SetAutoURLDetect(adExtended);
    }
    bool LinkAt(int position) const {
        QTextCursor cursor(edit.document());
        cursor.setPosition(position + 1);
        return cursor.charFormat().isAnchor();
    }
    QColor ColourAt(int position) const {
        QTextCursor cursor(edit.document());
        cursor.setPosition(position + 1);
        return cursor.charFormat().foreground().color();
    }
    QPoint PointOf(int position) const {
        QTextCursor cursor(edit.document());
        cursor.setPosition(position);
        return edit.cursorRect(cursor).center() + QPoint(3, 0);
    }
    TRichEdit98 edit;
};

TEST_F(ControlLinkTyping, TypedSchemeWordsBecomeLinksInUrlColor) {
    QTest::keyClicks(&edit, "see ftp:files and ftp: or me@x.y @a.b ");
    const std::string text = edit.Text();
    const auto at = [&](const char* word) { return int(text.find(word)); };
    for (int i = at("ftp:files"); i < at("ftp:files") + 9; ++i) {
        EXPECT_TRUE(LinkAt(i)) << i;
        EXPECT_EQ(ColourAt(i), clBlue) << i;
    }
    EXPECT_FALSE(LinkAt(at("see")));
    EXPECT_FALSE(LinkAt(at("ftp:files") + 9)) << "the space after the link";
    EXPECT_FALSE(LinkAt(at("ftp: ")));
    EXPECT_TRUE(LinkAt(at("me@x.y")));
    EXPECT_FALSE(LinkAt(at("@a.b")));
}

TEST_F(ControlLinkTyping, AWordThatStopsBeingALinkLosesTheMark) {
    QTest::keyClicks(&edit, "ftp:files ");
    ASSERT_TRUE(LinkAt(0));
    edit.SetSelectionStart(3);
    edit.SetSelectionLength(1);
    edit.SetSelectedText("-"); // "ftp-files" is no link
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(LinkAt(i)) << i;
}

TEST_F(ControlLinkTyping, LoadingMarksTheWholeText) {
    edit.Lines().LoadFromStream(QByteArray("write to sales@example.com or http://example.com/x now\r\n"));
    const std::string text = edit.Text();
    EXPECT_TRUE(LinkAt(int(text.find("sales@"))));
    EXPECT_TRUE(LinkAt(int(text.find("/x"))));
    EXPECT_FALSE(LinkAt(int(text.find("now"))));
}

TEST_F(ControlLinkTyping, ClickAndMoveReportTheLinkText) {
    std::vector<std::string> clicks, moves;
    edit.OnURLClick = [&](TCustomRichEdit98* sender, const std::string& url) {
        if (sender == &edit) clicks.push_back(url);
    };
    edit.OnURLMove = [&](TCustomRichEdit98*, const std::string& url) { moves.push_back(url); };
    QTest::keyClicks(&edit, "go http:site now x");
    QTest::mouseMove(edit.viewport(), PointOf(5));
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, PointOf(5));
    ASSERT_FALSE(clicks.empty());
    EXPECT_EQ(clicks.back(), "http:site");
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back(), "http:site");
    EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::PointingHandCursor);

    clicks.clear();
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, PointOf(1));
    EXPECT_TRUE(clicks.empty()) << "plain text is no link";
}

TEST_F(ControlLinkTyping, ALinkOfOneCharacterRaisesNoEvent) {
    edit.SetAutoURLDetect(adNone); // marks set by hand stay
    std::vector<std::string> clicks;
    edit.OnURLClick = [&](TCustomRichEdit98*, const std::string& url) { clicks.push_back(url); };
    edit.Lines().SetText("a x yz b");
    for (const auto& [start, length] : {std::pair{2, 1}, std::pair{4, 2}}) {
        edit.SetSelectionStart(start);
        edit.SetSelectionLength(length);
        edit.SelectionAttributes().SetLink(true);
    }
    edit.SetSelectionLength(0);
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, PointOf(2));
    EXPECT_TRUE(clicks.empty());
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, PointOf(4));
    EXPECT_EQ(clicks, std::vector<std::string>{"yz"});
}

TEST(ControlLinks, NoDetectionLeavesTypedTextAlone) {
    TRichEdit98 edit;
    edit.show();
    QTest::keyClicks(&edit, "http:site ");
    QTextCursor cursor(edit.document());
    cursor.setPosition(2);
    EXPECT_FALSE(cursor.charFormat().isAnchor());
}

} // namespace

// Typed text joins a field's result only inside it; at its end it goes beside the field.
TEST(ControlFields, TypingAtAFieldsEndWritesBesideIt) {
    const struct {
        int caret;
        const char* written;
    } cases[] = {
        {6, "Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1x2}} of"},  // inside the result
        {7, "Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 12}}x of"},  // at its end
        {5, "Page x{\\field{\\*\\fldinst PAGE}{\\fldrslt 12}} of"},  // before it
        {8, "Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 12}} xof"},  // after it
    };
    for (const auto& c : cases) {
        TRichEdit98 edit;
        edit.show();
        QTextCursor load(edit.document());
        RtfEngine::ReadRtf("{\\rtf1 Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 12}} of 20\\par}", load);
        QTextCursor caret(edit.document());
        caret.setPosition(c.caret);
        edit.setTextCursor(caret);
        QTest::keyClicks(&edit, "x");
        const QByteArray saved = RtfEngine::WriteRtf(*edit.document());
        EXPECT_TRUE(saved.contains(c.written)) << c.caret << "\n" << saved.constData();
    }
}
