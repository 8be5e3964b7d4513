// A batch on many threads against the single merges of the same information: every
// document byte for byte, with values at the evaluator's limits. Needs no display, so
// the ThreadSanitizer build runs it too.
#include "assembly/BatchMerge.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <sstream>

namespace {

std::string Repeat(std::string_view part, int times, std::string_view joint = "") {
    std::string out;
    for (int i = 0; i < times; ++i) {
        if (i > 0) out += joint;
        out += part;
    }
    return out;
}

std::string Sum(int terms) { return Repeat("1", terms, "+"); }

std::string Nested(int depth, std::string_view inner) {
    return std::string(size_t(depth), '(') + std::string(inner) + std::string(size_t(depth), ')');
}

// Values at and past the evaluator's limits, and plain ones between them, so every
// thread meets deep evaluations while the others run short ones.
std::vector<std::string> InformationOf(int item) {
    const int k = item % 8;
    const std::string values[] = {
        Sum(1990 + k),                              // deep, still evaluates
        Sum(2001 + k),                              // too deep: inserted as written
        Nested(1990 + k, std::to_string(item) + "*2"), // nested brackets at the bound
        "sqrt(" + Sum(1000 + item % 500) + ")+ln(exp(" + std::to_string(k) + "))",
        "150*2",
        std::to_string(item) + "/0",                // fails: inserted as written
        "Client \xE9\x80\xB6 " + std::to_string(item),
    };
    std::vector<std::string> lines;
    for (const std::string& v : values) {
        lines.push_back("Heading");
        lines.push_back(v);
    }
    return lines;
}

const std::string kTemplate =
    "{\\rtf1\\ansi Sum @1\\par Over @2\\par Nested @3\\par Root @4\\par Fee @5\\par Zero @6\\par Dear @7,\\par "
    "again @5 and @1\\par}";

class Collected {
public:
    void Write(const std::string& name, const std::string& merged) {
        std::lock_guard lock(FMutex);
        FDocuments[name] = merged;
    }
    std::map<std::string, std::string> Documents() const {
        std::lock_guard lock(FMutex);
        return FDocuments;
    }

private:
    mutable std::mutex FMutex;
    std::map<std::string, std::string> FDocuments;
};

TEST(RunBatchMerge, ManyThreadsGiveExactlyTheSingleMerges) {
    constexpr int kItems = 96;
    std::map<std::string, std::string> singles;
    for (int i = 0; i < kItems; ++i) {
        const TMergeResult r = MergeTemplate(kTemplate, TVectorLines(InformationOf(i)), TMergeMode::Insert);
        ASSERT_EQ(r.outcome, TMergeOutcome::Done) << i;
        singles[std::to_string(i) + ".rtf"] = r.text;
    }
    // The single merges really went to the limits: deep values evaluated, the too deep did not.
    const std::string& first = singles["0.rtf"];
    EXPECT_NE(first.find("Sum      1990.00\\par"), std::string::npos) << first.substr(0, 200);
    EXPECT_NE(first.find("Over " + Sum(2001) + "\\par"), std::string::npos);
    EXPECT_NE(first.find("Nested         0.00\\par"), std::string::npos);
    EXPECT_NE(singles["5.rtf"].find("Nested        10.00\\par"), std::string::npos);

    for (unsigned threads : {3u, 8u}) {
        SCOPED_TRACE(threads);
        int next = 0;
        const TBatchSource source = [&](TBatchItem& item) {
            if (next == kItems) return false;
            item.label = "item " + std::to_string(next);
            item.outputName = std::to_string(next) + ".rtf";
            item.lines = InformationOf(next++);
            return true;
        };
        Collected written;
        TBatchOptions options;
        options.threads = threads;
        options.outDir = ".";
        options.write = [&](const std::string& name, const std::string& merged) {
            written.Write(name.substr(2), merged);
        };
        std::ostringstream report;
        const TBatchSummary summary = RunBatchMerge(kTemplate, source, options, report);
        EXPECT_EQ(BatchSummaryLine(summary), BatchSummaryLine({kItems, 0}));
        EXPECT_EQ(report.str(), "");
        const std::map<std::string, std::string> documents = written.Documents();
        ASSERT_EQ(documents.size(), singles.size());
        for (const auto& [name, merged] : documents) EXPECT_TRUE(merged == singles[name]) << name;
    }
}

} // namespace
