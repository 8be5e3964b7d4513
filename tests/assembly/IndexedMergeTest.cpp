// The indexed insert-mode merge against the scanning one, which reads the rules
// plainly: every result, count, stop and progress notification must be the same.
#include "assembly/IndexedMerge.h"
#include "assembly/MergeEngine.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct Run {
    TMergeResult result;
    std::vector<std::pair<int, std::string>> progress;
};

Run Record(const std::function<TMergeResult(const TMergeProgress&)>& merge) {
    Run run;
    run.result = merge([&](int count, const TMergeText& text) { run.progress.emplace_back(count, text.Str()); });
    return run;
}

const char* OutcomeName(TMergeOutcome o) {
    switch (o) {
    case TMergeOutcome::Done: return "Done";
    case TMergeOutcome::MissingValue: return "MissingValue";
    case TMergeOutcome::OverwriteRefused: return "OverwriteRefused";
    case TMergeOutcome::MarkerJoined: return "MarkerJoined";
    case TMergeOutcome::ValueRepeats: return "ValueRepeats";
    case TMergeOutcome::TooLarge: return "TooLarge";
    }
    return "?";
}

// Merges both ways and compares everything; answers what the indexed run did.
TIndexedMergeStats ExpectSameAsScan(const std::string& text, const TVectorLines& lines,
                                    size_t maxLength = kMaxMergedLength) {
    TIndexedMergeStats stats;
    const Run indexed =
        Record([&](const TMergeProgress& p) { return MergeByMarkerIndex(text, lines, p, maxLength, &stats); });
    const Run scanned = Record(
        [&](const TMergeProgress& p) { return MergeTemplateByScan(text, lines, TMergeMode::Insert, p, maxLength); });
    const std::string where = "template «" + text + "», limit " + std::to_string(maxLength);
    EXPECT_EQ(OutcomeName(indexed.result.outcome), std::string(OutcomeName(scanned.result.outcome))) << where;
    EXPECT_EQ(indexed.result.text, scanned.result.text) << where;
    EXPECT_EQ(indexed.result.count, scanned.result.count) << where;
    EXPECT_EQ(indexed.result.marker, scanned.result.marker) << where;
    EXPECT_EQ(indexed.result.value, scanned.result.value) << where;
    EXPECT_EQ(indexed.progress, scanned.progress) << where;
    return stats;
}

// Lines for markers 1..n: heading, value.
TVectorLines Lines(const std::vector<std::string>& values, const std::vector<std::string>& rtfValues = {}) {
    std::vector<std::string> lines, rtf;
    for (size_t i = 0; i < values.size(); ++i) {
        lines.push_back("heading " + std::to_string(i + 1));
        lines.push_back(values[i]);
        rtf.push_back(lines[lines.size() - 2]);
        rtf.push_back(rtfValues.empty() ? values[i] : rtfValues[i]);
    }
    return TVectorLines(lines, rtf);
}

TEST(IndexedMerge, HandPickedCasesMatchTheScan) {
    const std::vector<std::string> values = {"one", "@10 x", "", "7", "@", "2*3", "A", "x@1", "@9@9", "ten", "5-"};
    const TVectorLines lines = Lines(values);
    const char* templates[] = {
        "@1 @10 @100", "@10 @1 @1", "@1@1@1 @1", "@2 @10", "@4 @4@4", "@3@3 @3", "a@4 @4x @4",
        "@5 @5", "@@4 @4", "@5@4 ", "@6 @6,@6", "@7 @1 @7", "@8 @1", "@9 @9", "X@1 then @1", "@1A @1",
        "@1 2", "@1x5 @1", "@01 @1 @001", "@x1 @$1 @ 1 @+1", "@0 @-1 @0", "@4\r\n5 @4", "@1\\par @11\\par",
        "{\\rtf1 @1\\par @2\\par}", "@", "x @", "@\xE9 @1", "@1\xE9 @1", "@3@4 @4@3", "@11 @11",
    };
    for (const char* text : templates) ExpectSameAsScan(text, lines);
}

// Values inside values: where each expansion ends decides when a marker would
// bring itself back.
TEST(IndexedMerge, NestedValuesMatchTheScan) {
    const std::vector<std::vector<std::string>> valueSets = {
        {"x @2", "@1"},          {"<@2", "@3", "@1>"}, {"@2", "@3", "@4", "@2"}, {"@2@2", "y"},
        {"@2 @2", "@3 @1", "z"}, {"a@2", "@3b", "c"},  {"@2", "", "@1"},         {"@3 @2", "@3", "q"},
        {"x @2", "y", "@1"},
    };
    for (const auto& values : valueSets) {
        const TVectorLines lines = Lines(values);
        for (const char* text : {"@1", "@1 @2", "@2 @1 @3", "(@1) @1 @1", "@3 @1", "@1 z @2 w @3"}) ExpectSameAsScan(text, lines);
    }
}

TEST(IndexedMerge, EscapedNamesMatchTheScan) {
    const TVectorLines lines = Lines({"?ukasz", "a?b @1"}, {"\\u321?ukasz", "a\\u-10179?b @1"});
    for (const char* text : {"Dear @1, @1.", "@2 and @1", "@2@2"}) ExpectSameAsScan(text, lines);
}

// Random templates and values built from the pieces the rules turn on: markers
// that share digits, markers glued to letters and digits, markers inside values,
// escapes, arithmetic, empty values and byte values the delimiter set treats apart.
class RandomMerges {
public:
    explicit RandomMerges(unsigned seed) : FRandom(seed) {}

