// The page frame, EmitHtml's clean-up, line cutting and links, options and the
// entry's failure handling.
#include "ConverterTestSupport.h"

#include "rtf2html/HtmlWriter.h"
#include "rtf2html/RtfToHtml.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace rtf2html::test {
namespace {

const char* const kBodyLine =
    "<BODY TEXT=\"#000000\" BGCOLOR=\"#FFFFFF\" LINK=\"#3333FF\" VLINK=\"#999999\" ALINK=\"#FF0000\">";

TEST(PageFrame, EmptyInputGivesExactlyTheFrame) {
    TScratch scratch;
    const std::string source = scratch.Write("empty.rtf", "");
    RtfToHtmlFile(source, scratch.Path("out.html"), {});
    const std::string expected = "<HTML>\r\n<HEAD>\r\n<TITLE>" + source + "</TITLE>\r\n</HEAD>\r\n" +
                                 kBodyLine + "\r\n\r\n</BODY>\r\n</HTML>\r\n";
    EXPECT_EQ(ReadFile(scratch.Path("out.html")), expected);
}

TEST(PageFrame, TitleIsTheSourceExactlyAsPassed) {
    TScratch scratch;
    scratch.Write("$$$", "{\\rtf1 x}");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(scratch.Path(""));
    RtfToHtmlFile("$$$", "page.htm", {""});
    std::filesystem::current_path(cwd);
    EXPECT_EQ(ReadPage(scratch.Path("page.htm")).Lines.at(2), "<TITLE>$$$</TITLE>");
}

// A file name is no markup: the title is escaped as body text is, control bytes dropped.
TEST(PageFrame, TitleCannotInjectMarkup) {
    const std::pair<std::string, std::string> cases[] = {
        {"a</TITLE><script>alert(1)</script>.rtf", "a&lt;/TITLE&gt;&lt;script&gt;alert(1)&lt;/script&gt;.rtf"},
        {"R&D \xE9\x80\xB6.rtf", "R&amp;D \xE9\x80\xB6.rtf"},
        {"two\nlines\x01.rtf", "twolines.rtf"},
    };
    TScratch scratch;
    for (const auto& [name, title] : cases) {
        const std::string source = scratch.Write(name, "{\\rtf1 x}");
        RtfToHtmlText("{\\rtf1 x}", name, scratch.Path("page.htm"), {});
        EXPECT_EQ(ReadPage(scratch.Path("page.htm")).Lines.at(2), "<TITLE>" + title + "</TITLE>") << name;
    }
}

TEST(PageFrame, ControlBytesAreDroppedFromTheBody) {
    ExpectBodies({
        {"escaped NUL and bell", "{\\rtf1 a\\'00b\\'07c\\'7fd\\'e9}", "abcd\xE9"},
        {"raw control bytes", std::string("{\\rtf1 a\0b\x01" "c\x1b" "d\te}", 17), "abcd\te"},
    });
}

TEST(PageFrame, ExistingDestinationIsOverwritten) {
    TScratch scratch;
    const std::string source = scratch.Write("in.rtf", "abc");
    const std::string destination = scratch.Write("out.html", std::string(5000, 'z'));
    RtfToHtmlFile(source, destination, {});
    EXPECT_EQ(ReadPage(destination).Body(), "abc");
}

TEST(PageFrame, MissingSourceRaisesAndWritesNothing) {
    TScratch scratch;
    EXPECT_THROW(RtfToHtmlFile(scratch.Path("missing.rtf"), scratch.Path("out.html"), {}), EInOutError);
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("out.html")));
}

TEST(PageFrame, UncreatableDestinationRaises) {
    TScratch scratch;
    const std::string source = scratch.Write("in.rtf", "abc");
    try {
        RtfToHtmlFile(source, scratch.Path("no/such/dir/out.html"), {});
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find("no/such/dir/out.html"), std::string::npos) << e.what();
    }
}

TEST(PageFrame, ConvertingAFileOntoItselfKeepsTheDocument) {
    TScratch scratch;
    const std::string source = scratch.Write("doc.rtf", "{\\rtf1 keep me}");
    EXPECT_THROW(RtfToHtmlFile(source, source, {}), EInOutError);
    EXPECT_THROW(RtfToHtmlFile(source, scratch.Path("./doc.rtf"), {}), EInOutError);
    EXPECT_EQ(ReadFile(source), "{\\rtf1 keep me}");
}

