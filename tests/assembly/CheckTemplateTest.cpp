#include "assembly/CheckTemplate.h"

#include <gtest/gtest.h>

namespace {

using V = std::vector<std::string>;

TCheckReport Check(const std::string& text, V lines, TMergeMode mode = TMergeMode::Insert) {
    return CheckTemplate(text, TVectorLines(std::move(lines)), mode);
}

// "kind marker[>meant]" for each finding that is not a plain replacement.
std::vector<std::string> Problems(const TCheckReport& r) {
    std::vector<std::string> out;
    for (const TCheckFinding& f : r.findings) {
        if (f.kind == TFindingKind::Replaced) continue;
        out.push_back(std::string(FindingKindName(f.kind)) + " " + f.marker + (f.meant.empty() ? "" : ">" + f.meant));
    }
    return out;
}

const V kLines = {"Client", "Mr J. Brown", "Fee", "150*2", "Time", "1/2 day"};

TEST(CheckTemplate, FindsEveryKindOfProblemInOneRun) {
    struct Case {
        const char* name;
        std::string text;
        V lines;
        TMergeMode mode;
        std::vector<std::string> problems;
    };
    const Case cases[] = {
        {"clean", "{\\rtf1 Dear @1,\\par @2 @3\\par}", kLines, TMergeMode::Insert, {"not-evaluated @3"}},
        {"two missing values together", "{\\rtf1 @1 @7 @2 @9 @3}", kLines, TMergeMode::Insert,
         {"missing @7", "missing @9", "not-evaluated @3"}},
        {"unused pair", "{\\rtf1 @1 @2}", kLines, TMergeMode::Insert, {"unused @3"}},
        {"bold digit as a word processor writes it", "{\\rtf1 Dear @{\\b 1}, @2 @3}", kLines, TMergeMode::Insert,
         {"split @{>@1", "not-evaluated @3"}},
        {"new run after the at sign",
         "{\\rtf1 Dear @}{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\b\\insrsid4500 1}{ @2 @3}", kLines, TMergeMode::Insert,
         {"split @}>@1", "not-evaluated @3"}},
        {"bookmark between at sign and digits", "{\\rtf1 @{\\*\\bkmkstart a}{\\*\\bkmkend a}1 @2 @3}", kLines,
         TMergeMode::Insert, {"split @{>@1", "not-evaluated @3"}},
        {"colour word and a source line break", "{\\rtf1 @\\cf2\r\n1 @2 @3}", kLines, TMergeMode::Insert,
         {"split @\\>@1", "not-evaluated @3"}},
        {"second digit formatted", "{\\rtf1 @1{\\b 2}}", {"h", "v"}, TMergeMode::Insert, {"split @1>@12"}},
        {"paragraph and space are visible: no split", "{\\rtf1 @1\\par 2 @2\\tab 4 @3}", kLines,
         TMergeMode::Insert, {"not-evaluated @3"}},
        {"glued to a capital letter", "{\\rtf1 @1X @2 @3}", kLines, TMergeMode::Insert,
         {"refused @1", "not-evaluated @3"}},
        {"glued after the previous value", "@2@x1 @3", {"h", "Smith", "h", "JONES", "h", "x"}, TMergeMode::Insert,
         {"refused @x1"}},
        {"lower-case neighbour is a delimiter", "@2@x1 @3", {"h", "Smith", "h", "jones", "h", "x"},
         TMergeMode::Insert, {}},
        {"value brings back its own marker", "@1 @2", {"h", "a @2", "h", "b @1"}, TMergeMode::Insert,
         {"refused @1"}},
        {"value holds a missing marker", "@1", {"h", "see @5"}, TMergeMode::Insert, {"missing @5"}},
        {"overwrite would cover a marker", "@1 @2 @3       ", kLines, TMergeMode::Overwrite,
         {"refused @1", "refused @2", "not-evaluated @3"}},
        {"overwrite with room", "@1" + std::string(12, ' ') + "@2" + std::string(12, ' ') + "@3      ", kLines,
         TMergeMode::Overwrite, {"not-evaluated @3"}},
        {"e-mail address", "write to me@example.com @1 @2 @3", kLines, TMergeMode::Insert,
         {"missing @e", "not-evaluated @3"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Problems(Check(c.text, c.lines, c.mode)), c.problems) << c.name;
}

// Where the check says the merge stops, the merge stops, at the same marker and for
// the same reason; where it says the merge succeeds, it does.
TEST(CheckTemplate, AgreesWithTheMerge) {
    const V lines = {"a", "Smith", "b", "JONES", "c", "@4", "d", "x @3", "e", "", "f", "150*2"};
    const std::string texts[] = {
        "@1 @2 @6",          "@2@1",          "@1@2",   "@3",       "@1 @7 @9", "{\\rtf1 @{\\b 1}}",
        "@1X",               "a@b",           "@5@1",   "@1 2",     "@6 @6 @1", "@12",
        "@1 @2 @6       ",   "@1    @2      ", "",      "@0 @-1 @1", "@2@2",    "@6@1",
        "@2@x1",             "@6@x1",         "@5@x1",  "@1@x2 @x1X",
    };
    for (const TMergeMode mode : {TMergeMode::Insert, TMergeMode::Overwrite}) {
        for (const std::string& text : texts) {
            const TCheckReport report = Check(text, lines, mode);
            const TMergeResult merged = MergeTemplate(text, TVectorLines(lines), mode);
            const TCheckFinding* stop = report.FirstStop();
            const std::string label = text + (mode == TMergeMode::Insert ? " insert" : " overwrite");
            if (merged.outcome == TMergeOutcome::Done) {
                EXPECT_EQ(stop, nullptr) << label << ": " << stop->marker;
                continue;
            }
            ASSERT_NE(stop, nullptr) << label;
            EXPECT_EQ(stop->marker, merged.marker) << label;
            EXPECT_EQ(stop->outcome, merged.outcome) << label;
        }
    }
}

// Cases where the merge's working text differs from the source around a marker:
// values ending in "@", a replacement of every occurrence that changes what a
// later "@" reads, markers inside values glued to a neighbour or covering another.
TEST(CheckTemplate, AgreesWithTheMergeWhereValuesReshapeTheText) {
    struct Case {
        std::string text;
        V lines;
    };
    const Case cases[] = {
        {"-\\1@1a},}", {"25", "5@", "", " @"}},
        {"@0\\@0\n\n3", {"a", "", "", "", "", "55"}},
        {"@1@@1", {"", "1X+", " 2*"}},
        {"\\ @3,@3 @@", {"", "", "1", "X+", "*X", "a@"}},
        {"\nx21,@ 2\\", {"2", "", "-@", "1@1"}},
        {"@1 @2", {"h", "Smith @2", "h", "JONES"}},
        {"@2x,,@{@", {" @5", "1@", "@5 ", "@1@", "", "1-"}},
        {"@1}", {"", "@2@", "@", "*-", "+ @", "*"}},
    };
    for (const Case& c : cases) {
        for (const TMergeMode mode : {TMergeMode::Insert, TMergeMode::Overwrite}) {
            const TVectorLines lines(c.lines);
            const TMergeResult merged = MergeTemplate(c.text, lines, mode);
            const TCheckReport report = CheckTemplate(c.text, lines, mode);
            const TCheckFinding* stop = report.FirstStop();
            const std::string label = c.text + (mode == TMergeMode::Insert ? " insert" : " overwrite");
            if (merged.outcome == TMergeOutcome::Done) {
                EXPECT_EQ(stop, nullptr) << label;
            } else {
                ASSERT_NE(stop, nullptr) << label;
                EXPECT_EQ(stop->marker, merged.marker) << label;
                EXPECT_EQ(stop->outcome, merged.outcome) << label;
            }
        }
    }
}

// Values that multiply markers: the check says "too large" where the merge's
// growth limit stops the merge, and lets through what stays under it.
TEST(CheckTemplate, AppliesTheMergesGrowthLimit) {
    const V doubling = {"a", "@2 @2", "b", "@3 @3", "c", "@4 @4", "d", "caf\xE9 \x80\xB6"};
    const struct {
        std::string text;
        size_t limit;
    } cases[] = {
        {"@1", 200}, {"@1", 40}, {"@1", 10}, {"x @1 y @1", 70}, {"@2 @1", 60}, {"@1 @4 @9", 200}, {"@3 @3 @3", 30},
    };
    for (const TMergeMode mode : {TMergeMode::Insert, TMergeMode::Overwrite}) {
        for (const auto& c : cases) {
            const std::string label = c.text + " limit " + std::to_string(c.limit) +
                                      (mode == TMergeMode::Insert ? " insert" : " overwrite");
            const TVectorLines lines(doubling);
            const TMergeResult merged = MergeTemplate(c.text, lines, mode, {}, c.limit);
            const TCheckReport report = CheckTemplate(c.text, lines, mode, c.limit);
            const TCheckFinding* stop = report.FirstStop();
            if (merged.outcome == TMergeOutcome::Done) {
                EXPECT_EQ(stop, nullptr) << label << ": " << stop->marker;
                continue;
            }
            ASSERT_NE(stop, nullptr) << label;
            EXPECT_EQ(stop->outcome, merged.outcome) << label;
        }
    }
    // At the real limit: ten levels of ten copies.
    V tenfold;
    for (int n = 1; n <= 10; ++n) {
        tenfold.push_back("h");
        std::string value;
        for (int k = 0; k < 10; ++k) value += "@" + std::to_string(n + 1) + " ";
        tenfold.push_back(value);
    }
    tenfold.insert(tenfold.end(), {"h", "twelve bytes"});
    const TCheckReport report = Check("@1", tenfold);
    ASSERT_NE(report.FirstStop(), nullptr);
    EXPECT_EQ(report.FirstStop()->outcome, TMergeOutcome::TooLarge);
    EXPECT_FALSE(report.MergeWouldSucceed());
}

TEST(CheckTemplate, FindingsCarryPlaceValueAndVisibleText) {
    const std::string text = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard Caf\\'e9 \\b @1\\b0  pays @2.\\par Time @{\\i 3}\\par}";
    const TCheckReport r = Check(text, kLines);
    ASSERT_EQ(r.findings.size(), 3u);

    const TCheckFinding& client = r.findings[0];
    EXPECT_EQ(client.kind, TFindingKind::Replaced);
    EXPECT_EQ(client.position, text.find("@1"));
    EXPECT_EQ(client.heading, "Client");
    EXPECT_EQ(client.value, "Mr J. Brown");
    EXPECT_EQ(client.line, 1);
    EXPECT_EQ(client.before, "Caf\xE9 ");
    EXPECT_EQ(client.after, "@1 pays @2.\xB6Time @3\xB6");

    const TCheckFinding& fee = r.findings[1];
    EXPECT_EQ(fee.value, "      300.00"); // evaluated and formatted as the merge inserts it

    const TCheckFinding& split = r.findings[2];
    EXPECT_EQ(split.kind, TFindingKind::SplitMarker);
    EXPECT_EQ(split.position, text.find("@{"));
    EXPECT_EQ(split.meant, "@3");
    EXPECT_EQ(split.heading, "Time");
    EXPECT_TRUE(split.stopsMerge);
    EXPECT_EQ(split.after, "@3\xB6");
    EXPECT_NE(split.reason.find("the value is @{"), std::string::npos); // the merge's own message
    EXPECT_FALSE(r.MergeWouldSucceed());
    EXPECT_FALSE(r.Clean());
}

TEST(CheckTemplate, UnusedPairsComeLastWithTheirLines) {
    const TCheckReport r = Check("@2", {"A", "1", "B", "2", "C", "3", "odd heading"});
    ASSERT_EQ(r.findings.size(), 3u);
    EXPECT_EQ(r.findings[1].kind, TFindingKind::Unused);
    EXPECT_EQ(r.findings[1].line, 1);
    EXPECT_EQ(r.findings[1].heading, "A");
    EXPECT_EQ(r.findings[2].line, 5);
    EXPECT_TRUE(r.MergeWouldSucceed());
    EXPECT_FALSE(r.Clean());
}

TEST(VisibleTemplateText, RendersWhatAReaderSees) {
    const std::pair<std::string, std::string> cases[] = {
        {"{\\rtf1{\\colortbl;\\red1;}{\\*\\generator x;}A\\tab B\\par C}", "A B\xB6" "C"},
        {"{\\rtf1\\uc1 \\u321?ukasz \\'e9\\~\\{x\\}}", "?ukasz \xE9 {x}"}, // \u321 has no 1252 byte
        {"{\\rtf1 \\u233\\'e9 x\\lquote y\\rquote}", "\xE9 x\x91y\x92"},     // the fallback byte is skipped
        {"{\\rtf1 {\\pict\\pngblip 0123}after\\\r\nnext}", "after\xB6next"},
        {"plain @1\r\nline 2", "plain @1\xB6line 2"},
    };
    for (const auto& [rtf, visible] : cases) {
        const TVisibleText v = VisibleTemplateText(rtf);
        EXPECT_EQ(v.text, visible) << rtf;
        ASSERT_EQ(v.sourcePos.size(), v.text.size());
        for (size_t i = 1; i < v.sourcePos.size(); ++i) EXPECT_LT(v.sourcePos[i - 1], v.sourcePos[i]) << rtf;
    }
}

TEST(CheckTemplate, ReportsAsTextAndJson) {
    const TCheckReport r = Check("{\\rtf1 @1 \"caf\\'e9\" @{\\b 2} @5}", kLines);
    const std::string text = CheckReportText(r, TMergeMode::Insert);
    EXPECT_NE(text.find("SPLIT MARKER: you wrote @2"), std::string::npos) << text;
    EXPECT_NE(text.find("MISSING VALUE"), std::string::npos) << text;
    EXPECT_NE(text.find("line 5 \"Time\" = \"1/2 day\""), std::string::npos) << text;
    EXPECT_NE(text.find("The merge would stop at @{"), std::string::npos) << text;

    const std::string json = CheckReportJson(r, TMergeMode::Insert);
    EXPECT_NE(json.find("\"mergeWouldSucceed\": false"), std::string::npos);
    EXPECT_NE(json.find("caf\xC3\xA9\\\" \""), std::string::npos) << json; // UTF-8, escaped
    EXPECT_NE(json.find("{\"kind\": \"split\", \"position\": 20, \"marker\": \"@{\""), std::string::npos) << json;
}

} // namespace
