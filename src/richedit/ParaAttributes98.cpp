#include "richedit/ParaAttributes98.h"

#include "rtf/ListNumbers.h"
#include "richedit/RichEdit98.h"
#include "rtf/RtfDocumentModel.h"
#include "richedit/TextAttributes98.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

namespace {

// Document units <-> whole twips.
int TwipsOfUnits(double units) { return static_cast<int>(std::nearbyint(units * RtfEngine::kTwipsPerUnit)); }
double UnitsOfPoints(double points) { return Twips::FromPoints(points) / RtfEngine::kTwipsPerUnit; }
double PointsOfUnits(double units) { return Twips::ToPoints(TwipsOfUnits(units)); }

QTextBlock FirstSelectedBlock(const TCustomRichEdit98& owner) {
    return owner.document()->findBlock(owner.textCursor().selectionStart());
}

struct TListStyle {
    int numbering;
    QTextListFormat::Style style;
};
constexpr TListStyle kListStyles[] = {
    {1, QTextListFormat::ListDisc},       {1, QTextListFormat::ListCircle},
    {1, QTextListFormat::ListSquare},     {2, QTextListFormat::ListDecimal},
    {3, QTextListFormat::ListLowerAlpha}, {4, QTextListFormat::ListUpperAlpha},
    {5, QTextListFormat::ListLowerRoman}, {6, QTextListFormat::ListUpperRoman},
};

} // namespace

QTextBlockFormat TParaAttributes98::Current() const { return FirstSelectedBlock(FOwner).blockFormat(); }

template <typename Change>
void TParaAttributes98::ForEachParagraph(Change change) {
    const QTextCursor selection = FOwner.textCursor();
    QTextDocument& document = *FOwner.document();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    const QTextBlock last = document.findBlock(selection.selectionEnd());
    for (QTextBlock block = document.findBlock(selection.selectionStart()); block.isValid(); block = block.next()) {
        cursor.setPosition(block.position());
        QTextBlockFormat format = block.blockFormat();
        change(format);
        cursor.setBlockFormat(format);
        if (block == last) break;
    }
    cursor.endEditBlock();
}

// The first line starts at leftMargin + textIndent; the others at leftMargin.
double TParaAttributes98::FirstIndent() const {
    const QTextBlockFormat format = Current();
    return PointsOfUnits(format.leftMargin() + format.textIndent());
}

void TParaAttributes98::SetFirstIndent(double value) {
    const double start = UnitsOfPoints(value);
    ForEachParagraph([start](QTextBlockFormat& format) {
        const double offset = -format.textIndent();
        format.setLeftMargin(start + offset);
    });
}

double TParaAttributes98::LeftIndent() const { return PointsOfUnits(-Current().textIndent()); }

void TParaAttributes98::SetLeftIndent(double value) {
    const double offset = UnitsOfPoints(value);
    ForEachParagraph([offset](QTextBlockFormat& format) {
        const double start = format.leftMargin() + format.textIndent();
        format.setLeftMargin(start + offset);
        format.setTextIndent(-offset);
    });
}

double TParaAttributes98::RightIndent() const { return PointsOfUnits(Current().rightMargin()); }

void TParaAttributes98::SetRightIndent(double value) {
    const double right = UnitsOfPoints(value);
    ForEachParagraph([right](QTextBlockFormat& format) { format.setRightMargin(right); });
}

int TParaAttributes98::Alignment() const {
    const Qt::Alignment horizontal = Current().alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignJustify) return 3;
    if (horizontal & Qt::AlignHCenter) return 2;
    if (horizontal & Qt::AlignRight) return 1;
    return 0;
}

void TParaAttributes98::SetAlignment(int value) {
    static constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter,
                                                    Qt::AlignJustify};
    if (value < 0 || value > 3) return;
    const Qt::Alignment alignment = kAlignments[value];
    ForEachParagraph([alignment](QTextBlockFormat& format) { format.setAlignment(alignment); });
}

int TParaAttributes98::Numbering() const {
    const QTextList* list = FirstSelectedBlock(FOwner).textList();
    if (!list) return 0;
    for (const TListStyle& entry : kListStyles)
        if (entry.style == RtfEngine::NumberStyleOf(list->format())) return entry.numbering;
    return 1;
}

void TParaAttributes98::SetNumbering(int value) {
    value &= 0xFF;
    QTextCursor cursor = FOwner.textCursor();
    QTextDocument& document = *FOwner.document();
    const QTextBlock first = document.findBlock(cursor.selectionStart());
    const QTextBlock last = document.findBlock(cursor.selectionEnd());
    cursor.beginEditBlock();
    if (value == 0) {
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            if (QTextList* list = block.textList()) {
                list->remove(block);
                QTextCursor at(block);
                QTextBlockFormat format = block.blockFormat();
                format.setIndent(0);
                at.setBlockFormat(format);
            }
            if (block == last) break;
        }
    } else {
        QTextListFormat::Style style = QTextListFormat::ListDisc;
        for (const TListStyle& entry : kListStyles)
            if (entry.numbering == value) {
                style = entry.style;
                break;
            }
        if (QTextList* list = first.textList()) {
            list->setFormat(RtfEngine::ListFormatInStyle(list->format(), style));
        } else {
            cursor.createList(style);
        }
    }
    cursor.endEditBlock();
}
