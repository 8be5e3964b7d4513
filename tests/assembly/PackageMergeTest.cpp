// .docx and .odt templates: markers found in the text a reader sees, however the
// runs cut them, merged exactly as the RTF merge would merge that text.
#include "assembly/PackageTemplate.h"

#include "PackageFixtures.h"
#include "assembly/MergeMessages.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <map>

using namespace PackageFixtures;

namespace {

// Information lines with value N at line 2N.
TVectorLines Values(const std::map<int, std::string>& values, const std::map<int, std::string>& rtf = {}) {
    const int last = values.empty() ? 0 : values.rbegin()->first;
    std::vector<std::string> lines, rtfLines;
    for (int n = 1; n <= last; ++n) {
        lines.push_back("Heading " + std::to_string(n));
        lines.push_back(values.count(n) ? values.at(n) : "");
        rtfLines.push_back(lines[lines.size() - 2]);
        rtfLines.push_back(rtf.count(n) ? rtf.at(n) : lines.back());
    }
    return rtf.empty() ? TVectorLines(lines) : TVectorLines(lines, rtfLines);
}

// The text a reader sees in one part, run breaks dropped.
std::string ReaderText(const std::string& xml, TPackageFormat format) {
    TRunText runs;
    ReadPartRuns(xml, format, "part", runs);
    std::string text;
    for (size_t i = 0; i < runs.text.size(); ++i) {
        if (runs.text.compare(i, kRunBreak.size(), kRunBreak) == 0) i += kRunBreak.size() - 1;
        else text += runs.text[i];
    }
    return text;
}

// The w:t texts of a part, in order.
std::vector<std::string> WordTexts(const std::string& xml) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(xml.c_str()));
    std::vector<std::string> texts;
    for (const pugi::xpath_node& n : doc.select_nodes("//w:t")) texts.push_back(n.node().text().get());
    return texts;
}

// A text cut into runs of `width` characters; every other run bold, with a spelling mark between.
std::string CutIntoRuns(const std::string& text, size_t width) {
    std::string p = "<w:p>";
    for (size_t i = 0; i < text.size(); i += width) {
        p += (i / width) % 2 ? "<w:r><w:rPr><w:b/></w:rPr>" : "<w:proofErr w:type=\"spellStart\"/><w:r>";
        p += "<w:t xml:space=\"preserve\">" + text.substr(i, width) + "</w:t></w:r>";
    }
    return p + "</w:p>";
}

TMergeResult MergeDocx(const std::string& documentXml, const TMergeLines& lines) {
    return TPackageTemplate(Docx(documentXml), "t.docx").Merge(lines);
}

} // namespace

TEST(PackageMerge, SplitMarkerTakesTheRunOfItsAtAndLeavesTheOtherRunsText) {
    const std::string doc = WordPart("<w:p><w:r><w:t>Dear </w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>@</w:t></w:r>"
                                     "<w:proofErr w:type=\"spellStart\"/><w:r><w:t>1</w:t></w:r>"
                                     "<w:r><w:rPr><w:i/></w:rPr><w:t>2, thank you</w:t></w:r></w:p>");
    const TMergeResult r = MergeDocx(doc, Values({{12, "Mr Brown"}}));
    ASSERT_EQ(r.outcome, TMergeOutcome::Done);
    EXPECT_EQ(r.count, 1);
    const std::string xml = PartOf(r.text, "word/document.xml");
    EXPECT_EQ(WordTexts(xml), (std::vector<std::string>{"Dear ", "Mr Brown", "", ", thank you"}));
    // The value keeps the bold of the run that held "@"; the italic run keeps its formatting.
    pugi::xml_document parsed;
    parsed.load_string(xml.c_str());
    EXPECT_STREQ(parsed.select_node("//w:r[w:rPr/w:b]/w:t").node().text().get(), "Mr Brown");
    EXPECT_STREQ(parsed.select_node("//w:r[w:rPr/w:i]/w:t").node().text().get(), ", thank you");
    EXPECT_TRUE(parsed.select_node("//w:proofErr"));
}

// Whatever the runs, the outcome, marker, count and text are those of the RTF
// merge of the same text.
TEST(PackageMerge, RunsCutAnywhereMergeAsTheEngineMergesTheText) {
    const TVectorLines lines = Values({{1, "Mr J. Brown"}, {2, "150*2"}, {3, "1/2 day"}, {12, "twelve"},
                                       {16, "sixteen"}, {4, "see @1"}});
    const std::vector<std::string> texts = {
        "Dear @1, Fee: @2; Time: @3. Regards @1",
        "@12 is not @1 and @x10 is hex; @4 brings @1",
        "Write to a@b.com",        // an e-mail address: missing value "@b"
        "@1 2 and @1x5",           // glued look-ahead
        "SMITH@1",                 // joined to a capital letter
        "@9 is past the lines",
    };
    for (const std::string& text : texts) {
        const TMergeResult expected = MergeTemplate(text, lines, TMergeMode::Insert);
        for (size_t width : {1, 2, 3, 5}) {
            SCOPED_TRACE(text + " cut every " + std::to_string(width));
            const TMergeResult r = MergeDocx(WordPart(CutIntoRuns(text, width)), lines);
            EXPECT_EQ(r.outcome, expected.outcome);
            EXPECT_EQ(r.marker, expected.marker);
            EXPECT_EQ(r.count, expected.count);
            if (r.outcome == TMergeOutcome::Done)
                EXPECT_EQ(ReaderText(PartOf(r.text, "word/document.xml"), TPackageFormat::Docx), expected.text);
        }
    }
}

