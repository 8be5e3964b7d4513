#include "rtf2html/DocumentTables.h"

#include "rtf2html/ForeignText.h"
#include "rtf2html/Formatting.h"
#include "rtf2html/GroupScanner.h"
#include "rtf2html/HtmlWriter.h"

#include <algorithm>

namespace rtf2html {

namespace {

constexpr size_t npos = std::string::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Index of the "}" that closes the entry starting at `from`, nested groups skipped.
size_t EntryEnd(TLineBuffer& b, size_t from) {
    int depth = 0;
    for (size_t i = from; b.Reach(i); ++i) {
        if (b[i] == '{') ++depth;
        else if (b[i] == '}' && depth-- == 0) return i;
    }
    return b.size();
}

void RegisterFontPatterns(TRun& run, const std::string& name) {
    AddOptimizePattern(run, "<FONT FACE=\"" + name + "\"></FONT>");
    if (!run.onlyDefiniteOpt) AddOptimizePattern(run, "</FONT><FONT FACE=\"" + name + "\">");
}

// Reads one font entry whose "\f" is at `at`; where its name ends.
size_t ReadFontEntry(TRun& run, TLineBuffer& b, size_t at, int& slot) {
    size_t i = at + 2;
    const size_t digits = i;
    while (b.Reach(i) && IsDigit(b[i])) ++i;
    const int32_t number = NumberOr(b.View(digits).substr(0, i - digits), 0);

    std::string name;
    size_t nameEnd = b.FindFirstOf("}{ ", i);
    if (const size_t charset = b.View(i).substr(0, nameEnd - i).find("\\fcharset"); charset != std::string_view::npos) {
        const std::string_view after = b.View(i + charset + 9);
        size_t digits = 0;
        while (digits < after.size() && IsDigit(after[digits])) ++digits;
        SetFontCharset(run, number, NumberOr(after.substr(0, digits), 0));
    }
    if (nameEnd < b.size() && b[nameEnd] != '}') {
        size_t start = nameEnd + 1;
        if (b[nameEnd] == '{') start = std::min(b.FindFirstOf("}", nameEnd) + 1, b.size()); // a panose group
        nameEnd = b.FindFirstOf(";{\\}", start); // or "}" when the entry has no ";"
        name = std::string(b.View(start).substr(0, nameEnd - start));
        if (nameEnd < b.size() && b[nameEnd] == '{' && (b.Reach(nameEnd + 7), b.StartsWith(nameEnd + 1, "\\*\\falt"))) {
            const size_t altStart = nameEnd + 9;
            const size_t altEnd = b.FindFirstOf("}", altStart);
            name = altStart < altEnd ? std::string(b.View(altStart).substr(0, altEnd - altStart)) : std::string();
            nameEnd = std::min(altEnd + 1, b.size());
        }
    }
    if (!run.noFonts && slot < kFontSlots) { // more fonts than slots: the rest are not recorded
        run.FontTable[size_t(slot)] = {name, number};
        if (run.optimize && slot <= 2) RegisterFontPatterns(run, name);
        ++slot;
    }
    return nameEnd;
}

void ReadColorEntry(TRun& run, std::string_view entry) {
    std::string color = ColorFromEntry(entry);
    if (run.optimize) AddOptimizePattern(run, "<FONT COLOR=\"" + color + "\"></FONT>");
    run.ColorTable.push_back(std::move(color));
}

int ComponentAfter(std::string_view entry, std::string_view name) {
    const size_t at = entry.find(name);
    if (at == npos) return 0;
    int value = 0;
    for (size_t i = at + name.size(); i < entry.size() && IsDigit(entry[i]); ++i)
        value = std::min(255, value * 10 + (entry[i] - '0')); // no two-digit form above 255
    return value;
}

// One style sheet entry, read from just after its number (or its "{").
class TStyleEntry {
public:
    TStyleEntry(TRun& run, int number, bool numbered) : R(run), N(number), FNumbered(numbered) {}

