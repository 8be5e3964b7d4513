#include "assembly/BatchMerge.h"

#include "assembly/MergeMessages.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <ostream>
#include <thread>
#include <unordered_set>

namespace {

struct TDone {
    std::string label;
    std::string error;      // empty when the document was written
    std::string fileName;   // writeOnCaller: where the merged text goes
    std::string merged;
};

std::string OneLine(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == ';') c = ' ';
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// Work handed to the merging threads and their results handed back, both bounded
// by the number of items in flight, so memory does not grow with the batch.
class TBatch {
public:
    TBatch(const std::string& templateText, const TBatchOptions& options)
        : FTemplate(templateText), FOptions(options) {}

    TBatchSummary Run(const TBatchSource& source, std::ostream& report) {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const unsigned threads = FOptions.threads ? FOptions.threads : cores;
        const size_t capacity = 4 * size_t(threads);
        std::vector<std::thread> workers;
        for (unsigned i = 0; i < threads; ++i) workers.emplace_back([this] { Work(); });
        bool sourceDone = false;
        size_t inFlight = 0;
        auto lastShown = std::chrono::steady_clock::now() - std::chrono::seconds(1);
        try {
            for (;;) {
                std::vector<TDone> done;
                bool room = false;
                {
                    std::unique_lock lock(FMutex);
                    FCallerWake.wait_for(lock, std::chrono::milliseconds(100), [&] {
                        return !FDone.empty() || (!sourceDone && FWork.size() < capacity) || (sourceDone && inFlight == 0);
                    });
                    while (!FDone.empty()) {
                        done.push_back(std::move(FDone.front()));
                        FDone.pop_front();
                    }
                    inFlight -= done.size();
                    room = !sourceDone && FWork.size() < capacity;
                }
                for (TDone& d : done) Finish(d, report);
                if (FOptions.progress) ShowProgress(report, lastShown, false);
                if (room) {
                    TBatchItem item;
                    if (!source(item)) {
                        sourceDone = true;
                        Close();
                    } else if (!item.error.empty()) {
                        Fail(item.label, item.error, report);
                    } else if (!FOptions.namesUnique && !FNames.insert(item.outputName).second) {
                        Fail(item.label, "another document of this batch is already named " + item.outputName, report);
                    } else {
                        std::lock_guard lock(FMutex);
                        FWork.push_back(std::move(item));
                        ++inFlight;
                        FWorkWake.notify_one();
                    }
                }
                if (sourceDone && inFlight == 0) break;
            }
        } catch (...) {
            Close();
            for (std::thread& t : workers) t.join();
            throw;
        }
        for (std::thread& t : workers) t.join();
        if (FOptions.progress) ShowProgress(report, lastShown, true);
        return FSummary;
    }

private:
    void Close() {
        std::lock_guard lock(FMutex);
        FClosed = true;
        FWorkWake.notify_all();
    }

    void Work() {
        for (;;) {
            TBatchItem item;
            {
                std::unique_lock lock(FMutex);
                FWorkWake.wait(lock, [&] { return !FWork.empty() || FClosed; });
                if (FWork.empty()) return;
                item = std::move(FWork.front());
                FWork.pop_front();
            }
            TDone d = Merge(std::move(item));
            std::lock_guard lock(FMutex);
            FDone.push_back(std::move(d));
            FCallerWake.notify_one();
        }
    }

    TDone Merge(TBatchItem item) {
        TDone d;
        d.label = std::move(item.label);
        try {
            const TVectorLines lines(std::move(item.lines), std::move(item.rtfLines));
            TMergeResult r = FOptions.merge ? FOptions.merge(lines) : MergeTemplate(FTemplate, lines, FOptions.mode);
            if (r.outcome != TMergeOutcome::Done) {
                d.error = OneLine(MergeOutcomeMessage(r).text);
                return d;
            }
            const std::string fileName = FOptions.outDir + "/" + item.outputName;
            if (FOptions.writeOnCaller) {
                d.fileName = fileName;
                d.merged = std::move(r.text);
            } else {
                FOptions.write(fileName, r.text);
            }
        } catch (const std::exception& e) {
            d.error = e.what();
        }
        return d;
    }

    void Finish(TDone& d, std::ostream& report) {
        if (d.error.empty() && FOptions.writeOnCaller) {
            try {
                FOptions.write(d.fileName, d.merged);
            } catch (const std::exception& e) {
                d.error = e.what();
            }
        }
        if (d.error.empty()) ++FSummary.merged;
        else Fail(d.label, d.error, report);
    }

    void Fail(const std::string& label, const std::string& reason, std::ostream& report) {
        ++FSummary.failed;
        if (FShown) report << '\r' << std::string(FShown, ' ') << '\r';
        FShown = 0;
        report << label << ": " << reason << '\n';
    }

    // "1234 of 10000 done, 2 failed", rewritten in place; the last one is cleared.
    void ShowProgress(std::ostream& report, std::chrono::steady_clock::time_point& last, bool final) {
        const auto now = std::chrono::steady_clock::now();
        if (!final && now - last < std::chrono::milliseconds(100)) return;
        last = now;
        std::string line = std::to_string(FSummary.merged + FSummary.failed);
        if (FOptions.total > 0) line += " of " + std::to_string(FOptions.total);
        line += " done, " + std::to_string(FSummary.failed) + " failed";
        if (final) line.clear();
        report << '\r' << line;
        if (line.size() < FShown) report << std::string(FShown - line.size(), ' ') << '\r' << line;
        report.flush();
        FShown = line.size();
    }

    const std::string& FTemplate;
    const TBatchOptions& FOptions;
    std::mutex FMutex;
    std::condition_variable FWorkWake, FCallerWake;
    std::deque<TBatchItem> FWork;
    std::deque<TDone> FDone;
    bool FClosed = false;
    std::unordered_set<std::string> FNames; // names given out, unless they are unique anyway
    TBatchSummary FSummary;
    size_t FShown = 0;
};

} // namespace

TBatchSummary RunBatchMerge(const std::string& templateText, const TBatchSource& source, const TBatchOptions& options,
                            std::ostream& report) {
    return TBatch(templateText, options).Run(source, report);
}

std::string BatchSummaryLine(const TBatchSummary& s) {
    return std::to_string(s.merged) + " merged, " + std::to_string(s.failed) + " failed";
}
