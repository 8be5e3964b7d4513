#include "rtf2html/Formatting.h"

#include "rtf2html/ControlWords.h"
#include "rtf2html/HtmlWriter.h"
#include "rtf2html/ForeignText.h"
#include "rtf2html/RtfToHtml.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace rtf2html {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Sets a flag; whether it changed, in which case the tags must be reopened.
void SetAttribute(TRun& run, bool& flag, bool on) {
    if (flag != on) {
        flag = on;
        run.ReopenTags = true;
    }
}

int32_t SaturatingAdd(int32_t a, int32_t b) {
    const int64_t sum = int64_t(a) + b;
    return int32_t(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// NUL and the other control bytes mean nothing in a page and upset its readers.
bool IsControlByte(char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '\x7f'; }

void AppendCharacter(std::string& out, char c, const format& fmt) {
    if (IsControlByte(c)) return;
    switch (c) {
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '&': out += "&amp;"; break;
    default: out += (fmt.Caps && c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    }
}

void AppendHexPair(std::string& out, std::string_view pair, const format& fmt) {
    if (pair == "c4") out += "&Auml;";
    else if (pair == "d6") out += "&Ouml;";
    else if (pair == "dc") out += "&Uuml;";
    else if (pair == "df") out += "&szlig;";
    else if (pair == "b7") out += "&middot;";
    else if (pair == "e4") out += fmt.Caps ? "&Auml;" : "&auml;";
    else if (pair == "f6") out += fmt.Caps ? "&Ouml;" : "&ouml;";
    else if (pair == "fc") out += fmt.Caps ? "&Uuml;" : "&uuml;";
    else if (const char c = char(HexValue(pair)); !IsControlByte(c)) out += c;
}

void AppendToken(std::string& out, std::string_view token) {
    if (token.substr(0, 2) == "&&") out.append(token.substr(2));
    else if (token == "&tab;") out += "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;";
    else if (token == "&quote;") out += "'";
    else if (token == "&dblquote;") out += "\"";
    else if (token == "&emspace;") out += "&nbsp;&nbsp;";
    else if (token == "&enspace;" || token == "&nbsp;") out += "&nbsp;";
    else if (token == "&emdash;") out += "--";
    else if (token == "&endash;") out += "-";
    else if (token == "&pict;") out += "<P>[*** picture ***]<P>";
}

std::string LinkTarget(int32_t level, int32_t count) { return std::to_string(level) + "-" + std::to_string(count); }

std::string ParagraphEnd(TRun& run, const format& fmt) {
    std::string out = CloseAllTags(run);
    if (fmt.AlignRight) out += "</DIV>";
    if (fmt.AlignCenter) out += "</CENTER>";
    run.ReopenTags = true;
    run.TocLinkPending = true;
    run.ParagraphStart = true;
    run.BookmarkBreakDone = false;
    if (run.InBulletList) {
        out += "</LI>";
        run.PendingListItem = true;
        return out;
    }
    out += "<BR>";
    if (run.ParagraphNumber >= 0) {
        run.ParagraphNumber = SaturatingAdd(run.ParagraphNumber, 1);
        run.NextNumberText = run.NumberTextBefore + std::to_string(run.ParagraphNumber) + run.NumberTextAfter;
    }
    return out;
}

std::string ParagraphDefaults(TRun& run, format& fmt) {
    ResetFormat(fmt, TResetScope::Par);
    run.NextNumberText.clear();
    run.TocParagraph = false;
    run.PendingListItem = false;
    run.NumberTypeSeen = false;
    run.NumberedBody = false;
    run.InBulletList = false;
    run.IndentTotal = 0;
    run.FirstIndentPending = true;
    run.ParagraphNumber = -1;
    std::string out;
    for (; run.ListDepth > 0; --run.ListDepth) out += "</UL>";
    return out;
}

// Lists made from the paragraph's indent: one level per 285 twips, at most 21.
std::string LeftIndent(TRun& run, int32_t twips) {
    std::string out;
    if (!run.FirstIndentPending) return out;
    run.IndentTotal = SaturatingAdd(run.IndentTotal, twips);
    run.FirstIndentPending = false;
    while (run.ListDepth < kIndentLevels && run.IndentThresholds[size_t(run.ListDepth)] < run.IndentTotal) {
        out += "<UL>";
        ++run.ListDepth;
    }
    return out;
}

void SetColor(TRun& run, format& fmt, int32_t index) {
    // No entry to give: the colour stays as it is.
    if (run.ColorTable.empty() || index < 0) return;
    const std::string& color = run.ColorTable[std::min(size_t(index), run.ColorTable.size() - 1)];
    if (fmt.Color != color) {
        fmt.Color = color;
        run.ReopenTags = true;
    }
}


} // namespace

bool ReadNumber(std::string_view text, int32_t& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

int32_t NumberOr(std::string_view text, int32_t fallback) {
    int32_t value;
    return ReadNumber(text, value) ? value : fallback;
}

void ResetFormat(format& fmt, TResetScope scope) {
    if (scope != TResetScope::Par) {
        fmt.Hidden = fmt.Caps = fmt.Bold = fmt.Italic = fmt.Underline = false;
        fmt.Superscript = fmt.Subscript = fmt.Strike = false;
        fmt.FontNumber = -1;
        fmt.Color = "none";
        fmt.FontSize = -1;
    }
    if (scope != TResetScope::Text) fmt.AlignRight = fmt.AlignCenter = false;
    if (scope == TResetScope::All) fmt.TableState = OutsideTable;
}

void CopyFormat(format& dest, const format& src) {
    const int32_t state = dest.TableState;
    dest = src;
    dest.TableState = state;
}

bool FormatsDiffer(const format& a, const format& b) {
    return a.Hidden != b.Hidden || a.Caps != b.Caps || a.Bold != b.Bold || a.Italic != b.Italic ||
           a.Underline != b.Underline || a.Superscript != b.Superscript || a.Subscript != b.Subscript ||
           a.Strike != b.Strike || a.FontNumber != b.FontNumber || a.Color != b.Color ||
           a.FontSize != b.FontSize || a.AlignRight != b.AlignRight || a.AlignCenter != b.AlignCenter;
}

void PushTag(TRun& run, std::string open, std::string close) {
    run.TagStack.push_back({std::move(open), std::move(close)});
}

std::string CloseAllTags(TRun& run) {
    std::string out;
    for (auto tag = run.TagStack.rbegin(); tag != run.TagStack.rend(); ++tag) out += tag->Close;
    run.TagStack.clear();
    return out;
}

std::string OpenTags(TRun& run, const format& fmt) {
    std::string out;
    auto open = [&](std::string tag, const char* close) {
        out += tag;
        PushTag(run, std::move(tag), close);
    };
    if (fmt.Bold) open("<B>", "</B>");
    if (fmt.Italic) open("<I>", "</I>");
    if (fmt.Underline) open("<U>", "</U>");
    if (fmt.Subscript) open("<SUB>", "</SUB>");
    if (fmt.Superscript) open("<SUP>", "</SUP>");
    if (fmt.Strike) open("<S>", "</S>");
    if (fmt.Color != "none") open("<FONT COLOR=\"" + fmt.Color + "\">", "</FONT>");
    if (fmt.FontNumber >= 0) open("<FONT FACE=\"" + FontFaceName(run, fmt.FontNumber) + "\">", "</FONT>");
    if (fmt.FontSize >= 0) open(FontSizeTag(fmt.FontSize), "</FONT>");
    return out;
}

std::string FontSizeTag(int32_t points) {
    if (points == 12) return "<FONT SIZE=+0>";
    const char* step = points <= 8 ? "-2" : points <= 11 ? "-1" : points <= 15 ? "+1" : points <= 20 ? "+2"
                     : points <= 28 ? "+3" : "+4";
    return std::string("<FONT SIZE=") + step + ">";
}

const std::string& FontFaceName(const TRun& run, int32_t number) {
    for (const font& slot : run.FontTable)
        if (slot.Number == number) return slot.Name;
    return run.FontTable.back().Name;
}

int HexValue(std::string_view pair) {
    int value = 0;
    for (char c : pair) {
        int digit;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (IsDigit(c)) digit = c - '0';
        else throw EConvertError("'" + std::string(1, c) + "' is not a valid integer value");
        value = value * 16 + digit;
    }
    return value;
}

std::string FormatText(TRun& run, std::string_view text, const format& fmt) {
    std::string out;
    if (run.ReopenTags) out += CloseAllTags(run);
    if (run.ParagraphStart) {
        if (fmt.AlignCenter) out += "<CENTER>";
        else if (fmt.AlignRight) out += "<DIV ALIGN=right>";
    }
    if (run.ReopenTags || run.ParagraphStart) out += OpenTags(run, fmt);
    run.ReopenTags = run.ParagraphStart = false;
    if (run.TocParagraph && run.TocLinkPending) {
        run.TocLinkOpen = true;
        run.TocLinkPending = false;
        int32_t& count = run.TocCounts[size_t(run.TocLevel)];
        count = SaturatingAdd(count, 1);
        out += "<A HREF=\"#" + LinkTarget(run.TocLevel, count) + "\">";
    }
    if (run.HeadingAnchorPending) {
        int32_t& count = run.HeadingCounts[size_t(run.HeadingLevel)];
        count = SaturatingAdd(count, 1);
        out += "<A NAME=\"" + LinkTarget(run.HeadingLevel, count) + "\">";
    }
    if (!fmt.Hidden && !AppendForeignText(run, out, text, fmt)) {
        if (text.size() == 1) AppendCharacter(out, text[0], fmt);
        else if (text.size() == 2) AppendHexPair(out, text, fmt);
        else AppendToken(out, text);
    }
    if (run.HeadingAnchorPending) {
        out += "</A>";
        run.HeadingAnchorPending = false;
    }
    return out;
}

bool TextGoesStraightOut(const TRun& run) {
    // Text of another code page is decoded character by character (ForeignText).
    return !run.WritesReferences && (run.PendingClean || run.PendingCleanedKnown) && !run.ReopenTags && !run.ParagraphStart &&
           !(run.TocParagraph && run.TocLinkPending) && !run.HeadingAnchorPending;
}

void AppendPlainCharacters(TRun& run, std::string_view chars, const format& fmt) {
    if (fmt.Hidden) return;
    // An escaped character holds no "<" or ">", so no clean-up pattern or line cut can
    // end in it: appended at once, it gives what it gives one by one.
    if (run.PendingClean) {
        for (const char c : chars) AppendCharacter(run.PendingOutput, c, fmt);
        return;
    }
    std::string text;
    text.reserve(chars.size());
    for (const char c : chars) AppendCharacter(text, c, fmt);
    EmitHtml(run, text);
}

std::string ControlWordAction(TRun& run, std::string_view w, format& fmt) {
    const int32_t p = NumberOr(w.size() > 2 ? w.substr(2) : std::string_view(), 0);
    auto guarded = [&](std::string_view token) { return fmt.Hidden ? std::string() : FormatText(run, token, fmt); };

    switch (ClassifyWord(w)) {
    case TWord::Plain: {
        std::string out = run.TagStack.empty() ? std::string() : CloseAllTags(run);
        ResetFormat(fmt, TResetScope::Text);
        run.ReopenTags = true;
        return out;
    }
    case TWord::ParagraphDefaults: return ParagraphDefaults(run, fmt);
    case TWord::Hidden: fmt.Hidden = true; break;
    case TWord::HiddenOff: fmt.Hidden = false; break;
    case TWord::Caps: fmt.Caps = true; break;
    case TWord::CapsOff: fmt.Caps = false; break;
    case TWord::Tab: return guarded("&tab;");
    case TWord::Center: fmt.AlignCenter = true; break;
    case TWord::Right: fmt.AlignRight = true; break;
    case TWord::ParagraphEnd: return ParagraphEnd(run, fmt);
    case TWord::Line: return "<BR>";
    case TWord::Page: return "<BR><HR><BR>";
    case TWord::Dash:
    case TWord::Space: return guarded("&" + std::string(w) + ";");
    case TWord::Quote: return guarded("&quote;");
    case TWord::DoubleQuote: return guarded("&dblquote;");
    case TWord::Bold: SetAttribute(run, fmt.Bold, true); break;
    case TWord::BoldOff: SetAttribute(run, fmt.Bold, false); break;
    case TWord::Italic: SetAttribute(run, fmt.Italic, true); break;
    case TWord::ItalicOff: SetAttribute(run, fmt.Italic, false); break;
    case TWord::Underline: SetAttribute(run, fmt.Underline, true); break;
    case TWord::UnderlineOff: SetAttribute(run, fmt.Underline, false); break;
    case TWord::Superscript: SetAttribute(run, fmt.Superscript, true); break;
    case TWord::Subscript: SetAttribute(run, fmt.Subscript, true); break;
    case TWord::NoSuperSub:
        SetAttribute(run, fmt.Superscript, false);
        SetAttribute(run, fmt.Subscript, false);
        break;
    case TWord::Strike: SetAttribute(run, fmt.Strike, true); break;
    case TWord::StrikeOff: SetAttribute(run, fmt.Strike, false); break;
    case TWord::LeftIndent:
        if (fmt.TableState == OutsideTable) return LeftIndent(run, p);
        break;
    case TWord::FirstIndent:
        if (run.FirstIndentPending) run.IndentTotal = SaturatingAdd(run.IndentTotal, p);
        break;
    case TWord::Font:
        if (!run.noFonts) {
            const int32_t number = NumberOr(w.substr(1), 0);
            if (number != fmt.FontNumber) {
                fmt.FontNumber = number;
                run.ReopenTags = true;
            }
        }
        break;
    case TWord::FontSize:
        if (const int32_t points = p / 2; points != fmt.FontSize) {
            fmt.FontSize = points;
            run.ReopenTags = true;
        }
        break;
    case TWord::Color: SetColor(run, fmt, p); break;
    case TWord::DocumentCodePage:
        SetDocumentCodePage(run, w == "mac" ? 10000 : w == "pc" ? 437 : w == "pca" ? 850 : NumberOr(w.substr(7), 0));
        break;
    default: break; // the scanner's own words, and words without an action here
    }
    return {};
}

} // namespace rtf2html
