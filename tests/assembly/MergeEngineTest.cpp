#include "PeakMemory.h"
#include "assembly/MergeEngine.h"

#include <gtest/gtest.h>

namespace {

using V = std::vector<std::string>;

TMergeResult Merge(const std::string& text, V lines, TMergeMode mode = TMergeMode::Insert,
                   std::vector<int>* counts = nullptr) {
    const TVectorLines info(std::move(lines));
    return MergeTemplate(text, info, mode, [counts](int n, const TMergeText&) {
        if (counts) counts->push_back(n);
    });
}

const V kLetterLines = {"Client", "Mr J. Brown", "Fee", "150*2", "Time", "1/2 day"};

TEST(MergeTemplate, InsertModeWorkedExample) {
    std::vector<int> counts;
    const auto r = Merge("Dear @1,\\par Fee: @2\\par Time: @3\\par Regards @1\\par", kLetterLines,
                         TMergeMode::Insert, &counts);
    ASSERT_EQ(r.outcome, TMergeOutcome::Done);
    EXPECT_EQ(r.text, "Dear Mr J. Brown,\\par Fee:       300.00\\par Time: 1/2 day\\par Regards Mr J. Brown\\par");
    EXPECT_EQ(r.count, 4);
    EXPECT_EQ(counts, (std::vector<int>{2, 3, 4}));
}

TEST(MergeTemplate, OverwriteModeWorkedExample) {
    const std::string line = "Name: @1" + std::string(12, ' ') + "Date: @2" + std::string(8, ' ') + "\\par";
    const auto r = Merge(line, {"Name", "Mr J. Brown", "Date", "1 May"}, TMergeMode::Overwrite);
    ASSERT_EQ(r.outcome, TMergeOutcome::Done);
    EXPECT_EQ(r.text, "Name: Mr J. Brown   Date: 1 May     \\par"); // «Date:» keeps its column
    EXPECT_EQ(r.text.size(), line.size());
    EXPECT_EQ(r.count, 2);
}

TEST(MergeTemplate, NoMarkersLeavesTheTextUnchanged) {
    const auto r = Merge("{\\rtf1 plain\\par}", {});
    EXPECT_EQ(r.outcome, TMergeOutcome::Done);
    EXPECT_EQ(r.text, "{\\rtf1 plain\\par}");
    EXPECT_EQ(r.count, 0);
}

TEST(MergeTemplate, InsertModeCases) {
    struct Case { const char* text; V lines; const char* merged; int count; };
    const Case cases[] = {
        {"@12 @1", V(24, "v"), "v v", 2},                         // @1 does not touch @12
        {"@1 @1 @1.", {"h", "x"}, "x x x.", 3},                    // all occurrences in one go
        {"a @2 b", {"h", "", "h", "5-3"}, "a         2.00 b", 1},
        {"a @1 b", {"h", "-5"}, "a        -5.00 b", 1},
        {"@1", {"h", "12/05/2001"}, "     4802.40", 1},
        {"@1", {"h", "555-1234"}, "     -679.00", 1},
        {"@1", {"h", "Smith-Jones"}, "Smith-Jones", 1},            // fails to evaluate: as written
        {"@1", {"h", "1/2 day"}, "1/2 day", 1},
        {"a@0b @-1.", {"h", "v"}, "ab .", 2},                      // numbers 0 and below: empty
        {"@x1 @ 1 @$1", V(40, "v"), "v v v", 3},                   // hex and a leading space
        {"@1 then @2", {"h", "@2", "h", "two"}, "two then two", 3}, // a value's marker is met again
    };
    for (const Case& c : cases) {
        const auto r = Merge(c.text, c.lines);
        EXPECT_EQ(r.outcome, TMergeOutcome::Done) << c.text;
        EXPECT_EQ(r.text, c.merged) << c.text;
        EXPECT_EQ(r.count, c.count) << c.text;
    }
}

TEST(MergeTemplate, MissingValues) {
    struct Case { const char* text; size_t lineCount; const char* marker; };
    const Case cases[] = {
        {"see @3 here", 4, "@3"},
        {"see @3 here", 5, "@3"},      // value line 6 does not exist
        {"mail j@smith.com", 99, "@s"}, // an e-mail address
        {"@1 2", 99, "@1 "},
        {"@1x5", 99, "@1x"},
        {"@1@2", 99, "@1@"},
        {"@1x\n5", 99, "@1\n"},        // one character, a line break, a digit
        {"@1\r\n5", 99, "@1\n"},       // a marker ending a line before a digit
        {"end @", 99, "@"},
        {"@2147483648", 99, "@2147483648"},
    };
    for (const Case& c : cases) {
        const auto r = Merge(c.text, V(c.lineCount, "v"));
        EXPECT_EQ(r.outcome, TMergeOutcome::MissingValue) << c.text;
        EXPECT_EQ(r.marker, c.marker) << c.text;
    }
}

TEST(MergeTemplate, OverwriteModeCases) {
    auto r = Merge("x @12 y", V(24, "7"), TMergeMode::Overwrite);
    EXPECT_EQ(r.text, "x 7   y"); // shorter value padded: same length
    r = Merge("@1   @1   @1  ", {"h", "ab"}, TMergeMode::Overwrite);
    EXPECT_EQ(r.outcome, TMergeOutcome::Done);
    EXPECT_EQ(r.text, "ab   ab   ab  ");
    EXPECT_EQ(r.count, 3); // one per iteration
    r = Merge("@1", {"h", "longer"}, TMergeMode::Overwrite);
    EXPECT_EQ(r.text, "longer"); // fewer characters than the value: the text grows
}

TEST(MergeTemplate, OverwriteRefusals) {
    for (const char* value : {"X", "XY", "long value"}) {
        const auto r = Merge("@1@a", {"h", value, "h", "y"}, TMergeMode::Overwrite);
        EXPECT_EQ(r.outcome, TMergeOutcome::OverwriteRefused) << value;
        EXPECT_EQ(r.marker, "@1");
        EXPECT_EQ(r.value, value);
        EXPECT_EQ(r.count, 0);
    }
    // At the merge level the look-ahead reads «@1@2» as the unnumbered «@1@» first.
    const auto glued = Merge("@1@2", {"h", "X", "h", "y"}, TMergeMode::Overwrite);
    EXPECT_EQ(glued.outcome, TMergeOutcome::MissingValue);
    EXPECT_EQ(glued.marker, "@1@");
    const auto r = Merge("@1 x @2", {"h", "far too long", "h", "y"}, TMergeMode::Overwrite);
    EXPECT_EQ(r.outcome, TMergeOutcome::OverwriteRefused);
    EXPECT_EQ(r.text, "@1 x @2"); // unchanged
}

TEST(MergeTemplate, GluedMarkerEndsTheRun) {
    std::vector<int> counts;
    const auto r = Merge("X@1 then @1", {"h", "v"}, TMergeMode::Insert, &counts);
    EXPECT_EQ(r.outcome, TMergeOutcome::MarkerJoined);
    EXPECT_EQ(r.marker, "@1");
    EXPECT_EQ(r.text, "X@1 then v"); // the free occurrence was still replaced
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(counts, std::vector<int>{1});
    EXPECT_EQ(Merge("9@1", {"h", "v"}).outcome, TMergeOutcome::MarkerJoined);
}

TEST(MergeTemplate, ValueThatBringsItselfBackEndsTheRun) {
    struct Case { const char* text; V lines; TMergeMode mode; const char* marker; };
    const Case cases[] = {
        {"@1", {"h", "@1"}, TMergeMode::Insert, "@1"},
        {"@1", {"h", "x@1x"}, TMergeMode::Insert, "@1"},
        {"a @1 b", {"h", "<@2>", "h", "[@01]"}, TMergeMode::Insert, "@01"},
        {"@1  ", {"h", "@1"}, TMergeMode::Overwrite, "@1"},
    };
    for (const Case& c : cases) {
        const auto r = Merge(c.text, c.lines, c.mode);
        EXPECT_EQ(r.outcome, TMergeOutcome::ValueRepeats) << c.text;
        EXPECT_EQ(r.marker, c.marker) << c.text;
    }
    // Using one value inside another is fine, also twice over.
    const auto r = Merge("@1 @3", {"h", "@2+@2", "h", "z", "h", "@2"});
    EXPECT_EQ(r.outcome, TMergeOutcome::Done);
    EXPECT_EQ(r.text, "z+z z");
}

TEST(MergeTemplate, ValuesThatMultiplyMarkersStopAtTheSizeLimit) {
    V lines;
    for (int n = 1; n <= 40; ++n) {
        lines.push_back("heading");
        lines.push_back("@" + std::to_string(n + 1) + " @" + std::to_string(n + 1) + " @" + std::to_string(n + 1));
    }
    const TVectorLines info(lines);
    const auto big = MergeTemplate("start @1 end", info, TMergeMode::Insert, {}, 1 << 20);
    EXPECT_EQ(big.outcome, TMergeOutcome::TooLarge);
    EXPECT_LE(big.text.size(), size_t(1) << 20);
    EXPECT_EQ(MergeTemplate("@1" + std::string(100, ' '), TVectorLines({"h", std::string(99, 'v')}),
                            TMergeMode::Overwrite, {}, 150).outcome,
              TMergeOutcome::TooLarge);
    // Below the limit the same nesting merges completely.
    V shallow = {"h", "@2 @2", "h", "ok"};
    const auto r = Merge("start @1 end", shallow);
    EXPECT_EQ(r.outcome, TMergeOutcome::Done);
    EXPECT_EQ(r.text, "start ok ok end");
}

// Values that multiply markers grow the text fourfold per level; the run must stop
// at the limit without ever holding much more than the old text and the new one.
TEST(MergeTemplate, RunawayMergeStopsWithinTwiceTheLimit) {
    V lines;
    for (int n = 1; n <= 30; ++n) {
        const std::string next = "@" + std::to_string(n + 1);
        lines.push_back("heading");
        lines.push_back(next + " " + next + " " + next + " " + next);
    }
    const TVectorLines info(lines);
    const size_t limit = size_t(16) << 20;
    const std::string templateText = "start @1 end \xE9 \x80 \xB6";
    PeakMemory::ResetPeak();
    const size_t before = PeakMemory::Live();
    const auto r = MergeTemplate(templateText, info, TMergeMode::Insert, {}, limit);
    const size_t peak = PeakMemory::Peak() - before;
    EXPECT_EQ(r.outcome, TMergeOutcome::TooLarge);
    EXPECT_LE(r.text.size(), limit);
    EXPECT_GT(r.text.size(), limit / 8); // it did grow close to the limit first
    EXPECT_LE(peak, 2 * limit + limit / 8) << "peak " << peak / 1024 << " KiB";
}

TEST(ExtractMarker, DelimitsTheBody) {
    const std::pair<const char*, const char*> cases[] = {
        {"no marker", ""}, {"a @1, b", "@1"}, {"@12\\par", "@12"}, {"@x10 ", "@x10"},
        {"@ 5 ", "@ 5"},  {"@1 2", "@1 "},    {"@1x5", "@1x"},     {"@1@2", "@1@"},
        {"@1,\\par", "@1"}, {"@1 \r\n3", "@1"}, {"@1 \n3", "@1\n"}, {"@1\r\n3", "@1\n"},
        {"@", "@"}, {"x@", "@"},
        {"@ab", "@a"},
    };
    for (const auto& [text, marker] : cases) EXPECT_EQ(ExtractMarker(text), marker) << text;
}

TEST(MarkerLineIndex, MapsNumbersToValueLines) {
    EXPECT_EQ(MarkerLineIndex("none"), -1);
    EXPECT_EQ(MarkerLineIndex("@1"), 1);
    EXPECT_EQ(MarkerLineIndex("@3 "), 5);
    EXPECT_EQ(MarkerLineIndex("@0"), -1);
    EXPECT_EQ(MarkerLineIndex("@-1"), -3);
    EXPECT_EQ(MarkerLineIndex("@x10"), 31);
    EXPECT_EQ(MarkerLineIndex("@2147483647"), 4294967293LL); // no overflow
    for (const char* unnumbered : {"@a", "@1x5", "@", "@1@2"})
        EXPECT_GT(MarkerLineIndex(unnumbered), int64_t(1) << 40) << unnumbered;
}

TEST(OverwriteMarker, RefusesWhenTheCoveredCharactersHoldAMarker) {
    std::string text = "@1@2";
    EXPECT_FALSE(OverwriteMarker(text, "@1", "X"));
    EXPECT_EQ(text, "@1@2");
    text = "@1 abcd";
    EXPECT_TRUE(OverwriteMarker(text, "@1", "wxyz"));
    EXPECT_EQ(text, "wxyzbcd");
}

} // namespace

