// Reading RTF into a document: text, character and paragraph formatting, structure.
#include "RtfTestSupport.h"

#include <QTextBlock>
#include <gtest/gtest.h>

using namespace RtfTest;

TEST(RtfReader, ParagraphsAndBreaks)
{
    struct Case { const char* body; const char* text; };
    const Case cases[] = {
        {"one\\par two\\par ", "one\ntwo"},
        {"one\\par two", "one\ntwo"},
        {"one\\par\\par ", "one\n"},
        {"a\\line b\\par ", "a\u2028b"},
        {"a\\tab b\\par ", "a\tb"},
        {"x\\\r\ny", "x\ny"},
        {"\\{brace\\} \\\\\\par ", "{brace} \\"},
        {"caf\\'e9\\par ", "caf\u00e9"},
        {"\\u8364?uro\\par ", "\u20acuro"},
        {"{\\uc2\\u8364 ab}c\\par ", "\u20acc"},
        {"\\u-3913?\\par ", "\uf0b7"},
        {"{\\*\\unknown hidden}shown\\par ", "shown"},
        {"{\\header head}{\\footnote note}body\\par ", "body"},
        {"\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\~\\par ",
         "\u2014\u2013\u2022\u2018\u2019\u201c\u201d\u00a0"},
    };
    for (const Case& c : cases) {
        auto doc = Read(Rtf(c.body));
        EXPECT_EQ(TextOf(*doc), QString::fromUtf8(c.text)) << c.body;
    }
}
