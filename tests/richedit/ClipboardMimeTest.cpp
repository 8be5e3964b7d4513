// Clipboard data with formatting: what a copy puts there and the order a paste reads it.
#include "RtfTestSupport.h"

#include "rtf/RtfReader.h"
#include "richedit/ClipboardMime.h"

#include <QImage>
#include <QMimeData>
#include <functional>
#include <QTextCursor>
#include <gtest/gtest.h>
#include <memory>

using namespace RtfTest;

namespace {

std::unique_ptr<QTextDocument> Source()
{
    auto doc = std::make_unique<QTextDocument>();
    QTextCursor cursor(doc.get());
    cursor.insertText("plain ");
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText("strong", bold);
    cursor.insertText(" end");
    return doc;
}

QString Pasted(const QMimeData& data, bool* inserted = nullptr)
{
    QTextDocument target;
    QTextCursor cursor(&target);
    cursor.insertText("[]");
    cursor.setPosition(1);
    const bool ok = RtfEngine::InsertClipboardData(&data, cursor);
    if (inserted)
        *inserted = ok;
    return TextOf(target);
}

} // namespace

TEST(ClipboardMime, CopyPutsRtfHtmlAndText)
{
    auto doc = Source();
    std::unique_ptr<QMimeData> data(RtfEngine::MakeClipboardData(*doc, 6, 12));
    EXPECT_TRUE(data->data("text/rtf").startsWith("{\\rtf1"));
    EXPECT_EQ(data->data("application/rtf"), data->data("text/rtf"));
    EXPECT_EQ(data->text(), "strong");
    EXPECT_TRUE(data->html().contains("strong"));
    EXPECT_TRUE(data->html().contains("font-weight"));

    QTextDocument target;
    QTextCursor cursor(&target);
    ASSERT_TRUE(RtfEngine::InsertClipboardData(data.get(), cursor));
    EXPECT_EQ(TextOf(target), "strong");
    EXPECT_EQ(FormatOf(target, "strong").fontWeight(), QFont::Bold);
}

TEST(ClipboardMime, PasteOrder)
{
    struct Case { const char* what; std::function<void(QMimeData&)> fill; const char* text; bool inserted; };
    const Case cases[] = {
        {"rtf before html and text", [](QMimeData& d) {
             d.setData("text/rtf", "{\\rtf1 from rtf}"); d.setHtml("<p>from html</p>"); d.setText("from text"); },
         "[from rtf]", true},
        {"application/rtf", [](QMimeData& d) { d.setData("application/rtf", "{\\rtf1 app}"); d.setText("t"); }, "[app]", true},
        {"unreadable rtf falls back to html", [](QMimeData& d) {
             d.setData("text/rtf", "not rtf at all"); d.setHtml("<b>from html</b>"); }, "[from html]", true},
        {"too deep rtf falls back to text", [](QMimeData& d) {
             d.setData("text/rtf", "{\\rtf1 " + QByteArray(RtfEngine::MaxGroupDepth() + 1, '{')); d.setText("from text"); }, "[from text]", true},
        {"html before text", [](QMimeData& d) { d.setHtml("<i>h</i>"); d.setText("t"); }, "[h]", true},
        {"text", [](QMimeData& d) { d.setText("just text"); }, "[just text]", true},
        {"image before text", [](QMimeData& d) {
             QImage image(3, 2, QImage::Format_RGB32);
             image.fill(Qt::red);
             d.setImageData(image);
             d.setText("t"); },
         "[\uFFFC]", true},
        {"nothing usable", [](QMimeData& d) { d.setData("application/x-unknown", "zz"); }, "[]", false},
    };
    for (const Case& c : cases) {
        QMimeData data;
        c.fill(data);
        bool inserted = false;
        EXPECT_EQ(Pasted(data, &inserted), c.text) << c.what;
        EXPECT_EQ(inserted, c.inserted) << c.what;
    }
}

TEST(ClipboardMime, PasteReplacesSelection)
{
    const std::function<void(QMimeData&)> fills[] = {
        [](QMimeData& d) { d.setText("new"); },
        [](QMimeData& d) { d.setHtml("<span>new</span>"); },
        [](QMimeData& d) { d.setData("text/rtf", "{\\rtf1 new}"); },
    };
    for (const auto& fill : fills) {
        QTextDocument target;
        QTextCursor cursor(&target);
        cursor.insertText("keep DROP keep");
        cursor.setPosition(5);
        cursor.setPosition(9, QTextCursor::KeepAnchor);
        QMimeData data;
        fill(data);
        ASSERT_TRUE(RtfEngine::InsertClipboardData(&data, cursor));
        EXPECT_EQ(TextOf(target), "keep new keep") << data.formats().join(",").toStdString();
    }
}