TEST(PageFrame, ConversionErrorStillClosesThePage) {
    TScratch scratch;
    const std::string source = scratch.Write("in.rtf", "{\\b before\\par after \\'g1 lost}");
    EXPECT_THROW(RtfToHtmlFile(source, scratch.Path("out.html"), {}), EConvertError);
    const TPage page = ReadPage(scratch.Path("out.html"));
    ASSERT_GE(page.Lines.size(), 8u);
    EXPECT_EQ(page.Lines[4], kBodyLine);
    EXPECT_EQ(page.Body(), "<B>before</B><BR><B>after </B>");
    EXPECT_EQ(page.Lines[page.Lines.size() - 2], "</BODY>");
    EXPECT_EQ(page.Lines.back(), "</HTML>");
}

TEST(PageFrame, EveryCallStartsFromTheStartValues) {
    // Fonts, colours, styles, heading counts and list state of one document
    // must not leak into the next conversion in the same process.
    const std::string first =
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
        "{\\stylesheet{\\s1\\b heading 1;}}\\s1\\f0\\cf1 A\\par\\li900 x}";
    const std::string second = "{\\rtf1 \\s1\\f0\\cf1 A\\par}";
    const std::string alone = BodyOf(second);
    BodyOf(first);
    EXPECT_EQ(BodyOf(second), alone);
    EXPECT_EQ(alone, "<FONT FACE=\"\">A</FONT><BR>");
}

TEST(Options, AreComparedExactly) {
    // Hidden text still opens the tags: an empty bold pair.
    const std::string hidden = "\\v\\b a\\b0\\v0 z\\par";
    EXPECT_EQ(BodyOf(hidden, {"optimize"}), "z<BR>");
    EXPECT_EQ(BodyOf(hidden, {"Optimize", "optimize "}), "<B></B>z<BR>");
    EXPECT_EQ(BodyOf(hidden, {}), "<B></B>z<BR>");
    // The last pending text is written as it stands, not cleaned.
    EXPECT_EQ(BodyOf("\\v\\b a\\b0\\v0 z", {"optimize"}), "<B></B>z");
}

TEST(Options, OptimizeWithOnlyDefiniteKeepsFontJoins) {
    EXPECT_EQ(BodyOf("\\v\\b a\\b0\\v0 z\\par", {"optimize", "onlyDefiniteOpt"}), "z<BR>");
    // Without onlyDefiniteOpt neighbouring runs of one face are joined.
    const std::string joined = BodyOf("{\\fonttbl{\\f0 Arial;}}\\f0 x{\\f0\\plain\\f0 y}\\par", {"optimize"});
    EXPECT_EQ(joined.find("</FONT><FONT FACE=\"Arial\">"), std::string::npos) << joined;
    const std::string kept = BodyOf("{\\fonttbl{\\f0 Arial;}}\\f0 x{\\f0\\plain\\f0 y}\\par", {"optimize", "onlyDefiniteOpt"});
    EXPECT_NE(kept.find("</FONT><FONT FACE=\"Arial\">"), std::string::npos) << kept;
}

TEST(Options, NoFontsDropsFaceTags) {
    EXPECT_EQ(BodyOf("{\\fonttbl{\\f0 Arial;}}\\f0 x", {"noFonts"}), "x");
    EXPECT_EQ(BodyOf("{\\fonttbl{\\f0 Arial;}}\\f0 x", {}), "<FONT FACE=\"Arial\">x</FONT>");
}

struct TCleanupCase {
    bool optimize;
    std::string in;
    std::string out;
};

TEST(CleanupMarkup, RemovesPairsUntilNothingChanges) {
    const TCleanupCase cases[] = {
        {false, "a<B></B>b", "a<B></B>b"},
        {false, "a</UL><UL>b<UL></UL>c", "abc"},
        {false, "<UL><UL></UL></UL>", ""},
        {true, "<B><I></I></B>x", "x"},
        {true, "</B><B></SUP><SUP><S></S>", ""},
        {true, "<CENTER></CENTER><DIV ALIGN=right></DIV></DIV><DIV ALIGN=right>", ""},
        {true, "<FONT SIZE=+4></FONT><FONT SIZE=-2></FONT>", ""},
        {true, "</FONT><FONT FACE=\"Arial\">", "</FONT><FONT FACE=\"Arial\">"},
    };
    for (const TCleanupCase& c : cases) {
        TWriterRun w;
        w.Run.optimize = c.optimize;
        if (c.optimize)
            for (const char* size : {"-2", "+4"}) AddOptimizePattern(w.Run, std::string("<FONT SIZE=") + size + "></FONT>");
        EXPECT_EQ(CleanupMarkup(w.Run, c.in), c.out) << c.in;
    }
}

