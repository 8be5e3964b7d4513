#include "rtf2html/GroupScanner.h"

#include "rtf2html/ControlWords.h"
#include "rtf2html/DocumentTables.h"
#include "rtf2html/Formatting.h"
#include "rtf2html/HtmlWriter.h"
#include "rtf2html/RtfToHtml.h"
#include "rtf2html/TableReader.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace rtf2html {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

constexpr std::array<std::string_view, 8> kNumberTypes = {"pndec", "pncard", "pnucltr", "pnucrm",
                                                         "pnlcltr", "pnlcrm", "pnord", "pnordt"};

template <size_t N>
bool IsOneOf(std::string_view word, const std::array<std::string_view, N>& words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// Passes over `count` raw bytes from `at`; a line change counts as one.
size_t PassOverBytes(TLineBuffer& buffer, size_t at, int64_t count, bool retain) {
    while (count > 0) {
        if (at < buffer.size()) {
            const int64_t take = std::min<int64_t>(count, int64_t(buffer.size() - at));
            at += size_t(take);
            count -= take;
            continue;
        }
        if (buffer.InputAtEnd()) return buffer.size();
        if (retain) {
            buffer.AppendNextLine();
        } else {
            buffer.ReplaceWithNextLine();
            at = 0;
        }
        --count;
    }
    return at;
}

// A style's codes as they are put into the text: its own style words are left
// out, so that styles naming each other cannot splice without end.
std::string SpliceableCodes(std::string_view codes) {
    std::string out;
    size_t i = 0;
    while (i < codes.size()) {
        const size_t next = codes.find('\\', i + 1);
        const std::string_view word = codes.substr(i, next == std::string_view::npos ? next : next - i);
        if (!(word.size() > 2 && word[0] == '\\' && word[1] == 's' && IsDigit(word[2]))) out.append(word);
        i = next == std::string_view::npos ? codes.size() : next;
    }
    return out;
}

class TScanner {
public:
    TScanner(TRun& run, TLineBuffer& buffer, format& fmt) : R(run), B(buffer), F(fmt) {}

    // One pass over the buffer; false when a "}" closed no group.
    bool Pass() {
        size_t i = 0;
        while (i < B.size()) {
            const char c = B[i];
            if (c == '{') {
                OpenGroup(i);
                i = 0;
            } else if (c == '}') {
                if (!CloseGroup(i)) return false;
                i = 0;
            } else if (c == '\\') {
                i = Backslash(i);
            } else {
                Text(c);
                i = MoreText(i + 1);
            }
        }
        return true;
    }

private:
    void Emit(std::string_view html) { EmitHtml(R, html); }
    void EmitText(std::string_view text) { Emit(FormatText(R, text, F)); }

    void CloseTocLink() {
        if (R.TocLinkOpen) {
            Emit("</A>");
            R.TocLinkOpen = false;
        }
    }

    void OpenGroup(size_t at) {
        B.CutAt(at + 1);
        CloseTocLink();
        if (FSaved.size() >= kMaxGroupDepth)
            throw EStructureError("RTF groups are nested more than " + std::to_string(kMaxGroupDepth) +
                                  " levels deep");
        FSaved.push_back(F);
    }

    bool CloseGroup(size_t at) {
        B.CutAt(at + 1);
        CloseTocLink();
        if (FSaved.empty()) return false;
        const format& outer = FSaved.back();
        if (FormatsDiffer(F, outer)) {
            Emit(CloseAllTags(R));
            R.ReopenTags = true;
            CopyFormat(F, outer);
        }
        F.UnicodeFallbacks = outer.UnicodeFallbacks; // "\ucN" holds for its group
        FSaved.pop_back();
        return true;
    }

    void Text(char c) {
        if (R.PendingListItem) {
            Emit("<LI type=disc>");
            R.PendingListItem = false;
        }
        if (R.NumberedBody && R.ParagraphStart && !R.NextNumberText.empty()) {
            EmitText("&&" + R.NextNumberText);
            R.NextNumberText.clear();
        }
        EmitText(std::string_view(&c, 1));
    }

    // The characters after one of text, up to the next brace or backslash, where
    // they go straight to the output; where scanning goes on.
    size_t MoreText(size_t from) {
        if (R.PendingListItem || !TextGoesStraightOut(R)) return from;
        const std::string_view rest = B.View(from);
        const size_t end = std::min(rest.find_first_of("{}\\"), rest.size());
        AppendPlainCharacters(R, rest.substr(0, end), F);
        return from + end;
    }

    size_t Backslash(size_t at) {
        const size_t i = at + 1;
        if (i >= B.size()) return i; // a line-end backslash: a symbol without action
        const char c = B[i];
        if (const std::string_view symbol = SymbolText(c); !symbol.empty()) {
            if (!F.Hidden) EmitText(symbol);
            return i + 1;
        }
        switch (c) {
        case '\'': {
            if (!B.Reach(i + 2)) return B.size(); // an escape cut off by the end of input
            const char pair[2] = {B[i + 1], B[i + 2]};
            EmitText(std::string_view(pair, 2));
            return i + 3;
        }
        case '*':
            return Starred(i);
        default:
            return IsLower(c) ? ControlWord(i) : i + 1;
        }
    }

    size_t Starred(size_t star) {
        if (B.StartsWith(star + 1, "\\pn") && star + 4 < B.size() && (B[star + 4] == ' ' || B[star + 4] == '\\')) {
            NumberingGroup(star + 4);
            return 0;
        }
        if (StarsAKnownWord(B, star)) return star + 1;
        if (B.StartsWith(star + 1, "\\bkmk") && !R.BookmarkBreakDone) {
            Emit("<P>");
            R.BookmarkBreakDone = true;
        }
        Skip(star);
        return 0;
    }

    void Skip(size_t from) {
        B.CutAt(from);
        B.CutAt(SkipGroup(B, 0, false));
    }

    size_t ControlWord(size_t at) {
        const TControlWord cw = ReadControlWord(B, at, false);
        R.EndOfInput = B.InputAtEnd();
        return Dispatch(cw.Word, cw.Next);
    }

    size_t Dispatch(const std::string& word, size_t next) {
        switch (ClassifyWord(word)) {
        case TWord::FontTable:
        case TWord::ColorTable:
        case TWord::StyleSheet:
            DocumentTable(word, next);
            return 0;
        case TWord::Style: return ApplyStyle(word, next);
        case TWord::TableRow:
            Emit(CloseAllTags(R));
            CloseOpenLists(R);
            B.CutAt(next);
            ParseTable(R, B);
            R.EndOfInput = B.InputAtEnd();
            return 0;
        case TWord::Unicode: {
            const TUnicodeRead u = ReadUnicode(R, B, word, next, F);
            if (!u.Text.empty()) EmitText(u.Text);
            return u.Next;
        }
        case TWord::UnicodeSkip:
            SetUnicodeFallbacks(F, word);
            return next;
        case TWord::AnsiTwin: return PassOverAnsiTwin(B, next);
        case TWord::SkippedDestination:
            Skip(next);
            if (word == "pict") EmitText("&pict;");
            return 0;
        default:
            CloseTocLink();
            Emit(ControlWordAction(R, word, F));
            // A link opened by the word's own output (a tab first in a contents line) ends with it.
            CloseTocLink();
            return next;
        }
    }

    void DocumentTable(const std::string& word, size_t next) {
        if (word == "fonttbl") ParseFontTable(R, B, next);
        else if (word == "colortbl") ParseColorTable(R, B, next);
        else ParseStyleSheet(R, B, next);
        R.EndOfInput = B.InputAtEnd();
    }

    size_t ApplyStyle(const std::string& word, size_t next) {
        const int32_t n = NumberOr(std::string_view(word).substr(1), 0);
        for (int level = 1; level <= kOutlineLevels; ++level) {
            if (R.TocStyles[size_t(level)] == n) {
                if (R.HeadingStyles[size_t(level)] >= 0) {
                    R.TocParagraph = R.TocLinkPending = true;
                    R.TocLevel = level;
                }
                break;
            }
            if (R.HeadingStyles[size_t(level)] == n) {
                R.HeadingAnchorPending = true;
                R.HeadingLevel = level;
            }
        }
        // A style number beyond the table adds no codes.
        std::string codes = n >= 0 && n < kStyleEntries ? SpliceableCodes(R.StyleTable[size_t(n)].Codes) : "";
        B.CutAt(next);
        R.SplicedBytes += codes.size();
        if (R.SplicedBytes > kSpliceAllowance + kSplicePerInputByte * B.InputBytesRead()) codes.clear();
        if (!codes.empty()) {
            codes += ' '; // ends the codes' last word, so following text stays text
            B.Prepend(codes);
        }
        return 0;
    }

    // "{\*\pn ...}": bullet levels, numbered paragraphs and their number texts.
    void NumberingGroup(size_t from) {
        R.NumberTextBefore.clear();
        R.NumberTextAfter.clear();
        std::string start;
        int64_t balance = 1;
        size_t i = from;
        for (;;) {
            if (i >= B.size()) {
                if (B.InputAtEnd()) {
                    B.CutAt(B.size());
                    break;
                }
                B.ReplaceWithNextLine();
                i = 0;
                continue;
            }
            const char c = B[i];
            if (c == '{') {
                ++balance;
            } else if (c == '}') {
                if (--balance == 0) {
                    B.CutAt(i); // the closing brace is the main scan's
                    break;
                }
            } else if (c == '\\') {
                if (i + 1 < B.size() && IsLower(B[i + 1])) {
                    size_t end = i + 1;
                    while (end < B.size() && IsWordLetter(B[end])) ++end;
                    i = NumberingWord(std::string(B.View(i + 1).substr(0, end - i - 1)), end, start);
                    continue;
                }
                ++i; // an escaped character is no brace
            }
            ++i;
        }
        R.EndOfInput = B.InputAtEnd();
        if (R.NumberedBody) {
            const std::string text = R.NumberTextBefore + start + R.NumberTextAfter;
            if (!text.empty()) EmitText("&&" + text);
        }
    }

    // Acts on one word of a numbering group; where scanning goes on.
    size_t NumberingWord(const std::string& w, size_t end, std::string& start) {
        const bool level = w.size() == 6 && w.compare(0, 5, "pnlvl") == 0 && IsDigit(w[5]);
        if (w == "pnlvlblt" || (level && w[5] >= '5')) {
            R.NumberedBody = false;
            R.InBulletList = true;
            ++R.ListDepth;
            Emit("<UL><LI type=disc>");
        } else if (w == "pnlvlcont" || w == "pnlvlbody" || (level && w[5] >= '1' && w[5] <= '4')) {
            R.NumberedBody = w == "pnlvlbody";
            R.InBulletList = false;
        } else if (IsOneOf(w, kNumberTypes)) {
            R.NumberTypeSeen = true;
        } else if (w.find("pnstart") != std::string::npos) {
            if (R.NumberTypeSeen && R.NumberedBody) {
                start = w.size() > 7 ? w.substr(7) : std::string();
                R.ParagraphNumber = NumberOr(start, 1);
            }
        } else if ((w == "pntxta" || w == "pntxtb") && R.NumberedBody) {
            size_t from = end;
            if (from < B.size() && B[from] == ' ') ++from;
            const size_t close = B.FindFirstOf("}", from);
            (w == "pntxta" ? R.NumberTextAfter : R.NumberTextBefore).append(B.View(from).substr(0, close - from));
            return close;
        }
        return end;
    }

    TRun& R;
    TLineBuffer& B;
    format& F;
    std::vector<format> FSaved; // the format of each open group, taken at its "{"
};

} // namespace

