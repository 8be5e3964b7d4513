#include "print/PaperLengths.h"

#include "richedit/KeptDecorations.h"
#include "rtf/ListNumbers.h"
#include "rtf/RtfEngine.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace Print {
namespace {

// Scales the given real-valued properties that `format` holds; true when any was there.
bool ScaleReals(QTextFormat& format, std::initializer_list<int> properties, qreal factor) {
    bool any = false;
    for (const int property : properties) {
        if (!format.hasProperty(property) || format.doubleProperty(property) == 0) continue;
        format.setProperty(property, format.doubleProperty(property) * factor);
        any = true;
    }
    return any;
}

bool ScaleCharacters(QTextCharFormat& format, qreal factor) {
    bool any = ScaleReals(format, {QTextFormat::FontWordSpacing}, factor);
    if (format.hasProperty(QTextFormat::FontPixelSize)) {
        format.setProperty(QTextFormat::FontPixelSize,
                           std::max(1, int(std::lround(format.intProperty(QTextFormat::FontPixelSize) * factor))));
        any = true;
    }
    return any;
}

struct TBlockChange {
    int position;
    QTextBlockFormat format;
};
struct TCharChange {
    int start, end;
    QTextCharFormat format;
};

} // namespace

void ScaleLengths(QTextDocument& document, qreal factor) {
    // Changes are gathered first: applying them splits and merges fragments.
    std::vector<TBlockChange> blocks;
    std::vector<TCharChange> characters;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (ScaleReals(format, {QTextFormat::BlockLeftMargin, QTextFormat::BlockRightMargin, QTextFormat::TextIndent},
                       factor))
            blocks.push_back({block.position(), format});
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat characterFormat = fragment.charFormat();
            if (fragment.isValid() && ScaleCharacters(characterFormat, factor))
                characters.push_back({fragment.position(), fragment.position() + fragment.length(), characterFormat});
        }
    }
    QTextCursor cursor(&document);
    for (const TBlockChange& change : blocks) {
        cursor.setPosition(change.position);
        cursor.setBlockFormat(change.format);
    }
    for (const TCharChange& change : characters) {
        cursor.setPosition(change.start);
        cursor.setPosition(change.end, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
    QFont font = document.defaultFont();
    if (font.pixelSize() > 0) {
        font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
        document.setDefaultFont(font);
    }
}

namespace {

void KeepSpaceAroundTablesIn(QTextFrame& frame) {
    QTextBlock previous;       // the paragraph just before, if the last thing seen was one
    QTextTable* last = nullptr; // the table just before, if the last thing seen was one
    for (auto it = frame.begin(); !it.atEnd(); ++it) {
        if (QTextFrame* child = it.currentFrame()) {
            KeepSpaceAroundTablesIn(*child);
            last = qobject_cast<QTextTable*>(child);
            if (last && previous.isValid() && previous.blockFormat().bottomMargin() > 0) {
                QTextTableFormat format = last->format();
                format.setTopMargin(format.topMargin() + previous.blockFormat().bottomMargin());
                last->setFormat(format);
            }
            previous = QTextBlock();
        } else if (const QTextBlock block = it.currentBlock(); block.isValid()) {
            if (last && block.blockFormat().topMargin() > 0) {
                QTextTableFormat format = last->format();
                format.setBottomMargin(format.bottomMargin() + block.blockFormat().topMargin());
                last->setFormat(format);
            }
            previous = block;
            last = nullptr;
        }
    }
}

} // namespace

void KeepSpaceAroundTables(QTextDocument& document) { KeepSpaceAroundTablesIn(*document.rootFrame()); }

void DropListIndents(QTextDocument& document) {
    std::vector<QTextList*> lists;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (QTextList* list = block.textList(); list && list->format().indent() != 0 &&
                                                 std::find(lists.begin(), lists.end(), list) == lists.end())
            lists.push_back(list);
    for (QTextList* list : lists) {
        QTextListFormat format = list->format();
        format.setIndent(0);
        list->setFormat(format);
    }
}

namespace {

// The width of the number (or bullet) and the space the layout puts before a list paragraph.
qreal MarkerWidth(const QTextBlock& block) {
    QString marker = RtfEngine::ListMarkerOf(block);
    if (marker.isEmpty()) marker = QStringLiteral("\u2022");
    const QFontMetricsF metrics(block.charFormat().font());
    return metrics.horizontalAdvance(marker + QLatin1Char(' '));
}

} // namespace

void HangListTexts(QTextDocument& document) {
    std::vector<int> hung;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const qreal hanging = -block.blockFormat().textIndent();
        if (block.textList() && hanging > 0 && MarkerWidth(block) <= hanging) hung.push_back(block.position());
    }
    QTextCursor cursor(&document);
    QTextBlockFormat atIndent;
    atIndent.setTextIndent(0);
    for (const int position : hung) {
        cursor.setPosition(position);
        cursor.mergeBlockFormat(atIndent);
    }
}

namespace {

QByteArray KeptWordsOf(const QTextBlock& block) {
    return block.isValid() ? block.blockFormat().property(RtfEngine::kParaKeptProperty).toByteArray() : QByteArray();
}

} // namespace

void MakeRoomForBorders(QTextDocument& document) {
    std::vector<TBlockChange> changes;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QByteArray words = KeptWordsOf(block);
        const auto [above, below] = RtfEngine::BorderRoomTwips(words);
        if (above == 0 && below == 0) continue;
        const QTextBlockFormat format = block.blockFormat();
        QTextBlockFormat room;
        if (above > 0 && KeptWordsOf(block.previous()) != words)
            room.setTopMargin(format.topMargin() + above / RtfEngine::kTwipsPerUnit);
        if (below > 0 && KeptWordsOf(block.next()) != words)
            room.setBottomMargin(format.bottomMargin() + below / RtfEngine::kTwipsPerUnit);
        changes.push_back({block.position(), room});
    }
    QTextCursor cursor(&document);
    for (const TBlockChange& change : changes) {
        cursor.setPosition(change.position);
        cursor.mergeBlockFormat(change.format);
    }
}

void AddSpaceBetweenParagraphs(QTextDocument& document, const std::function<bool(const QTextBlock&)>& startsPage) {
    // Only paragraphs one after the other in the document's own flow: the blocks of a
    // table's cells are not neighbours of each other across cells.
    std::vector<TBlockChange> changes;
    std::vector<QTextBlock> flow;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it)
        flow.push_back(it.currentBlock()); // an invalid block stands for a table or frame
    for (std::size_t i = 0; i < flow.size(); ++i) {
        const QTextBlock& block = flow[i];
        const qreal before = block.isValid() ? block.blockFormat().topMargin() : 0;
        if (before <= 0) continue;
        if (block.position() == 0) {
            QTextFrameFormat root = document.rootFrame()->frameFormat();
            root.setTopMargin(root.topMargin() + before);
            document.rootFrame()->setFrameFormat(root);
            continue;
        }
        if (i == 0 || !flow[i - 1].isValid() || startsPage(block)) continue; // after a table: the table has it
        QTextBlockFormat above, below;
        above.setBottomMargin(flow[i - 1].blockFormat().bottomMargin() + before);
        below.setTopMargin(0);
        changes.push_back({flow[i - 1].position(), above});
        changes.push_back({block.position(), below});
    }
    QTextCursor cursor(&document);
    for (const TBlockChange& change : changes) {
        cursor.setPosition(change.position);
        cursor.mergeBlockFormat(change.format);
    }
}

} // namespace Print