    // Reads up to the entry's closing brace; its index.
    size_t Read(TLineBuffer& b, size_t from) {
        size_t i = from;
        for (; b.Reach(i); ++i) {
            const char c = b[i];
            if (c == '}') break;
            if (c == '{') {
                i = SkipGroup(b, i + 1, true);
                if (i >= b.size()) break;
            } else if (c == ';') {
                EndWord(false);
                FName = FNameText;
                FNameMode = false;
                if (FNumbered) OutlineCheck();
            } else if (c == ' ') {
                if (FNameMode) FNameText += c;
                EndWord(false);
                FNameMode = true;
            } else if (c == '\\' && b.Reach(i + 1) && b[i + 1] == '\'') {
                if (FInWord) {
                    EndWord(true);
                    FNameMode = true;
                }
                if (b.Reach(i + 3)) {
                    const char pair[2] = {b[i + 2], b[i + 3]};
                    FNameText += char(HexValue(std::string_view(pair, 2)));
                }
                i += 3;
            } else if (c == '\\') {
                EndWord(true);
                FCodes += c;
                FInWord = true;
                FNameText.clear();
                FNameMode = false;
            } else {
                if (FInWord) {
                    FCodes += c;
                    FWord += c;
                }
                if (FNameMode) FNameText += c;
            }
        }
        EndWord(false);
        Store();
        return std::min(i, b.size());
    }

private:
    // Ends the current word; a finished "sbasedon" names the base style.
    void EndWord(bool anotherWordFollows) {
        if (FInWord && FNumbered && FWord.compare(0, 8, "sbasedon") == 0) {
            const int32_t base = NumberOr(std::string_view(FWord).substr(8), -1);
            if (base >= 0 && base < kStyleEntries && (base < N || anotherWordFollows)) {
                FBaseCodes = R.StyleTable[size_t(base)].Codes;
            }
        }
        FInWord = false;
        FWord.clear();
    }

    void OutlineCheck() {
        auto lastLevelDigit = [this](size_t from) {
            int level = 0;
            for (size_t i = from; i < FName.size(); ++i)
                if (FName[i] >= '1' && FName[i] <= '9') level = FName[i] - '0';
            return level;
        };
        if (FName.find("toc") != npos) {
            if (const int level = lastLevelDigit(3)) R.TocStyles[size_t(level)] = N;
        } else if (FName.find("heading") != npos) {
            if (const int level = lastLevelDigit(7)) R.HeadingStyles[size_t(level)] = N;
        }
    }

    void Store() {
        if (FCodes.size() > kMaxStyleCodes) FCodes.clear();
        ss& entry = R.StyleTable[size_t(N)];
        entry.Name = FName;
        entry.Codes = MergeStyleCodes(FBaseCodes, FCodes);
    }