TEST(PackageMerge, ValuesAreEscapedTextWithLineBreaksAndCharactersBeyondTheCodePage) {
    const TVectorLines lines = Values({{1, "A & B <C>"}, {2, "line one\r\nline two\tend"}, {3, "?ukasz \xE9 \x80 \xB6"}},
                                      {{3, "\\u321?ukasz \xE9 \x80 \xB6"}});
    const TMergeResult r = MergeDocx(WordPart(Paragraph({"@1|", "@2|", "*@3"})), lines);
    ASSERT_EQ(r.outcome, TMergeOutcome::Done);
    const std::string xml = PartOf(r.text, "word/document.xml");
    EXPECT_NE(xml.find("A &amp; B &lt;C&gt;|"), std::string::npos) << xml;
    EXPECT_NE(xml.find("line one</w:t><w:br/><w:t xml:space=\"preserve\">line two</w:t><w:tab/>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("\xC5\x81ukasz \xC3\xA9 \xE2\x82\xAC \xC2\xB6"), std::string::npos) << xml;
    pugi::xml_document parsed;
    EXPECT_TRUE(parsed.load_string(xml.c_str()));
}

TEST(PackageMerge, EveryOtherEntryIsCopiedWithItsBytesOrderAndCompression) {
    const std::string header = WordPart(Paragraph({"Header text"}), "w:hdr");
    const std::string docx = Docx(WordPart(Paragraph({"Dear @1"})), {{"word/header1.xml", header}});
    const TMergeResult r = TPackageTemplate(docx, "t.docx").Merge(Values({{1, "Ann"}}));
    ASSERT_EQ(r.outcome, TMergeOutcome::Done);
    const auto before = Unzip(docx), after = Unzip(r.text);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].name, before[i].name);
        EXPECT_EQ(after[i].method, before[i].method) << before[i].name;
        if (before[i].name != "word/document.xml") EXPECT_EQ(after[i].content, before[i].content) << before[i].name;
    }
    const std::string odt = Odt("<text:p>Dear @1</text:p>");
    const TMergeResult o = TPackageTemplate(odt, "t.odt").Merge(Values({{1, "Ann"}}));
    ASSERT_EQ(o.outcome, TMergeOutcome::Done);
    const auto odtAfter = Unzip(o.text);
    EXPECT_EQ(odtAfter[0].name, "mimetype");
    EXPECT_EQ(odtAfter[0].method, ZIP_CM_STORE);
}

TEST(PackageMerge, HeadersFootersNotesTextBoxesAndTablesAreMerged) {
    const std::string textBox = "<w:p><w:r><w:drawing><wp:anchor xmlns:wp=\"wp\"><w:txbxContent>" +
                                Paragraph({"box @3"}) + "</w:txbxContent></wp:anchor></w:drawing></w:r></w:p>";
    const std::string table = "<w:tbl><w:tr><w:tc>" + Paragraph({"cell @4"}) + "</w:tc></w:tr></w:tbl>";
    const std::string docx =
        Docx(WordPart(Paragraph({"body @1"}) + textBox + table),
             {{"word/header1.xml", WordPart(Paragraph({"head @2"}), "w:hdr")},
              {"word/footer2.xml", WordPart(Paragraph({"foot @5"}), "w:ftr")},
              {"word/footnotes.xml", WordPart("<w:footnote>" + Paragraph({"note @6"}) + "</w:footnote>", "w:footnotes")}});
    const TMergeResult r = TPackageTemplate(docx, "t.docx").Merge(
        Values({{1, "one"}, {2, "two"}, {3, "three"}, {4, "four"}, {5, "five"}, {6, "six"}}));
    ASSERT_EQ(r.outcome, TMergeOutcome::Done);
    EXPECT_EQ(r.count, 6);
    for (const char* part : {"word/document.xml", "word/header1.xml", "word/footer2.xml", "word/footnotes.xml"})
        EXPECT_EQ(PartOf(r.text, part).find('@'), std::string::npos) << part;
    EXPECT_NE(PartOf(r.text, "word/document.xml").find("box three"), std::string::npos);
}

