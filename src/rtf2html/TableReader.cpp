#include "rtf2html/TableReader.h"

#include "rtf2html/ControlWords.h"
#include "rtf2html/Formatting.h"
#include "rtf2html/GroupScanner.h"
#include "rtf2html/HtmlWriter.h"

#include <algorithm>
#include <array>
#include <unordered_set>
#include <utility>
#include <vector>

namespace rtf2html {

namespace {

constexpr size_t npos = std::string::npos;
constexpr size_t kTableEnded = npos;

constexpr std::array<std::string_view, 21> kSkippedInTables = {
    "bkmkstart", "bkmkend", "filetbl", "footer", "footerf", "footnote", "header",
    "headerf", "levelnumbers", "leveltext", "list", "listlevel", "listname",
    "listoverridetable", "listtable", "pict", "pntxtb", "pntxta", "revtbl", "sp", "template"};

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

class TTableReader {
public:
    TTableReader(TRun& run, TLineBuffer& buffer) : R(run), B(buffer) {}

    void Run() {
        R.PendingListItem = false;
        ResetFormat(F, TResetScope::All);
        EmitHtml(R, "<BR><TABLE BORDER=2><TR><TD>");
        F.TableState = FirstCellOpen;
        size_t i = 0;
        for (;;) {
            if (Scan(i)) return;
            if (B.InputAtEnd()) {
                InputEnded();
                return;
            }
            if (FLookAhead) {
                i = B.size();
                B.AppendNextLine();
            } else {
                B.ReplaceWithNextLine();
                i = 0;
            }
        }
    }

private:
    // Scans from `i` to the end of the buffer; true when the table has ended.
    bool Scan(size_t i) {
        while (i < B.size()) {
            const char c = B[i];
            if (c == '{') {
                PushFormat();
                if (FLookAhead) FLastGroupStart = i;
                ++i;
            } else if (c == '}') {
                PopFormat();
                ++i;
            } else if (c == '\\') {
                i = Backslash(i);
                if (i == kTableEnded) return true;
            } else {
                Out(FormatText(R, std::string_view(&c, 1), F));
                ++i;
            }
        }
        return false;
    }

    // Text goes out at once in the first cell, into CellText otherwise.
    void Out(const std::string& html) {
        if (F.TableState == FirstCellOpen) EmitHtml(R, html);
        else FCellText += html;
    }

    void PushFormat() {
        if (FSaved.size() < kTableGroupDepth) FSaved.push_back(F);
        else ++FOverflow;
    }

    void PopFormat() {
        if (FOverflow > 0) {
            --FOverflow;
        } else if (!FSaved.empty()) { // a "}" of a group opened before the table changes nothing
            if (FormatsDiffer(FSaved.back(), F)) {
                R.ReopenTags = true;
                CopyFormat(F, FSaved.back());
            }
            F.UnicodeFallbacks = FSaved.back().UnicodeFallbacks;
            FSaved.pop_back();
        }
    }

    void DropFormat() {
        if (FOverflow > 0) --FOverflow;
        else if (!FSaved.empty()) FSaved.pop_back();
    }

    size_t Backslash(size_t at) {
        const size_t i = at + 1;
        if (i >= B.size()) return i;
        const char c = B[i];
        if (const std::string_view symbol = SymbolText(c); !symbol.empty()) {
            if (!F.Hidden) Out(FormatText(R, symbol, F));
            return i + 1;
        }
        switch (c) {
        case '\'': {
            if (!B.Reach(i + 2)) return B.size();
            const char pair[2] = {B[i + 1], B[i + 2]};
            Out(FormatText(R, std::string_view(pair, 2), F));
            return i + 3;
        }
        case '*':
            return StarsAKnownWord(B, i) ? i + 1 : Skip(i, at);
        default:
            if (!IsLower(c)) return i + 1;
            TControlWord cw = ReadControlWord(B, i, FLookAhead);
            return Dispatch(cw.Word, at, cw.Next);
        }
    }

    // Skips the group the scan is in, from `from`; `wordStart` is its control's backslash.
    size_t Skip(size_t from, size_t wordStart) {
        if (!FLookAhead) {
            B.CutAt(from);
            B.CutAt(SkipGroup(B, 0, false));
            return 0;
        }
        const size_t close = SkipGroup(B, from, true);
        if (close >= B.size()) return B.size();
        if (FLastGroupStart != npos) {
            // The whole group leaves the retained text, with the format saved at its "{".
            FRemoved.emplace_back(FLastGroupStart, close + 1);
            FLastGroupStart = npos;
            DropFormat();
            return close + 1;
        }
        FRemoved.emplace_back(wordStart, close);
        return close;
    }