    TRun& R;
    const int N;
    const bool FNumbered;
    bool FInWord = false;
    bool FNameMode = false;
    std::string FWord;
    std::string FNameText;
    std::string FName;
    std::string FCodes;
    std::string FBaseCodes;
};

} // namespace

void ParseFontTable(TRun& run, TLineBuffer& b, size_t from) {
    int slot = 0;
    size_t i = from;
    for (bool first = true;; first = false) {
        const size_t slash = b.FindFirstOf("\\}", i);
        if (slash >= b.size() || b[slash] == '}') { // the table ends (or never had an entry)
            b.CutAt(slash);
            return;
        }
        if (!b.Reach(slash + 1) || b[slash + 1] != 'f') {
            // Not a font entry: the scanner reads the rest as ordinary groups.
            b.CutAt(first ? from : i);
            return;
        }
        const bool braced = b.View(i).substr(0, slash - i).find('{') != std::string_view::npos;
        b.CutAt(ReadFontEntry(run, b, slash, slot));
        if (!braced) {
            // Entries without their own group, one after the other ("{\fonttbl\f0 Helvetica;\f1 Courier;}"),
            // as Mac editors write them: the table's "}" ends them.
            if (b.Reach(0) && b[0] == ';') b.CutAt(1);
            i = 0;
            continue;
        }
        const size_t close = EntryEnd(b, 0);
        if (b.Reach(close + 1) && b[close + 1] == '}') {
            b.CutAt(close + 1);
            return;
        }
        const size_t next = b.FindFirstOf("{}", close + 1);
        if (next >= b.size() || b[next] == '}') {
            b.CutAt(next);
            return;
        }
        b.CutAt(next);
        i = 0;
    }
}

void ParseColorTable(TRun& run, TLineBuffer& b, size_t from) {
    size_t i = from;
    if (b.Reach(i) && b[i] == ' ') ++i; // "\colortbl ;" declares the automatic colour too
    if (b.Reach(i) && b[i] == ';') { // the automatic colour, declared by an empty first entry
        ReadColorEntry(run, "");
        ++i;
    }
    for (;;) {
        const size_t slash = b.FindFirstOf("\\}", i);
        if (slash >= b.size() || b[slash] == '}') {
            b.CutAt(slash);
            return;
        }
        const size_t semicolon = b.FindFirstOf(";}", slash);
        if (semicolon >= b.size() || b[semicolon] == '}') { // an entry without ";" ends the table
            b.CutAt(semicolon);
            return;
        }
        ReadColorEntry(run, b.View(slash).substr(0, semicolon - slash));
        b.CutAt(semicolon + 1);
        i = 0;
    }
}

void ParseStyleSheet(TRun& run, TLineBuffer& b, size_t from) {
    size_t i = from;
    for (;;) {
        const size_t open = b.FindFirstOf("{}", i);
        if (open >= b.size() || b[open] == '}') { // the sheet's own closing brace
            b.CutAt(open);
            return;
        }
        b.CutAt(open);
        b.Reach(4);
        size_t close;
        if (b.StartsWith(1, "\\ds") || b.StartsWith(1, "\\*\\")) {
            close = SkipGroup(b, 1, true);
        } else if (b.StartsWith(1, "\\s") && b.size() > 3 && IsDigit(b[3])) {
            size_t end = 3;
            while (b.Reach(end) && IsDigit(b[end])) ++end;
            const int32_t number = NumberOr(b.View(3).substr(0, end - 3), kStyleEntries - 1);
            const int n = number < 0 || number >= kStyleEntries ? kStyleEntries - 1 : number;
            close = TStyleEntry(run, n, true).Read(b, end);
        } else {
            close = TStyleEntry(run, 0, false).Read(b, 1);
        }
        i = close + 1;
    }
}

std::string HexByte(int n) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    n = std::clamp(n, 0, 255);
    return {kDigits[n / 16], kDigits[n % 16]};
}

std::string ColorFromEntry(std::string_view entry) {
    return "#" + HexByte(ComponentAfter(entry, "red")) + HexByte(ComponentAfter(entry, "green")) +
           HexByte(ComponentAfter(entry, "blue"));
}

std::string RemoveParamWord(std::string_view prefix, std::string text) {
    for (size_t at = text.find(prefix); at != npos; at = text.find(prefix)) {
        size_t end = text.find_first_of("\\ ", at + prefix.size());
        if (end == npos) end = text.size();
        text = ReplaceAllText(text.substr(at, end - at), "", text);
    }
    return text;
}

std::string MergeStyleCodes(std::string base, std::string own) {
    for (std::string_view word : {"\\widctlpar", "\\adjustright", "\\nowidctlpar", "\\keepn", "\\cgrid", "\\widctl"})
        own = ReplaceAllText(word, "", own);
    for (std::string_view prefix : {"\\sbasedon", "\\snext", "\\sa", "\\sb", "\\lang", "\\slmult", "\\sl",
                                    "\\outlinelevel", "\\kerning", "\\expndtw", "\\expnd", "\\tx"})
        own = RemoveParamWord(prefix, std::move(own));
    if (!base.empty() && own.find(base) != npos) base.clear();
    auto hasIndent = [](const std::string& codes) {
        return codes.find("\\fi") != npos || codes.find("\\li") != npos;
    };
    if (hasIndent(own) && hasIndent(base)) base = RemoveParamWord("\\li", RemoveParamWord("\\fi", std::move(base)));
    return base + own;
}

} // namespace rtf2html
