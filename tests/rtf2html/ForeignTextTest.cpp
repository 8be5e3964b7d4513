// Documents written by other programs: the newer format's mixed-case words and
// math settings, and text in code pages other than 1252.
#include "ConverterTestSupport.h"

#include "window/HtmlExport.h"

#include <gtest/gtest.h>

namespace rtf2html::test {
namespace {

std::string ForeignBody(const std::string& rtf) { return Convert(rtf, {}, &PlatformCodePages()).Body(); }

TEST(ForeignDocuments, MixedCaseWordsLeaveNoDebris) {
    ExpectBodies({
        {"math settings without a star",
         "{\\mmathPr\\mmathFont34\\mbrkBin0\\mbrkBinSub0\\msmallFrac0\\mdispDef1\\mlMargin0}Text", "Text"},
        {"a mixed-case word before text", "\\mmathFont34 Text", "Text"},
        {"capitals after the number are text", "\\mbrkBin0Hello", "Hello"},
        {"capitals after other words are text", "\\bText", "<B>Text</B>"},
        {"a starred math group", "{\\*\\moMath{\\mr x}}y", "y"},
    });
}

TEST(ForeignDocuments, OtherCodePagesBecomeCharacterReferences) {
    const std::string japanese = "{\\fonttbl{\\f0\\fnil\\fcharset128 MS Mincho;}{\\f1\\fswiss\\fcharset0 Arial;}}";
    const TBodyCase cases[] = {
        {"central European page", "\\ansi\\ansicpg1250 \\'ab\\'a3ukasz\\'bb za\\'bf\\'f3\\'b3\\'e6",
         "&#171;&#321;ukasz&#187; za&#380;&#243;&#322;&#263;"},
        {"literal bytes of the page", "\\ansicpg1251 \xCF\xF0\xE8", "&#1055;&#1088;&#1080;"},
        {"Shift JIS by the font's character set", japanese + "\\f0 \\'8d\\'5c\\'91\\'a2",
         "<FONT FACE=\"MS Mincho\">&#27083;&#36896;</FONT>"},
        {"a second byte written as a letter", japanese + "\\f0 \\'83T", "<FONT FACE=\"MS Mincho\">&#12469;</FONT>"},
        {"1252 text in a font of another set", japanese + "\\f1 \\'e9\\'80", "<FONT FACE=\"Arial\">&#233;&#8364;</FONT>"},
        {"Big5 document page", "\\ansicpg950 \\'a4\\'a4\\'a4\\'e5", "&#20013;&#25991;"},
        {"Mac Roman", "\\mac \\'8e", "&#233;"},
        {"ASCII stays as it is", "\\ansicpg1250 a<b", "a&lt;b"},
        {"two fallback bytes after a Unicode character", japanese + "\\f0\\uc2\\u27083\\'8d\\'5c\\uc0\\u36896 x",
         "<FONT FACE=\"MS Mincho\">&#27083;&#36896;x</FONT>"},
    };
    for (const TBodyCase& c : cases) EXPECT_EQ(ForeignBody(c.rtf), c.body) << c.name;
}

TEST(ForeignDocuments, Cp1252DocumentsAreWrittenAsBefore) {
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 \\'e9\\'80\\'b6\\'e4}";
    EXPECT_EQ(ForeignBody(rtf), BodyOf(rtf));
    EXPECT_EQ(ForeignBody(rtf), "<FONT FACE=\"Arial\">\xE9\x80\xB6&auml;</FONT>");
    // Without a reader of code pages every byte is 1252, as it always was.
    EXPECT_EQ(BodyOf("\\ansicpg1250 \\'a3"), "\xA3");
}

} // namespace
} // namespace rtf2html::test
