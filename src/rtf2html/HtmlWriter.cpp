#include "rtf2html/HtmlWriter.h"

#include "rtf2html/Formatting.h"
#include "rtf2html/GroupScanner.h"
#include "rtf2html/LineBuffer.h"
#include "rtf2html/RtfToHtml.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

namespace rtf2html {

namespace {

constexpr size_t npos = std::string::npos;
constexpr size_t kLineLimit = 100;
// An unwritten buffer that grows past this is kept cleaned, so clean-up stays linear.
constexpr size_t kRawLimit = 512;

constexpr std::string_view kStylePairs[] = {"<B></B>", "<I></I>", "<U></U>",
                                            "</B><B>", "</I><I>", "</U><U>"};
constexpr std::string_view kScriptPairs[] = {"<SUP></SUP>", "<SUB></SUB>", "<S></S>",
                                             "</SUP><SUP>", "</SUB><SUB>", "</S><S>"};
constexpr std::string_view kAlignPairs[] = {"<CENTER></CENTER>", "</CENTER><CENTER>",
                                            "<DIV ALIGN=right></DIV>", "</DIV><DIV ALIGN=right>"};
constexpr std::string_view kListPairs[] = {"<UL></UL>", "</UL><UL>"};
constexpr size_t kLongestFixedPattern = 23;

// Removes every occurrence of `pattern` in one left-to-right sweep; `firstChange`
// is lowered to the first position touched.
bool RemoveAll(std::string& text, std::string_view pattern, size_t& firstChange) {
    size_t hit = text.find(pattern);
    if (hit == npos) return false;
    firstChange = std::min(firstChange, hit);
    size_t write = hit;
    size_t read = hit;
    while (hit != npos) {
        std::copy(text.begin() + long(read), text.begin() + long(hit), text.begin() + long(write));
        write += hit - read;
        read = hit + pattern.size();
        hit = text.find(pattern, read);
    }
    std::copy(text.begin() + long(read), text.end(), text.begin() + long(write));
    text.resize(write + text.size() - read);
    return true;
}

template <size_t N>
bool RemoveEach(std::string& text, const std::string_view (&patterns)[N], size_t& firstChange) {
    bool changed = false;
    for (std::string_view p : patterns) changed |= RemoveAll(text, p, firstChange);
    return changed;
}

void RebuildPatternIndex(TRun& run) {
    run.PatternRank.clear();
    run.PatternLengths.clear();
    const size_t n = run.OptimizePatterns.size();
    for (size_t rank = 0; rank < n; ++rank) {
        const std::string& p = run.OptimizePatterns[n - 1 - rank];
        if (p.empty()) continue;
        run.PatternRank.emplace(std::string_view(p), rank); // keeps the first (newest) rank
        if (std::find(run.PatternLengths.begin(), run.PatternLengths.end(), p.size()) == run.PatternLengths.end())
            run.PatternLengths.push_back(p.size());
    }
    run.PatternIndexStale = false;
}

// The head-first rank, not below `minRank`, of the first pattern that occurs in `text`.
// A pattern registered twice is looked up from its newest copy; the later copy can
// only matter when the sweep of an earlier pattern recreated it, which the
// repeated passes catch as well.
size_t FirstPresentPattern(const TRun& run, std::string_view text, size_t minRank) {
    size_t best = npos;
    for (size_t at = text.find('<'); at != npos; at = text.find('<', at + 1))
        for (size_t len : run.PatternLengths) {
            if (at + len > text.size()) continue;
            const auto hit = run.PatternRank.find(text.substr(at, len));
            if (hit != run.PatternRank.end() && hit->second >= minRank) best = std::min(best, hit->second);
        }
    return best;
}

bool RemoveOptimizePatterns(TRun& run, std::string& text, size_t& firstChange) {
    if (run.OptimizePatterns.empty()) return false;
    if (run.PatternIndexStale) RebuildPatternIndex(run);
    bool changed = false;
    size_t rank = 0;
    for (;;) {
        rank = FirstPresentPattern(run, text, rank);
        if (rank == npos) return changed;
        const std::string& p = run.OptimizePatterns[run.OptimizePatterns.size() - 1 - rank];
        changed |= RemoveAll(text, p, firstChange);
        ++rank;
    }
}

// Clean-up passes until one changes nothing; `firstChange` is the first position
// any pass touched (npos when none did).
std::string CleanupTracked(TRun& run, std::string text, size_t& firstChange) {
    firstChange = npos;
    if (text.find("><") == npos) return text; // every pattern holds "><"
    for (;;) {
        bool changed = false;
        if (run.optimize) {
            changed |= RemoveEach(text, kStylePairs, firstChange);
            changed |= RemoveEach(text, kScriptPairs, firstChange);
            changed |= RemoveEach(text, kAlignPairs, firstChange);
        }
        changed |= RemoveEach(text, kListPairs, firstChange);
        if (run.optimize) changed |= RemoveOptimizePatterns(run, text, firstChange);
        if (!changed) return text;
    }
}

size_t LongestPattern(TRun& run) {
    size_t longest = kLongestFixedPattern;
    if (run.optimize) {
        if (run.PatternIndexStale) RebuildPatternIndex(run);
        for (size_t len : run.PatternLengths) longest = std::max(longest, len);
    }
    return longest;
}

// Whether a pattern (each holds "><", none is longer than `longest`) may occur in
// clean + text other than inside clean, which holds none.
bool MayMatchAcross(std::string_view clean, std::string_view text, size_t longest) {
    const size_t from = clean.size() + 1 > longest ? clean.size() + 1 - longest : 0;
    return clean.find("><", from) != npos || (!clean.empty() && clean.back() == '>' && text.front() == '<') ||
           text.find("><") != npos;
}

// Clean-up of clean + text without rescanning all of clean: only a window at its
// end takes part, widened until no removal reaches the window's start.
// `firstChange` is the first index of the result that may differ from `clean`.
std::string CleanAppended(TRun& run, std::string& clean, std::string_view text, size_t& firstChange,
                          bool& changed) {
    const size_t longest = LongestPattern(run);
    if (!MayMatchAcross(clean, text, longest)) {
        changed = false;
        firstChange = clean.size();
        clean.append(text);
        return std::move(clean);
    }
    size_t window = std::max<size_t>(128, 2 * longest);
    for (;;) {
        const size_t keep = clean.size() > window ? clean.size() - window : 0;
        std::string tail;
        tail.reserve(clean.size() - keep + text.size());
        tail.append(clean, keep).append(text);
        size_t first;
        tail = CleanupTracked(run, std::move(tail), first);
        if (keep == 0 || first == npos || first >= longest) {
            changed = first != npos;
            firstChange = std::min(keep + (first == npos ? clean.size() - keep : first), clean.size());
            if (keep <= 4 * kRawLimit) return clean.substr(0, keep) + tail;
            // Too long to be kept raw anyway: reuse the buffer.
            clean.resize(keep);
            clean.append(tail);
            return std::move(clean);
        }
        window *= 2;
    }
}

// The next cut at or after `from`: the ">" of the first "<P>", else of the first "<BR>".
// Calls come with growing `from`, so each search resumes where the last one ended.
class TCutFinder {
public:
    explicit TCutFinder(const std::string& work) : FWork(work) {}
    size_t Next(size_t from) {
        if (FParagraph == kUnknown || (FParagraph != npos && FParagraph < from)) FParagraph = FWork.find("<P>", from);
        if (FParagraph != npos) return FParagraph + 2;
        if (FBreak == kUnknown || (FBreak != npos && FBreak < from)) FBreak = FWork.find("<BR>", from);
        return FBreak == npos ? npos : FBreak + 3;
    }

private:
    static constexpr size_t kUnknown = npos - 1;
    const std::string& FWork;
    size_t FParagraph = kUnknown;
    size_t FBreak = kUnknown;
};

bool EndsWritable(std::string_view rest) {
    return rest.size() > kLineLimit && rest.back() == '>' && rest[rest.size() - 2] != 'L' &&
           rest[rest.size() - 2] != 'A';
}

// Text without "<" or ">" takes no part in a clean-up pattern or a cut (each begins
// with "<" and ends with ">"), so the pending text kept as it came, cleaned with such
// text after it, is its cleaned form with the text after it. What EmitHtml would do,
// without cleaning again; false where it does not apply.
bool AppendToUncleaned(TRun& run, std::string_view text) {
    if (run.PendingClean || !run.PendingCleanedKnown || text.find_first_of("<>") != npos) return false;
    std::string& cleaned = run.PendingCleaned;
    cleaned.append(text);
    if (cleaned.size() <= kLineLimit && run.PendingOutput.size() + text.size() <= kRawLimit) {
        run.PendingOutput.append(text);
        return true;
    }
    run.PendingOutput = std::move(cleaned);
    run.PendingClean = true;
    run.PendingCleanedKnown = false;
    return true;
}

} // namespace

std::string ReplaceAllText(std::string_view pattern, std::string_view replacement, std::string_view text) {
    if (pattern.empty()) return std::string(text);
    std::string out;
    size_t from = 0;
    for (size_t hit = text.find(pattern); hit != npos; hit = text.find(pattern, from)) {
        out.append(text.substr(from, hit - from)).append(replacement);
        from = hit + pattern.size();
    }
    out.append(text.substr(from));
    return out;
}

std::string ReplacePairs(const std::vector<std::string>& patterns, const std::vector<std::string>& replacements,
                         std::string text) {
    for (size_t i = 0; i < patterns.size() && i < replacements.size(); ++i)
        text = ReplaceAllText(patterns[i], replacements[i], text);
    return text;
}

void AddOptimizePattern(TRun& run, std::string pattern) {
    run.OptimizePatterns.push_back(std::move(pattern));
    run.PatternIndexStale = true;
    run.PendingClean = false; // a new pattern may occur in what is pending
    run.PendingCleanedKnown = false;
}

std::string CleanupMarkup(TRun& run, std::string text) {
    size_t first;
    return CleanupTracked(run, std::move(text), first);
}

std::string LinkifyUrls(std::string_view line) {
    constexpr std::string_view kScheme = "http://";
    std::string out;
    size_t from = 0;
    for (size_t hit = line.find(kScheme); hit != npos; hit = line.find(kScheme, from)) {
        size_t end = line.find_first_of(" ,<", hit + kScheme.size());
        if (end == npos) end = line.size();
        const std::string_view address = line.substr(hit, end - hit);
        out.append(line.substr(from, hit - from));
        out.append("<A HREF=\"").append(address).append("\">").append(address).append("</A>");
        from = end;
    }
    out.append(line.substr(from));
    return out;
}

void EmitHtml(TRun& run, std::string_view text) {
    if (text.empty() || AppendToUncleaned(run, text)) return;
    std::string& pending = run.PendingOutput;
    const bool wasClean = run.PendingClean;
    std::string work;
    std::string raw; // the pending text with this call's text appended, uncleaned
    size_t searchFrom = 0;
    bool changed;
    if (wasClean) {
        // Every pattern and every cut ends in ">": without one nothing new can match.
        if (text.find('>') == npos) {
            pending.append(text);
            return;
        }
        work = CleanAppended(run, pending, text, searchFrom, changed);
        searchFrom = searchFrom >= 3 ? searchFrom - 3 : 0;
    } else {
        raw = pending;
        raw.append(text);
        size_t first;
        work = CleanupTracked(run, raw, first);
        changed = first != npos;
    }

    TCutFinder cuts(work);
    size_t cut = cuts.Next(searchFrom);
    if (cut == npos && work.size() <= kLineLimit) {
        // Nothing to write yet: keep the text as it came; it is cleaned again next time.
        // (A short result means the window copy above left `pending` untouched.)
        if (changed) {
            if (wasClean) raw = pending + std::string(text);
            if (raw.size() <= kRawLimit) {
                pending = std::move(raw);
                run.PendingClean = false;
                run.PendingCleaned = std::move(work);
                run.PendingCleanedKnown = true;
                return;
            }
        }
        pending = std::move(work);
        run.PendingClean = true;
        return;
    }
    size_t off = 0;
    while (cut != npos) {
        run.Output.WriteLine(LinkifyUrls(std::string_view(work).substr(off, cut + 1 - off)));
        off = cut + 1;
        cut = cuts.Next(off);
    }
    work.erase(0, off);
    pending = std::move(work);
    run.PendingClean = true;
    if (EndsWritable(pending)) {
        run.Output.WriteLine(LinkifyUrls(pending));
        pending.clear();
    }
}

void CloseOpenLists(TRun& run) {
    std::string closing;
    if (run.InBulletList && !run.PendingListItem) closing += "</LI>";
    for (; run.ListDepth > 0; --run.ListDepth) closing += "</UL>";
    EmitHtml(run, closing);
}

// The title is a file name: escaped as body text is, so no name can add markup.
std::string EscapeTitle(std::string_view title) {
    std::string out;
    for (const char c : title) {
        if ((static_cast<unsigned char>(c) < 0x20) || c == '\x7f') continue;
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else out += c;
    }
    return out;
}

void WritePageHead(TRun& run, const std::string& title) {
    run.Output.WriteLine("<HTML>");
    run.Output.WriteLine("<HEAD>");
    run.Output.WriteLine("<TITLE>" + EscapeTitle(title) + "</TITLE>");
    run.Output.WriteLine("</HEAD>");
    run.Output.WriteLine(
        "<BODY TEXT=\"#000000\" BGCOLOR=\"#FFFFFF\" LINK=\"#3333FF\" VLINK=\"#999999\" ALINK=\"#FF0000\">");
}

void WritePageEnd(TRun& run, const format& base) {
    std::string closing = CloseAllTags(run);
    if (base.AlignRight) closing += "</DIV>";
    if (base.AlignCenter) closing += "</CENTER>";
    EmitHtml(run, closing);
    CloseOpenLists(run);
    run.Output.WriteLine(run.PendingOutput); // the last text goes out without link detection
    run.PendingOutput.clear();
    run.Output.WriteLine("</BODY>");
    run.Output.WriteLine("</HTML>");
}

namespace {

class TFileSink : public TLineSink {
public:
    explicit TFileSink(const std::string& path) : FPath(path), FFile(std::fopen(path.c_str(), "wb")) {
        if (!FFile) throw EInOutError("Cannot create file " + path + ": " + std::strerror(errno));
        std::setvbuf(FFile, nullptr, _IOFBF, 1 << 16);
    }
    ~TFileSink() override {
        if (FFile) std::fclose(FFile);
    }
    void WriteLine(std::string_view line) override {
        if (std::fwrite(line.data(), 1, line.size(), FFile) != line.size() || std::fwrite("\r\n", 1, 2, FFile) != 2)
            Fail();
    }
    void Flush() {
        if (std::fflush(FFile) != 0) Fail();
    }
    void Close() {
        std::FILE* file = FFile;
        FFile = nullptr;
        if (std::fclose(file) != 0) Fail();
    }

private:
    [[noreturn]] void Fail() { throw EInOutError("Cannot write file " + FPath + ": " + std::strerror(errno)); }

