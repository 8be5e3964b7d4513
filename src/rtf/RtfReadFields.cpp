// Fields, bookmarks, footnotes and the other parts kept as source.
#include "rtf/RtfParser.h"

#include "rtf/RtfField.h"

namespace RtfEngine::Reading {

namespace {

// The name a bookmark's group gives: its text without its control words, read by the
// same tokenizer as the document.
QByteArray BookmarkNameOf(const QByteArray& source)
{
    RtfTokenizer tokens(std::string_view(source.constData(), std::size_t(source.size())));
    QByteArray name;
    for (RtfToken token = tokens.Next(); token.kind != RtfToken::End; token = tokens.Next()) {
        if (token.kind == RtfToken::Text)
            name.append(token.data.data(), qsizetype(token.data.size()));
        else if (token.kind == RtfToken::HexByte)
            name += char(token.byte);
        else if (token.kind == RtfToken::Symbol && token.symbol != '*' && token.symbol != '\n')
            name += token.symbol;
    }
    return name.trimmed();
}

} // namespace

// Page setup and row words read in the part of a field that is kept as source stay there.
void RtfParser::GiveBackKeptWords(const Field& field)
{
    if (FDocument.kept.format.size() > field.formatAtStart)
        FDocument.kept.format.truncate(field.formatAtStart);
    if (FSectionSource.size() > field.sectionAtStart)
        FSectionSource.truncate(field.sectionAtStart);
    FRowDef = field.rowDefAtStart;
    FNestRowDef = field.nestRowDefAtStart;
}

void RtfParser::BeginKeep(Keep kind)
{
    BeginSkip();
    FKeeping = true;
    FKeepKind = kind;
    FKeepStart = Top().start;
}

void RtfParser::OnKept(Keep kind, QByteArray source)
{
    switch (kind) {
    case Keep::Format: FormatTarget() += source; return;
    case Keep::Stylesheet: FDocument.kept.stylesheet = std::move(source); return;
    case Keep::Info: FDocument.kept.info = std::move(source); return;
    case Keep::Footnote: case Keep::BookmarkStart: case Keep::BookmarkEnd: break;
    }
    QTextCharFormat f = CurrentCharFormat();
    if (kind != Keep::Footnote) {
        FDocument.bookmarks = true;
        f.setProperty(kind == Keep::BookmarkStart ? kBookmarkStartProperty : kBookmarkEndProperty,
                      BookmarkNameOf(source));
        AppendKeptObject(f, source, {});
        return;
    }
    const bool endnote = source.contains("\\ftnalt");
    QString text;
    if (std::exchange(FPendingFootnoteNumber, false)) {
        if (endnote) {
            static const char* const kRoman[] = {"i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix", "x"};
            ++FEndnotes;
            text = FEndnotes <= 10 ? QString(kRoman[FEndnotes - 1]) : QString::number(FEndnotes);
        } else {
            text = QString::number(++FFootnotes);
        }
        f.setProperty(kKeptAutoNumberProperty, true);
    }
    AppendKeptObject(f, source, text);
}

void RtfParser::AppendKeptObject(QTextCharFormat format, const QByteArray& source, const QString& text)
{
    format.setObjectType(kKeptObjectType);
    format.setProperty(kKeptSourceProperty, source);
    format.setProperty(kKeptTextProperty, text);
    FParagraph.runs.push_back({QString(QChar::ObjectReplacementCharacter), format, {}});
    FParagraphHasContent = true;
    ++FContent;
}

// A hyperlink's result is a link; another body field's first result carries the field,
// when it is a group of the field's own (only then is the source before it balanced)
// and nothing of the field was shown before it.
void RtfParser::OnFieldResult(Group& g, std::string_view word)
{
    if (FFields.empty())
        return;
    Field& field = FFields.back();
    const QString href = HyperlinkTarget(field.instruction);
    // Text shown before the result would be written twice: as text and in the source.
    const bool keeps = field.inBody && !field.resultRead && g.dest == Dest::Body &&
                       field.depth + 1 == FGroups.size() && FContent == field.contentAtStart && OpensItsGroup(word);
    const QByteArray source = keeps ? QByteArray(FInput.data() + field.start, qsizetype(g.start - field.start))
                                    : QByteArray();
    if (keeps)
        GiveBackKeptWords(field); // what was read so far goes back with that source
    if (!href.isEmpty()) {
        g.href = href;
        g.linkSource = keeps ? QVariantList{href, source} : QVariantList();
        return;
    }
    if (!keeps)
        return;
    field.resultRead = true;
    g.fields.append(source);
}

} // namespace RtfEngine::Reading