    std::string Template() {
        static const std::vector<std::string> text = {" ", " ", "a", ",", "\\par ", "{\\b ", "}", "\r\n", "_", "\n"};
        // Glued, unnumbered or e-mail-like markers end a run: now and then only.
        static const std::vector<std::string> rare = {"X", "9", "`", "\xE9", "@", "0", "\x7F"};
        std::string s = Join(text, 0.45, 12, 0.95);
        if (Chance(0.05)) s.insert(size_t(Pick(int(s.size()) + 1)), rare[Pick(int(rare.size()))]);
        return s;
    }

    std::string Value() {
        static const std::vector<std::string> text = {"v", " ", "Mr J. Brown", "2*3", "1/2 day", "5-3", "7",
                                                      "?", "\\u321?", "x", ",", "\r\n"};
        static const std::vector<std::string> rare = {"A", "9", "@"};
        if (Chance(0.15)) return "";
        // A value that ends with a marker puts its expansion's end inside that marker.
        std::string s = Join(text, 0.25, 4, 0.6);
        if (Chance(0.04)) s += rare[Pick(int(rare.size()))];
        return s;
    }

    size_t Limit() { return Chance(0.2) ? size_t(Pick(4000)) + 16 : kMaxMergedLength; }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }

private:
    bool Chance(double p) { return std::bernoulli_distribution(p)(FRandom); }

    std::string Marker() {
        // Numbers that share leading digits, so one marker's text starts another's.
        static const int numbers[] = {1, 2, 3, 4, 5, 10, 11, 12, 20, 50, 100};
        static const char* forms[] = {"@%d", "@0%d", "@x%d", "@ %d", "@$%d", "@-%d", "@+%d"};
        char buf[32];
        std::snprintf(buf, sizeof buf, forms[Chance(0.85) ? 0 : Pick(7)], numbers[Pick(11)]);
        return buf;
    }

    std::string Join(const std::vector<std::string>& text, double markerShare, int maxParts, double delimitedShare) {
        std::string s;
        for (int i = Pick(maxParts) + 1; i > 0; --i) {
            if (!Chance(markerShare)) {
                s += text[Pick(int(text.size()))];
                continue;
            }
            s += Marker();
            // Mostly a delimiter follows: a marker straight before a digit's "@" reads as unnumbered.
            if (Chance(delimitedShare)) s += text[Pick(int(text.size()))];
        }
        return s;
    }

    std::mt19937 FRandom;
};

TEST(IndexedMerge, RandomTemplatesAndValuesMatchTheScan) {
    RandomMerges random(20261211);
    int wholly = 0, scanned = 0, markers = 0, runs = 0;
    for (int run = 0; run < 20000; ++run) {
        std::vector<std::string> values, rtf;
        for (int n = 0; n < 100; ++n) {
            values.push_back(random.Value());
            std::string escaped;
            for (char c : values.back()) escaped += c == '?' ? std::string("\\u321?") : std::string(1, c);
            rtf.push_back(escaped);
        }
        const TVectorLines lines = Lines(values, rtf);
        std::string text;
        for (int parts = random.Pick(8) + 1; parts > 0; --parts) text += random.Template();
        const TIndexedMergeStats stats = ExpectSameAsScan(text, lines, random.Limit());
        if (::testing::Test::HasFailure()) return; // the first difference says enough
        ++runs;
        markers += stats.indexedMarkers;
        (stats.scanned ? scanned : wholly) += 1;
    }
    // Both ways of running were met often, so the comparison covered the index.
    EXPECT_GT(wholly, runs / 3);
    EXPECT_GT(scanned, runs / 50);
    EXPECT_GT(markers, 2 * runs);
}

// A template of the usual kind, long and with many markers, some repeated and
// some coming back through values.
TEST(IndexedMerge, LongTemplateMatchesTheScanWithoutScanning) {
    std::vector<std::string> values;
    for (int n = 1; n <= 400; ++n)
        values.push_back(n % 7 == 0 ? std::to_string(n) + "*2" : n % 11 == 0 ? "see @" + std::to_string(n + 1) : "value " + std::to_string(n));
    const TVectorLines lines = Lines(values);
    std::string text = "{\\rtf1\\ansi ";
    for (int n = 1; n <= 2000; ++n) text += "Item @" + std::to_string(1 + (n * 37) % 400) + "\\par\r\n";
    text += "}";
    const TIndexedMergeStats stats = ExpectSameAsScan(text, lines);
    EXPECT_FALSE(stats.scanned);
    EXPECT_GE(stats.indexedMarkers, 400); // a marker met again inside a value is another one
}

// Values that multiply markers: the indexed run hands over before the size limit
// and the scan then stops exactly where it would have.
TEST(IndexedMerge, RunawayValuesStopAtTheSameLimit) {
    std::vector<std::string> values;
    for (int n = 1; n <= 20; ++n) {
        const std::string next = "@" + std::to_string(n + 1);
        values.push_back(next + " " + next + " " + next);
    }
    const TVectorLines lines = Lines(values);
    for (size_t limit : {size_t(1000), size_t(100000), size_t(3000000)}) {
        const TIndexedMergeStats stats = ExpectSameAsScan("start @1 end", lines, limit);
        EXPECT_TRUE(stats.scanned) << limit;
    }
}

} // namespace