    std::string FPath;
    std::FILE* FFile;
};

const std::string_view kFontSizePairs[] = {"<FONT SIZE=-2></FONT>", "<FONT SIZE=-1></FONT>",
                                           "<FONT SIZE=+0></FONT>", "<FONT SIZE=+1></FONT>",
                                           "<FONT SIZE=+2></FONT>", "<FONT SIZE=+3></FONT>",
                                           "<FONT SIZE=+4></FONT>"};

void ApplyOptions(TRun& run, const std::vector<std::string>& options) {
    for (const std::string& option : options) {
        if (option == "noFonts") run.noFonts = true;
        if (option == "optimize") run.optimize = true;
        if (option == "onlyDefiniteOpt") run.onlyDefiniteOpt = true;
    }
    if (run.optimize)
        for (std::string_view pair : kFontSizePairs) AddOptimizePattern(run, std::string(pair));
}

} // namespace

} // namespace rtf2html

namespace rtf2html {
namespace {

void Convert(TLineInput input, const std::string& title, const std::string& destination,
             const std::vector<std::string>& options, const TCodePages* codePages) {
    TFileSink output(destination);
    TRun run(output);
    run.CodePages = codePages;
    ApplyOptions(run, options);
    WritePageHead(run, title);
    output.Flush();

    format base;
    ResetFormat(base, TResetScope::All);
    std::exception_ptr failure;
    try {
        TLineBuffer buffer(input);
        buffer.ReplaceWithNextLine();
        ParseGroup(run, buffer, base);
    } catch (...) {
        failure = std::current_exception();
    }
    // A failed write outranks the body's error: the page is then not whole.
    WritePageEnd(run, base);
    output.Close();
    if (failure) std::rethrow_exception(failure);
}

} // namespace
} // namespace rtf2html

void RtfToHtmlFile(const std::string& source, const std::string& destination,
                   const std::vector<std::string>& options, const rtf2html::TCodePages* codePages) {
    using namespace rtf2html;
    TLineInput input = TLineInput::FromFile(source);
    // Creating the page would empty the document before it is read.
    if (input.IsSameFile(destination))
        throw EInOutError("Cannot create file " + destination + ": it is the file being converted");
    Convert(std::move(input), source, destination, options, codePages);
}

void RtfToHtmlText(std::string rtf, const std::string& title, const std::string& destination,
                   const std::vector<std::string>& options, const rtf2html::TCodePages* codePages) {
    using namespace rtf2html;
    Convert(TLineInput::FromText(std::move(rtf)), title, destination, options, codePages);
}
