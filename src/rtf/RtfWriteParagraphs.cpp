// Paragraph properties and paragraphs.
#include "rtf/RtfWriting.h"

namespace RtfEngine::Writing {

ParaProps Writer::ParaPropsOf(const QTextBlock& block, int depth) const
{
    ParaProps s;
    if (FOptions.plain)
        return s;
    const QTextBlockFormat f = block.blockFormat();
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    s.align = (a & Qt::AlignJustify) ? 3 : (a & Qt::AlignHCenter) ? 2
            : (a & (Qt::AlignRight | Qt::AlignTrailing)) && !(a & Qt::AlignLeft) ? 1 : 0;
    const QTextList* list = block.textList();
    s.left = Twips(f.leftMargin() + (list ? 0 : f.indent() * FDoc.indentWidth()));
    s.right = Twips(f.rightMargin());
    s.first = Twips(f.textIndent());
    s.before = Twips(f.topMargin());
    s.after = Twips(f.bottomMargin());
    switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        s.lineSpacing = int(std::lround(f.lineHeight() * 240.0 / 100.0));
        s.lineMultiple = true;
        break;
    case QTextBlockFormat::MinimumHeight: s.lineSpacing = Twips(f.lineHeight()); break;
    case QTextBlockFormat::FixedHeight: s.lineSpacing = -Twips(f.lineHeight()); break;
    default: break;
    }
    for (const QTextOption::Tab& tab : f.tabPositions())
        s.tabs.push_back({Twips(tab.position), int(tab.type)});
    s.leaders = f.property(kTabLeadersProperty).toList();
    s.depth = depth;
    s.style = f.hasProperty(kStyleProperty) ? f.intProperty(kStyleProperty) : -1;
    s.kept = f.property(kParaKeptProperty).toByteArray();
    if (int kept = KeptListOf(block)) {
        s.keptList = kept;
        s.level = std::clamp(f.intProperty(kListLevelProperty), 0, 8);
    } else if (list) {
        auto found = FListIds.find(list);
        if (found != FListIds.end()) {
            s.list = found->second;
            s.level = std::clamp(list->format().indent() - 1, 0, 8);
        }
    }
    return s;
}

void Writer::WriteParaProps(const ParaProps& s, const QTextList* list)
{
    if (s == FPara)
        return;
    FPara = s;
    FOut += "\\pard";
    if (s.style >= 0) FOut += "\\s" + Number(s.style);
    if (s.depth > 0) FOut += "\\intbl";
    if (s.depth > 1) FOut += "\\itap" + Number(s.depth);
    static const char* const kAlign[] = {"", "\\qr", "\\qc", "\\qj"};
    FOut += s.style >= 0 && s.align == 0 ? "\\ql" : kAlign[s.align];
    if (s.left) FOut += "\\li" + Number(s.left);
    if (s.right) FOut += "\\ri" + Number(s.right);
    if (s.first) FOut += "\\fi" + Number(s.first);
    if (s.before || s.style >= 0) FOut += "\\sb" + Number(s.before);
    if (s.after || s.style >= 0) FOut += "\\sa" + Number(s.after);
    if (s.lineSpacing) FOut += "\\sl" + Number(s.lineSpacing) + "\\slmult" + Number(s.lineMultiple ? 1 : 0);
    for (const TabProps& tab : s.tabs) {
        switch (tab.type) {
        case QTextOption::RightTab: FOut += "\\tqr"; break;
        case QTextOption::CenterTab: FOut += "\\tqc"; break;
        case QTextOption::DelimiterTab: FOut += "\\tqdec"; break;
        default: break;
        }
        for (qsizetype i = 0; i + 1 < s.leaders.size(); i += 2)
            if (s.leaders[i].toInt() == tab.position)
                FOut += "\\" + s.leaders[i + 1].toByteArray();
        FOut += "\\tx" + Number(tab.position);
    }
    FOut += s.kept;
    // The older group first: after the list reference it would replace the list.
    if (s.keptList) {
        if (list)
            WriteNumberingGroup(list->format());
        FOut += "\\ls" + Number(s.keptList) + "\\ilvl" + Number(s.level);
    } else if (s.list) {
        WriteNumberingGroup(FListOrder[std::size_t(s.list - 1)]->format());
        FOut += "\\ls" + Number(FLsBase + s.list) + "\\ilvl" + Number(s.level);
    }
    if (!FOut.endsWith('}'))
        FOut += ' '; // a space after a group would be text
}

void Writer::WriteParagraph(const QTextBlock& block, int depth)
{
    if (!FOptions.plain && (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
        FOut += "\\page ";
    FParagraphProps = ParaPropsOf(block, depth);
    FParagraphList = block.textList();
    WriteParaProps(FParagraphProps, FParagraphList);
    const int blockStart = block.position();
    const QString text = block.text();
    int position = blockStart;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int start = position;
        position += fragment.length();
        const int from = std::max(start, FStart);
        const int to = std::min(position, FEnd);
        if (from >= to)
            continue;
        const FormatInfo& info = InfoOf(fragment);
        if (!FOptions.plain)
            SwitchGroups(info.fields, info.href, info.linkSource);
        if (info.kept) {
            if (FOptions.plain)
                continue;
            WriteCharProps(info.props);
            const QTextCharFormat f = fragment.charFormat();
            for (int i = from; i < to; ++i) {
                if (FDroppedAnchors.count(i))
                    continue;
                if (f.boolProperty(kKeptAutoNumberProperty))
                    FOut += "\\chftn";
                FOut += f.property(kKeptSourceProperty).toByteArray();
            }
            continue;
        }
        if (info.image) {
            if (FOptions.includeObjects && !FOptions.plain)
                for (int i = from; i < to; ++i)
                    WritePicture(fragment.charFormat().toImageFormat());
            continue;
        }
        WriteCharProps(info.props);
        AppendText(QStringView(text).mid(from - blockStart, to - from));
    }
    CloseLink();
    CloseFieldsTo(CommonLength(FOpenFields, depth == 0 ? FieldsGoingOn(block) : QVariantList()));
}

} // namespace RtfEngine::Writing