    size_t Dispatch(const std::string& w, size_t wordStart, size_t next) {
        static const std::unordered_set<std::string_view> skipped(kSkippedInTables.begin(), kSkippedInTables.end());
        if (skipped.count(w)) {
            const size_t at = Skip(next, wordStart);
            if (w == "pict") Out(FormatText(R, "&pict;", F));
            return at;
        }
        switch (ClassifyWord(w)) {
        case TWord::Unicode: {
            const TUnicodeRead u = ReadUnicode(R, B, w, next, F);
            if (!u.Text.empty()) Out(FormatText(R, u.Text, F));
            return u.Next;
        }
        case TWord::UnicodeSkip:
            SetUnicodeFallbacks(F, w);
            return next;
        case TWord::AnsiTwin: return PassOverAnsiTwin(B, next);
        default: break;
        }
        if (w == "par" || w == "sect") {
            std::string html = CloseAllTags(R);
            if (F.AlignRight) html += "</DIV>";
            if (F.AlignCenter) html += "</CENTER>";
            html += "<BR>";
            if (F.TableState != RowClosed) Out(html);
            return next;
        }
        if (w == "intbl") {
            EndLookAhead();
            return next;
        }
        if (w == "pard" || (w == "widctlpar" && !B.StartsWith(next, "\\intbl"))) {
            if (F.TableState == RowClosed) {
                if (FLookAhead) {
                    EndTable(wordStart);
                    return kTableEnded;
                }
                next = StartLookAhead(w, wordStart, next);
            }
            if (w == "pard") Out(ControlWordAction(R, w, F));
            return next;
        }
        if (w == "trowd") {
            EndLookAhead();
            if (F.TableState == RowClosed) {
                FCellText.clear();
                EmitHtml(R, "<TR><TD>");
                ResetFormat(F, TResetScope::All);
                F.TableState = FirstCellOpen;
            }
            return next;
        }
        if (w == "row") {
            ResetFormat(F, TResetScope::All);
            FCellText.clear();
            EndLookAhead();
            EmitHtml(R, "</TR>");
            F.TableState = RowClosed;
            return next;
        }
        if (w == "cell") {
            EndLookAhead();
            WriteCell();
            ResetFormat(F, TResetScope::All);
            F.TableState = CellPending;
            FCellText.clear();
            return next;
        }
        Out(ControlWordAction(R, w, F));
        return next;
    }

    void WriteCell() {
        if (F.TableState == CellPending) EmitHtml(R, "<TD>" + FCellText + CloseAllTags(R) + "</TD>");
        else if (F.TableState == RowClosed) EmitHtml(R, "<TR><TD>" + FCellText + CloseAllTags(R) + "</TD>");
        else EmitHtml(R, CloseAllTags(R) + "</TD>");
    }

    // The buffer is kept from this word on, so that the paragraph can be read
    // again as ordinary text if it is not part of the table.
    size_t StartLookAhead(const std::string& w, size_t wordStart, size_t next) {
        FLookAhead = true;
        FLastGroupStart = npos;
        FRemoved.clear();
        FTagDepth = R.TagStack.size();
        if (next == 0) { // the word ended its line, which the next one replaced
            const std::string word = "\\" + w + " ";
            B.Prepend(word);
            return word.size();
        }
        B.CutAt(wordStart);
        return next - wordStart;
    }

    void EndLookAhead() {
        FLookAhead = false;
        FLastGroupStart = npos;
        FRemoved.clear();
    }

    // Hands the retained text back, without the groups skipped while looking ahead
    // (all of them before `scanned`), and forgets the tags opened for text that is
    // read again. Only the scanned part is rebuilt, so long lines stay linear.
    void ReturnRetainedText(size_t scanned) {
        if (!FRemoved.empty()) {
            std::string kept;
            size_t from = 0;
            for (const auto& [start, end] : FRemoved) {
                kept.append(B.View(from).substr(0, start - from));
                from = end;
            }
            kept.append(B.View(std::min(from, scanned)).substr(0, scanned - std::min(from, scanned)));
            B.CutAt(scanned);
            B.Prepend(kept);
        }
        if (R.TagStack.size() > FTagDepth) R.TagStack.resize(FTagDepth);
        EndLookAhead();
    }

    void EndTable(size_t scanned) {
        F.TableState = OutsideTable;
        EmitHtml(R, "</TABLE><BR>");
        ReturnRetainedText(scanned);
    }

    // The input ended inside the table: close what is open and keep any text
    // that followed the last row.
    void InputEnded() {
        if (F.TableState == RowClosed) {
            if (FLookAhead) {
                EndTable(B.size());
                return;
            }
            EmitHtml(R, "</TABLE><BR>" + FCellText);
        } else {
            std::string html = F.TableState == CellPending && !FCellText.empty()
                                   ? "<TD>" + FCellText + CloseAllTags(R) + "</TD>"
                                   : CloseAllTags(R) + (F.TableState == FirstCellOpen ? "</TD>" : "");
            EmitHtml(R, html + "</TR></TABLE><BR>");
        }
        F.TableState = OutsideTable;
        B.CutAt(B.size());
    }

    TRun& R;
    TLineBuffer& B;
    format F;
    std::string FCellText;
    std::vector<format> FSaved;
    size_t FOverflow = 0;
    bool FLookAhead = false;
    size_t FLastGroupStart = npos;
    size_t FTagDepth = 0;
    std::vector<std::pair<size_t, size_t>> FRemoved; // groups cut out of the retained text
};

} // namespace

void ParseTable(TRun& run, TLineBuffer& buffer) { TTableReader(run, buffer).Run(); }

} // namespace rtf2html