bool IsWordLetter(char c) { return IsLower(c) || IsDigit(c) || c == '-'; }

std::string_view SymbolText(char c) {
    switch (c) {
    case '\\': return "\\";
    case '{': return "{";
    case '}': return "}";
    case '~': return "&nbsp;";
    case '_': return "-";
    default: return {};
    }
}

bool StarsAKnownWord(const TLineBuffer& buffer, size_t star) {
    const size_t at = star + 2;
    if (!buffer.StartsWith(star + 1, "\\") || at >= buffer.size() || !IsLower(buffer[at])) return false;
    size_t end = at;
    while (end < buffer.size() && IsWordLetter(buffer[end])) ++end;
    return end < buffer.size() && KnownWhenStarred(buffer.View(at).substr(0, end - at));
}

size_t PassOverAnsiTwin(TLineBuffer& buffer, size_t next) {
    while (buffer.Reach(next) && buffer[next] == ' ') ++next;
    if (!buffer.Reach(next) || buffer[next] != '{') return next;
    return std::min(SkipGroup(buffer, next + 1, true) + 1, buffer.size());
}

void SetUnicodeFallbacks(format& fmt, std::string_view word) {
    fmt.UnicodeFallbacks = std::clamp(NumberOr(word.substr(2), 1), 0, 16);
}