TEST(PackageMerge, OdtMarkersAcrossSpansAndInTheStylesHeader) {
    const std::string odt = Odt("<text:p>Fee:<text:s/>@<text:span text:style-name=\"B\">2</text:span>, due</text:p>",
                                "<style:header><text:p>Ref @<text:span>1</text:span></text:p></style:header>");
    const TMergeResult r = TPackageTemplate(odt, "t.odt").Merge(Values({{1, "K-7"}, {2, "150*2"}}));
    ASSERT_EQ(r.outcome, TMergeOutcome::Done);
    const std::string content = PartOf(r.text, "content.xml");
    // Twelve wide: the leading spaces survive ODF's collapsing of white space.
    EXPECT_NE(content.find("<text:s/><text:s text:c=\"6\"/>300.00<text:span text:style-name=\"B\"></text:span>, due"),
              std::string::npos)
        << content;
    EXPECT_NE(PartOf(r.text, "styles.xml").find("Ref K-7<text:span></text:span>"), std::string::npos);
}

TEST(PackageMerge, OutcomesOtherThanDoneCarryTheRtfMergesMessage) {
    const TMergeResult r = MergeDocx(WordPart(Paragraph({"Dear @1, fee @", "3"})), Values({{1, "Ann"}}));
    ASSERT_EQ(r.outcome, TMergeOutcome::MissingValue);
    EXPECT_EQ(r.marker, "@3");
    EXPECT_NE(MergeOutcomeMessage(r).text.find("the value is @3"), std::string::npos);
}

TEST(PackageMerge, CheckListsMarkersPutTogetherFromSeveralRuns) {
    const TPackageTemplate tpl(Docx(WordPart(Paragraph({"Dear @", "*1", "2 and @3 and @", "4"}))), "t.docx");
    const std::vector<TSplitMarker> split = tpl.SplitMarkers();
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].marker, "@12");
    EXPECT_EQ(split[0].pieces, 3u);
    EXPECT_EQ(split[0].part, "word/document.xml");
    EXPECT_EQ(split[1].marker, "@4");
    const TCheckReport report = CheckPackageTemplate(tpl, Values({{3, "x"}, {4, "y"}}));
    ASSERT_NE(report.FirstStop(), nullptr);
    EXPECT_EQ(report.FirstStop()->marker, "@12");
    EXPECT_EQ(report.Count(TFindingKind::Replaced), 2u);
    const std::string json = WithSplitMarkersJson(CheckReportJson(report, TMergeMode::Insert), split);
    EXPECT_NE(json.find("\"reassembled\": [\n    {\"part\": \"word/document.xml\", \"marker\": \"@12\", \"runs\": 3"),
              std::string::npos)
        << json;
    EXPECT_EQ(json.substr(json.size() - 4), "]\n}\n");
}

TEST(PackageMerge, HostilePackagesAreRefusedWithAClearMessage) {
    const std::string doctype = "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
                                "<w:document " + std::string(kWordNs) + "><w:body>" + Paragraph({"@1 &b;"}) +
                                "</w:body></w:document>";
    const std::string good = Docx(WordPart(Paragraph({"@1"})));
    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"an entry outside the package", Docx(WordPart(Paragraph({"@1"})), {{"../evil.sh", "rm -rf"}}),
         "an entry named outside it: ../evil.sh"},
        {"an absolute entry", Docx(WordPart(Paragraph({"@1"})), {{"/etc/x", "x"}}), "named outside it: /etc/x"},
        {"entity declarations", Docx(doctype), "declares a document type"},
        {"a cut-off archive", good.substr(0, good.size() / 2), "The package is damaged"},
        {"not a zip", "{\\rtf1 @1}", "not a .docx or .odt document"},
        {"no main part", Zip({{"other.xml", "<x/>"}}), "it has no word/document.xml"},
        {"a spreadsheet", Zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true}}),
         "not a text document"},
        {"broken XML", Docx("<w:document><w:body>@1</w:bod>"), "is not well-formed XML"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            TPackageTemplate(c.bytes, "t.docx");
            ADD_FAILURE() << "accepted";
        } catch (const EPackageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(PackageMerge, APartIsNeverInflatedPastItsLimit) {
    // A small archive entry that inflates to 8 MB: refused at 1 MB, whatever the directory says.
    const TZipPackage zip(Zip({{"word/document.xml", std::string(8 << 20, ' '), false, 1}}));
    EXPECT_EQ(zip.Read(0).size(), size_t(8 << 20));
    EXPECT_THROW(zip.Read(0, 1 << 20), EPackageError);
    // A main part past the part limit is refused before any of it is inflated.
    const std::string bomb = Docx(std::string(kMaxPartSize + 1, ' '), {}, 1);
    EXPECT_LT(bomb.size(), size_t(1) << 20);
    try {
        TPackageTemplate(bomb, "bomb.docx");
        ADD_FAILURE() << "accepted";
    } catch (const EPackageError& e) {
        EXPECT_NE(std::string(e.what()).find("word/document.xml is larger than Kelvora reads (64 MB)"),
                  std::string::npos)
            << e.what();
    }
}

TEST(PackageMerge, EntryNamesThatLeaveThePackage) {
    for (const char* bad : {"../x", "a/../../x", "/x", "\\x", "C:x", "a\\..\\x", ".."}) EXPECT_FALSE(IsSafeEntryName(bad)) << bad;
    for (const char* fine : {"word/document.xml", "a..b/c", "..a", "media/x..png"}) EXPECT_TRUE(IsSafeEntryName(fine)) << fine;
}