TEST(ReplaceAllText, NeverRescansAReplacement) {
    EXPECT_EQ(ReplaceAllText("aa", "a", "aaaa"), "aa");
    EXPECT_EQ(ReplaceAllText("<B></B>", "", "<B><B></B></B>"), "<B></B>");
    EXPECT_EQ(ReplaceAllText("x", "yy", "axbx"), "ayybyy");
    EXPECT_EQ(ReplacePairs({"a", "b"}, {"b", "c"}, "ab"), "cc");
}

TEST(EmitHtml, CutsAfterEachBreak) {
    TWriterRun w;
    EmitHtml(w.Run, "one<BR>two<BR>three");
    EXPECT_EQ(w.Sink.Lines, (std::vector<std::string>{"one<BR>", "two<BR>"}));
    EXPECT_EQ(w.Run.PendingOutput, "three");
}

TEST(EmitHtml, ParagraphTagIsLookedForFirst) {
    TWriterRun w;
    EmitHtml(w.Run, "a<BR>b<P>c<BR>d");
    EXPECT_EQ(w.Sink.Lines, (std::vector<std::string>{"a<BR>b<P>", "c<BR>"}));
    EXPECT_EQ(w.Run.PendingOutput, "d");
}

TEST(EmitHtml, LongBufferIsWrittenAfterAClosingTag) {
    struct TCase {
        std::string ending;
        bool written;
    };
    for (const TCase& c : {TCase{"</B>", true}, TCase{"</UL>", false}, TCase{"</A>", false}, TCase{"x", false}}) {
        TWriterRun w;
        const std::string text = std::string(101 - c.ending.size(), 'x') + c.ending;
        EmitHtml(w.Run, text);
        if (c.written) {
            EXPECT_EQ(w.Sink.Lines, std::vector<std::string>{text});
            EXPECT_EQ(w.Run.PendingOutput, "");
        } else {
            EXPECT_TRUE(w.Sink.Lines.empty()) << c.ending;
            EXPECT_EQ(w.Run.PendingOutput, text);
        }
    }
    TWriterRun shortOne;
    EmitHtml(shortOne.Run, std::string(96, 'x') + "</B>");
    EXPECT_TRUE(shortOne.Sink.Lines.empty());
}

TEST(EmitHtml, ShortPendingTextStaysUncleanedUntilTheNextCall) {
    TWriterRun w;
    EmitHtml(w.Run, "a<UL>");
    EmitHtml(w.Run, "</UL>b");
    EXPECT_EQ(w.Run.PendingOutput, "a<UL></UL>b");
    EmitHtml(w.Run, "<BR>");
    EXPECT_EQ(w.Sink.Lines, std::vector<std::string>{"ab<BR>"});
}