namespace {

// Whether the one fallback character at `next` is the character `unit` itself.
bool FallbackIs(int32_t fallbacks, TLineBuffer& buffer, char32_t unit, size_t next) {
    if (fallbacks != 1 || next >= buffer.size()) return false;
    const char c = buffer[next];
    if (!buffer.StartsWith(next, "\\'")) return c != '\\' && c != '{' && c != '}' && char32_t(uint8_t(c)) == unit;
    if (!buffer.Reach(next + 3) || !std::isxdigit(uint8_t(buffer[next + 2])) || !std::isxdigit(uint8_t(buffer[next + 3])))
        return false;
    return char32_t(HexValue(buffer.View(next + 2).substr(0, 2))) == unit;
}

// Passes over as many fallback characters as "\ucN" said (one unless it said otherwise).
size_t PassOverFallback(int32_t fallbacks, const TLineBuffer& buffer, size_t next) {
    for (int32_t k = 0; k < fallbacks && next < buffer.size(); ++k) {
        if (buffer.StartsWith(next, "\\'")) next = std::min(next + 4, buffer.size());
        else if (buffer[next] != '\\' && buffer[next] != '{' && buffer[next] != '}') ++next;
        else break;
    }
    return next;
}

// The text of one UTF-16 unit: a character reference, a surrogate pair one reference
// (its first half waits for the second).
std::string UnicodeText(TRun& run, char32_t unit) {
    if (unit < 0x80) return unit >= 0x20 ? std::string(1, char(unit)) : std::string();
    if (unit < 256 && !run.WritesReferences && unit >= 0xA0) {
        const char hex[] = "0123456789abcdef";
        return {hex[unit >> 4], hex[unit & 15]}; // the 1252 byte of the same character
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        run.HighSurrogate = unit;
        return {};
    }
    char32_t u = unit;
    if (unit >= 0xDC00 && unit <= 0xDFFF)
        u = run.HighSurrogate ? 0x10000 + ((run.HighSurrogate - 0xD800) << 10) + (unit - 0xDC00) : 0xFFFD;
    run.HighSurrogate = 0;
    return u != 0 ? "&&&#" + std::to_string(uint32_t(u)) + ";" : std::string();
}

} // namespace