namespace {

// Lines whose RTF forms differ where a character lies outside the code page, as
// the information editor gives them.
TMergeResult MergeWide(const std::string& text, V lines, V rtfLines, TMergeMode mode) {
    const TVectorLines info(std::move(lines), std::move(rtfLines));
    return MergeTemplate(text, info, mode);
}

TEST(MergeTemplate, NamesBeyondTheCodePageGoInAsEscapes) {
    struct Case { const char* name; V lines; V rtf; TMergeMode mode; const char* text; const char* merged; };
    const TMergeMode ins = TMergeMode::Insert, ovr = TMergeMode::Overwrite;
    const Case cases[] = {
        {"insert", {"Client", "?ukasz W\xF3jcik"}, {"Client", "\\u321?ukasz W\xF3jcik"}, ins,
         "Dear @1,\\par Re: @1", "Dear \\u321?ukasz W\xF3jcik,\\par Re: \\u321?ukasz W\xF3jcik"},
        {"emoji", {"h", "a?b"}, {"h", "a\\u-10179?\\u-8704?b"}, ins, "<@1>", "<a\\u-10179?\\u-8704?b>"},
        {"fits the code page", {"h", "M\xFCller \x80"}, {"h", "M\xFCller \x80"}, ins, "@1.", "M\xFCller \x80."},
        // Arithmetic is worked out on the value as written; its result is a number.
        {"arithmetic", {"h", "2*3"}, {"h", "2*3"}, ins, "@1", "        6.00"},
        // Overwrite: the escape covers one column, so later columns keep their place.
        {"overwrite", {"h", "?ukasz"}, {"h", "\\u321?ukasz"}, ovr, "@1        |", "\\u321?ukasz    |"},
        {"overwrite short", {"h", "?"}, {"h", "\\u321?"}, ovr, "@1  |", "\\u321?   |"},
    };
    for (const Case& c : cases) {
        const auto r = MergeWide(c.text, c.lines, c.rtf, c.mode);
        ASSERT_EQ(r.outcome, TMergeOutcome::Done) << c.name;
        EXPECT_EQ(r.text, c.merged) << c.name;
    }
}

TEST(MergeTemplate, OverwriteOfAnEscapedNameStillRefusesToCoverAMarker) {
    // Six characters wide: it would reach the "@" of @2 although its escape has ten bytes.
    const auto r = MergeWide("@1    @2", {"h", "?ukasz", "h", "x"}, {"h", "\\u321?ukasz", "h", "x"}, TMergeMode::Overwrite);
    EXPECT_EQ(r.outcome, TMergeOutcome::OverwriteRefused);
    EXPECT_EQ(r.value, "\\u321?ukasz"); // the message shows the name, not its "?" form
    const auto fits = MergeWide("@1      @2", {"h", "?ukasz", "h", "x"}, {"h", "\\u321?ukasz", "h", "x"},
                                TMergeMode::Overwrite);
    ASSERT_EQ(fits.outcome, TMergeOutcome::Done);
    EXPECT_EQ(fits.text, "\\u321?ukasz  x ");
}

} // namespace
