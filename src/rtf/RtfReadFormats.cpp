// Character and paragraph state, the font and colour tables, borders, and the formats
// made from them.
#include "rtf/RtfParser.h"

#include <algorithm>

namespace RtfEngine::Reading {

namespace {

// Underline kinds; the toolkit draws some of them, all are written back.
const std::string_view kUnderlineWords[] = {"ul", "uldb", "ulth", "uld", "uldash", "uldashd", "uldashdd", "ulwave",
                                       "ulw", "ulhwave", "ululdbwave", "ulthd", "ulthdash", "ulthdashd",
                                       "ulthdashdd", "ulldash", "ulthldash"};

// Paragraph words the editor keeps without showing them.
bool IsKeptParaWord(std::string_view w)
{
    static const std::string_view kWords[] = {"keep", "keepn", "outlinelevel", "widctlpar", "nowidctlpar", "hyphpar",
                                         "noline", "contextualspace", "shading", "cbpat", "cfpat", "box",
                                         "brdrt", "brdrb", "brdrl", "brdrr", "brdrbtw", "brdrbar", "nosnaplinegrid",
                                         "faauto", "aspalpha", "aspnum", "adjustright", "sbauto", "saauto"};
    for (std::string_view word : kWords)
        if (w == word)
            return true;
    return w.substr(0, 2) == "bg"; // shading patterns
}

} // namespace

void RtfParser::OnFontTableWord(std::string_view w, int param)
{
    if (w == "f") {
        FinishFontEntry();
        FCurrentFont = param;
        FFonts[param] = {};
        FTableFonts.push_back(param);
        FMadeFormats.clear(); // formats made so far may name the font this number had
    } else if (FCurrentFont >= 0 && w == "fcharset") {
        FontEntry& font = FFonts[FCurrentFont];
        if (font.codePage == 0) font.codePage = CodePageOfCharset(param);
    } else if (FCurrentFont >= 0 && w == "cpg") {
        FFonts[FCurrentFont].codePage = param;
    } else {
        OnSpecialCharWord(w);
    }
}

// The table's source with the names it gives its numbers, as they are now: a later
// table may give a number another name, but this source is what is written back.
void RtfParser::KeepFontTable(QByteArray source)
{
    RtfKeptParts& kept = FDocument.kept;
    kept.fontTable = std::move(source);
    kept.fontNames.clear();
    for (int index : FTableFonts)
        kept.fontNames.append(QString::number(index) + ';' + FFonts[index].name);
}

void RtfParser::KeepColourTable(QByteArray source)
{
    RtfKeptParts& kept = FDocument.kept;
    kept.colourTable = std::move(source);
    kept.colours.clear();
    for (const QColor& colour : FColours)
        kept.colours.append(colour.isValid() ? colour.name() : QString());
}

void RtfParser::FinishFontEntry()
{
    if (FCurrentFont < 0)
        return;
    QString& name = FFonts[FCurrentFont].name;
    const qsizetype semicolon = name.indexOf(';');
    if (semicolon >= 0)
        name.truncate(semicolon);
    name.removeIf([](QChar c) { return c.unicode() < 0x20; });
    name = name.trimmed();
}

bool RtfParser::OnCharWord(std::string_view w, bool has, int param)
{
    CharState& c = Top().chr;
    const bool on = !has || param != 0;
    if (w == "plain") c = {};
    else if (w == "b") c.bold = on;
    else if (w == "i") c.italic = on;
    else if (w == "ulnone") c.underline = false;
    else if (w.substr(0, 2) == "ul" && w != "ulc") {
        c.underline = on;
        c.underlineKind = 0;
        for (std::size_t i = 0; i < std::size(kUnderlineWords); ++i)
            if (w == kUnderlineWords[i]) c.underlineKind = int(i);
    }
    else if (w == "lang") c.lang = std::max(0, param);
    else if (w == "strike" || w == "striked") c.strike = on;
    else if (w == "v") c.hidden = on;
    else if (w == "scaps") c.smallCaps = on;
    else if (w == "caps") c.allCaps = on;
    else if (w == "f") c.font = param;
    else if (w == "fs") c.halfPoints = has && param > 0 ? std::min(param, 3276) : 24;
    else if (w == "cf") c.foreground = param;
    else if (w == "cb" || w == "highlight" || w == "chcbpat") c.background = param;
    else if (w == "super") c.verticalAlign = on ? 1 : 0;
    else if (w == "sub") c.verticalAlign = on ? 2 : 0;
    else if (w == "nosupersub") c.verticalAlign = 0;
    else if (w == "up") c.verticalAlign = (!has || param > 0) ? 1 : 0;
    else if (w == "dn") c.verticalAlign = (!has || param > 0) ? 2 : 0;
    else if (w == "cs") {} // a character style: its run states its own formatting as well
    else return false;
    return true;
}

bool RtfParser::OnParaWord(std::string_view w, bool has, int param)
{
    ParaState& p = Top().para;
    if (w == "pard") p = {};
    else if (w == "par") FinishParagraph(true);
    else if (w == "page") PageBreak();
    else if (w == "column") FinishParagraph(true);
    else if (w == "ql") p.align = 0;
    else if (w == "qr") p.align = 1;
    else if (w == "qc") p.align = 2;
    else if (w == "qj" || w == "qd") p.align = 3;
    else if (w == "li" || w == "lin") p.left = param;
    else if (w == "ri" || w == "rin") p.right = param;
    else if (w == "fi") p.first = param;
    else if (w == "sb") p.before = param;
    else if (w == "sa") p.after = param;
    else if (w == "sl") p.lineSpacing = param;
    else if (w == "slmult") p.lineMultiple = param != 0;
    else if (w == "tqr") p.pendingTabType = QTextOption::RightTab;
    else if (w == "tqc") p.pendingTabType = QTextOption::CenterTab;
    else if (w == "tqdec") p.pendingTabType = QTextOption::DelimiterTab;
    else if (w == "tldot" || w == "tlhyph" || w == "tlul" || w == "tlth" || w == "tleq" || w == "tlmdot")
        p.pendingLeader = QByteArray(w.data(), qsizetype(w.size()));
    else if (w == "tx" || w == "tb") {
        QTextOption::Tab tab(param, w == "tb" ? QTextOption::LeftTab : p.pendingTabType,
                             p.pendingTabType == QTextOption::DelimiterTab ? QChar('.') : QChar());
        p.tabs.append(tab);
        p.pendingTabType = QTextOption::LeftTab;
        if (!p.pendingLeader.isEmpty())
            p.leaders << param << p.pendingLeader;
        p.pendingLeader.clear();
    }
    else if (w == "intbl") p.itap = std::max(p.itap, 1);
    else if (w == "itap") p.itap = has ? std::clamp(param, 0, kMaxTableDepth) : 1;
    else if (w == "s") p.style = param;
    else if (IsKeptParaWord(w)) {
        p.kept += WordSource(w, has, param);
        if (w == "cbpat") p.shading = param;
        if (w.substr(0, 4) == "brdr" || w == "box") FBorderEdge = BorderEdge::Para;
    }
    else if (w == "pagebb") p.pageBreakBefore = !has || param != 0;
    else if (w == "ls") p.listOverride = param;
    else if (w == "ilvl") p.listLevel = std::clamp(param, 0, 8);
    else return false;
    return true;
}

QColor RtfParser::ColourAt(int index) const
{
    if (index <= 0 || index >= int(FColours.size()))
        return {};
    return FColours[std::size_t(index)];
}

QTextCharFormat RtfParser::CurrentCharFormat()
{
    const Group& g = Top();
    const int font = g.chr.font < 0 ? FDefaultFont : g.chr.font;
    for (const MadeFormat& made : FMadeFormats)
        if (made.font == font && made.chr == g.chr && made.href == g.href && made.fields == g.fields &&
            made.linkSource == g.linkSource)
            return made.format;
    QTextCharFormat f;
    auto found = FFonts.find(font);
    if (found == FFonts.end())
        found = FFonts.find(FDefaultFont);
    if (found != FFonts.end() && !found->second.name.isEmpty()) {
        f.setFontFamilies(QStringList{found->second.name});
    }
    f.setFontPointSize(g.chr.halfPoints / 2.0);
    f.setFontWeight(g.chr.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(g.chr.italic);
    f.setFontUnderline(g.chr.underline);
    if (g.chr.underline && g.chr.underlineKind > 0) {
        const std::string_view w = kUnderlineWords[g.chr.underlineKind];
        f.setProperty(kUnderlineWordProperty, QByteArray(w.data(), qsizetype(w.size())));
        if (w == "uld" || w == "ulthd") f.setUnderlineStyle(QTextCharFormat::DotLine);
        else if (w == "uldash" || w == "ulthdash" || w == "ulldash" || w == "ulthldash") f.setUnderlineStyle(QTextCharFormat::DashUnderline);
        else if (w == "uldashd" || w == "ulthdashd") f.setUnderlineStyle(QTextCharFormat::DashDotLine);
        else if (w == "uldashdd" || w == "ulthdashdd") f.setUnderlineStyle(QTextCharFormat::DashDotDotLine);
        else if (w == "ulwave" || w == "ulhwave" || w == "ululdbwave") f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    }
    if (g.chr.lang > 0) f.setProperty(kLangProperty, g.chr.lang);
    f.setFontStrikeOut(g.chr.strike);
    if (g.chr.smallCaps) f.setFontCapitalization(QFont::SmallCaps);
    else if (g.chr.allCaps) f.setFontCapitalization(QFont::AllUppercase);
    if (QColor fg = ColourAt(g.chr.foreground); fg.isValid()) f.setForeground(fg);
    if (QColor bg = ColourAt(g.chr.background); bg.isValid()) f.setBackground(bg);
    if (g.chr.verticalAlign == 1) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (g.chr.verticalAlign == 2) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (g.chr.hidden) f.setProperty(kHiddenTextProperty, true);
    if (!g.href.isEmpty()) {
        f.setAnchor(true);
        f.setAnchorHref(g.href);
        if (!g.linkSource.isEmpty())
            f.setProperty(kLinkSourceProperty, g.linkSource);
    }
    if (!g.fields.isEmpty())
        f.setProperty(kFieldsProperty, g.fields);
    MadeFormat made{font, g.chr, g.href, g.linkSource, g.fields, f};
    if (FMadeFormats.size() < kMadeFormats)
        FMadeFormats.push_back(std::move(made));
    else
        FMadeFormats[FNextMadeFormat++ % kMadeFormats] = std::move(made);
    return f;
}

QTextBlockFormat RtfParser::MadeBlockFormat(const ParaState& p)
{
    if (!FMadeBlock || !(FMadeBlock->first == p))
        FMadeBlock.emplace(p, BlockFormatOf(p));
    return FMadeBlock->second;
}

QTextBlockFormat RtfParser::BlockFormatOf(const ParaState& p) const
{
    QTextBlockFormat f;
    static const Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
    f.setAlignment(kAlign[p.align]);
    f.setLeftMargin(p.left / kTwipsPerUnit);
    f.setRightMargin(p.right / kTwipsPerUnit);
    f.setTextIndent(p.first / kTwipsPerUnit);
    f.setTopMargin(p.before / kTwipsPerUnit);
    f.setBottomMargin(p.after / kTwipsPerUnit);
    if (!p.tabs.isEmpty()) {
        QList<QTextOption::Tab> tabs = p.tabs;
        for (QTextOption::Tab& tab : tabs)
            tab.position /= kTwipsPerUnit;
        f.setTabPositions(tabs);
    }
    if (p.style >= 0) f.setProperty(kStyleProperty, p.style);
    if (!p.kept.isEmpty()) f.setProperty(kParaKeptProperty, p.kept);
    if (!p.leaders.isEmpty()) f.setProperty(kTabLeadersProperty, p.leaders);
    if (QColor shade = ColourAt(p.shading); shade.isValid()) f.setBackground(shade);
    if (p.lineSpacing > 0 && p.lineMultiple) {
        if (p.lineSpacing != 240)
            f.setLineHeight(p.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    } else if (p.lineSpacing > 0) {
        f.setLineHeight(p.lineSpacing / kTwipsPerUnit, QTextBlockFormat::MinimumHeight);
    } else if (p.lineSpacing < 0) {
        f.setLineHeight(-p.lineSpacing / kTwipsPerUnit, QTextBlockFormat::FixedHeight);
    }
    return f;
}

QByteArray& RtfParser::BorderTarget()
{
    RowDef& def = Top().nestProps ? FNestRowDef : FRowDef;
    switch (FBorderEdge) {
    case BorderEdge::Row: return def.words;
    case BorderEdge::Cell: return def.pending.words;
    default: return Top().para.kept;
    }
}

void RtfParser::OnBorderWord(std::string_view w, bool has, int param)
{
    BorderTarget() += WordSource(w, has, param);
    if (FBorderEdge != BorderEdge::Cell)
        return;
    RtfBorder& b = (Top().nestProps ? FNestRowDef : FRowDef).pending.borders[FCellEdge];
    struct Style { std::string_view word; QTextFrameFormat::BorderStyle style; };
    static const Style kStyles[] = {
        {"brdrs", QTextFrameFormat::BorderStyle_Solid}, {"brdrth", QTextFrameFormat::BorderStyle_Solid},
        {"brdrsh", QTextFrameFormat::BorderStyle_Solid}, {"brdrhair", QTextFrameFormat::BorderStyle_Solid},
        {"brdrdb", QTextFrameFormat::BorderStyle_Double}, {"brdrdot", QTextFrameFormat::BorderStyle_Dotted},
        {"brdrdash", QTextFrameFormat::BorderStyle_Dashed}, {"brdrdashsm", QTextFrameFormat::BorderStyle_Dashed},
        {"brdrdashd", QTextFrameFormat::BorderStyle_DotDash}, {"brdrdashdd", QTextFrameFormat::BorderStyle_DotDotDash},
        {"brdrinset", QTextFrameFormat::BorderStyle_Inset}, {"brdroutset", QTextFrameFormat::BorderStyle_Outset},
        {"brdrengrave", QTextFrameFormat::BorderStyle_Groove}, {"brdremboss", QTextFrameFormat::BorderStyle_Ridge}};
    if (w == "brdrw") {
        b.widthTwips = std::clamp(param, 0, 1000);
    } else if (w == "brdrcf") {
        b.colour = ColourAt(param);
    } else if (w == "brdrnone" || w == "brdrnil" || w == "brdrtbl") {
        b.widthTwips = 0;
    } else {
        for (const Style& s : kStyles)
            if (w == s.word) b.style = s.style;
    }
}

} // namespace RtfEngine::Reading