TUnicodeRead ReadUnicode(TRun& run, TLineBuffer& buffer, std::string_view word, size_t next, const format& fmt) {
    const int32_t n = NumberOr(word.substr(1), 0);
    const char32_t unit = char32_t(n < 0 ? n + 65536 : n) & 0xFFFF;
    // Below 256 the fallback is usually that very character, and it is then written as
    // it always was; a writer may put "?" there instead.
    if (unit < 256 && !run.WritesReferences && FallbackIs(fmt.UnicodeFallbacks, buffer, unit, next)) return {{}, next};
    std::string text = UnicodeText(run, unit);
    return {std::move(text), PassOverFallback(fmt.UnicodeFallbacks, buffer, next)};
}

TControlWord ReadControlWord(TLineBuffer& buffer, size_t at, bool append) {
    size_t end = at;
    // The newer format's math words hold capitals before their number ("\\mmathFont34");
    // after any other word a capital is text ("\\rowE").
    const bool mathWord = at < buffer.size() && buffer[at] == 'm';
    while (end < buffer.size() && (IsLower(buffer[end]) || (mathWord && buffer[end] >= 'A' && buffer[end] <= 'Z'))) ++end;
    while (end < buffer.size() && IsWordLetter(buffer[end])) ++end;
    TControlWord cw{std::string(buffer.View(at).substr(0, end - at)), end};
    if (end < buffer.size()) {
        if (buffer[end] == ' ') ++cw.Next;
        return cw;
    }
    // The word ends the line. On the last line nothing follows: the scan ends.
    if (append) {
        buffer.AppendNextLine();
    } else if (buffer.InputAtEnd()) {
        buffer.CutAt(buffer.size());
        cw.Next = 0;
    } else {
        buffer.ReplaceWithNextLine();
        cw.Next = 0;
    }
    return cw;
}

size_t SkipGroup(TLineBuffer& buffer, size_t from, bool retain) {
    int64_t balance = 0;
    size_t i = from;
    for (;;) {
        if (i >= buffer.size()) {
            if (buffer.InputAtEnd()) return buffer.size();
            if (retain) {
                buffer.AppendNextLine();
            } else {
                buffer.ReplaceWithNextLine();
                i = 0;
            }
            continue;
        }
        const char c = buffer[i];
        if (c == '{') {
            ++balance;
        } else if (c == '}') {
            if (--balance < 0) return i;
        } else if (c == '\\') {
            if (buffer.StartsWith(i + 1, "bin") && i + 4 < buffer.size() && IsDigit(buffer[i + 4])) {
                size_t end = i + 4;
                while (end < buffer.size() && IsDigit(buffer[end])) ++end;
                const int32_t count = NumberOr(buffer.View(i + 4).substr(0, end - i - 4), 0);
                if (end < buffer.size() && buffer[end] == ' ') ++end;
                i = PassOverBytes(buffer, end, count, retain);
                continue;
            }
            // Escaped braces and backslashes do not count.
            if (i + 1 < buffer.size()) ++i;
        }
        ++i;
    }
}

void ParseGroup(TRun& run, TLineBuffer& buffer, format& fmt) {
    TScanner scanner(run, buffer, fmt);
    for (;;) {
        run.EndOfInput = buffer.InputAtEnd();
        if (!scanner.Pass()) return;
        // Groups still open at the end of input simply end with it.
        if (buffer.InputAtEnd()) {
            run.EndOfInput = true;
            return;
        }
        buffer.ReplaceWithNextLine();
    }
}

} // namespace rtf2html