TEST(LinkifyUrls, WrapsAddressesUpToTheirEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {"see http://a.org/x, then", "see <A HREF=\"http://a.org/x\">http://a.org/x</A>, then"},
        {"http://a.org<BR>", "<A HREF=\"http://a.org\">http://a.org</A><BR>"},
        {"x http://a.org", "x <A HREF=\"http://a.org\">http://a.org</A>"},
        {"http://a http://b", "<A HREF=\"http://a\">http://a</A> <A HREF=\"http://b\">http://b</A>"},
        {"HTTP://a.org https://a.org", "HTTP://a.org https://a.org"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(LinkifyUrls(in), out);
}

TEST(LinkifyUrls, AppliesToWrittenLinesButNotToTheLastText) {
    const TPage page = Convert("see http://a.org/x, ok\\par tail http://b.org");
    EXPECT_EQ(page.BodyLines(), (std::vector<std::string>{
                                    "see <A HREF=\"http://a.org/x\">http://a.org/x</A>, ok<BR>", "tail http://b.org"}));
}

TEST(CloseOpenLists, ClosesTheItemAndEveryLevel) {
    TWriterRun w;
    w.Run.InBulletList = true;
    w.Run.ListDepth = 2;
    CloseOpenLists(w.Run);
    EXPECT_EQ(w.Run.PendingOutput, "</LI></UL></UL>");
    EXPECT_EQ(w.Run.ListDepth, 0);
    EXPECT_TRUE(w.Run.InBulletList);
}

// The writer as first described: the whole pending text is cleaned and searched
// at every call. The real one only looks at the changed tail; both must agree.
class TLiteralWriter {
public:
    TLiteralWriter(TRun& run) : R(run) {}
    void Emit(const std::string& text) {
        if (text.empty()) return;
        Pending += text;
        std::string work = CleanupMarkup(R, Pending);
        size_t cut = Cut(work);
        if (cut == std::string::npos && work.size() <= 100) return;
        while (cut != std::string::npos) {
            Lines.push_back(LinkifyUrls(work.substr(0, cut + 1)));
            work.erase(0, cut + 1);
            cut = Cut(work);
        }
        Pending = work;
        if (work.size() > 100 && work.back() == '>' && work[work.size() - 2] != 'L' && work[work.size() - 2] != 'A') {
            Lines.push_back(LinkifyUrls(work));
            Pending.clear();
        }
    }
    static size_t Cut(const std::string& s) {
        size_t at = s.find("<P>");
        if (at != std::string::npos) return at + 2;
        at = s.find("<BR>");
        return at == std::string::npos ? at : at + 3;
    }
    TRun& R;
    std::string Pending;
    std::vector<std::string> Lines;
};

TEST(EmitHtml, AgreesWithTheWholeBufferWriterOnRandomMarkup) {
    const std::vector<std::string> pieces = {
        "x", "yz", " ", "<B>", "</B>", "<I>", "</I>", "<UL>", "</UL>", "<BR>", "<P>", "<FONT SIZE=+1>",
        "</FONT>", "<FONT COLOR=\"#FF0000\">", "<CENTER>", "</CENTER>", "http://k.org/p", ",", "<LI type=disc>",
        "</LI>", "</A>", "<A HREF=\"#1-1\">", "&nbsp;", "abcdefghijklmnopqrstuvwxyz0123456789", "</U><U>",
        "<FONT FACE=\"Some Long Font Name For Testing\">"};
    // Rare breaks and calls ending in text make long pending texts, where only
    // the tail is looked at.
    for (unsigned breakRarity : {4u, 40u})
    for (bool optimize : {false, true})
        for (unsigned seed = 1; seed <= (breakRarity > 4 ? 8u : 20u); ++seed) {
            std::mt19937 random(seed);
            TWriterRun fast;
            TWriterRun literalRun;
            for (TRun* run : {&fast.Run, &literalRun.Run}) {
                run->optimize = optimize;
                for (const char* p : {"<FONT SIZE=+1></FONT>", "<FONT COLOR=\"#FF0000\"></FONT>",
                                      "<FONT FACE=\"Some Long Font Name For Testing\"></FONT>"})
                    AddOptimizePattern(*run, p);
            }
            TLiteralWriter literal(literalRun.Run);
            for (int call = 0; call < 2000; ++call) {
                std::string text;
                for (int n = int(random() % 4); n >= 0; --n) {
                    size_t pick = random() % pieces.size();
                    if ((pick == 9 || pick == 10) && random() % breakRarity != 0) pick = 0;
                    text += pieces[pick];
                }
                if (breakRarity > 4) text += "x";
                EmitHtml(fast.Run, text);
                literal.Emit(text);
            }
            size_t longest = 0;
            for (const std::string& line : literal.Lines) longest = std::max(longest, line.size());
            if (breakRarity > 4) EXPECT_GT(longest, 2500u) << "the long-buffer path is not reached";
            ASSERT_EQ(fast.Sink.Lines, literal.Lines)
                << "seed " << seed << " optimize " << optimize << " rarity " << breakRarity;
            EXPECT_EQ(CleanupMarkup(fast.Run, fast.Run.PendingOutput), CleanupMarkup(literalRun.Run, literal.Pending));
        }
}

} // namespace
} // namespace rtf2html::test
