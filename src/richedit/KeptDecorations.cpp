#include "richedit/KeptDecorations.h"

#include "rtf/ListNumbers.h"
#include "rtf/RtfEngine.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

#include <algorithm>
#include <cctype>
#include <string_view>

namespace RtfEngine {
namespace {

// Layout units per twip on the layout's device (a copy for paper is laid out in finer units).
qreal UnitsPerTwip(const QTextDocument& document)
{
    const QPaintDevice* device = document.documentLayout()->paintDevice();
    return (device ? device->logicalDpiY() / 96.0 : 1.0) / kTwipsPerUnit;
}

QColor InkOf(const QTextCharFormat& format, const QBrush& text)
{
    return format.foreground().style() == Qt::NoBrush ? text.color() : format.foreground().color();
}

// The x range of the characters [from, to) of the block on `line`, in layout coordinates.
bool SpanOnLine(const QTextLine& line, int from, int to, qreal* left, qreal* right)
{
    from = std::max(from, line.textStart());
    to = std::min(to, line.textStart() + line.textLength());
    if (from >= to)
        return false;
    const qreal a = line.cursorToX(from), b = line.cursorToX(to);
    *left = std::min(a, b);
    *right = std::max(a, b);
    return true;
}

// "\uldb": the toolkit draws the first line; the second goes as far below it again.
void DrawDoubleUnderlines(QPainter& painter, const QTextBlock& block, const QPointF& origin, const QBrush& text)
{
    const QTextLayout* layout = block.layout();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat f = fragment.charFormat();
        if (f.property(kUnderlineWordProperty).toByteArray() != "uldb" || !f.fontUnderline())
            continue;
        QFont font = f.font();
        if (QPaintDevice* device = block.document()->documentLayout()->paintDevice())
            font = QFont(font, device);
        const QFontMetricsF metrics(font);
        const qreal width = std::max<qreal>(1.0, metrics.lineWidth());
        const int from = fragment.position() - block.position();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            qreal left = 0, right = 0;
            if (!SpanOnLine(line, from, from + fragment.length(), &left, &right))
                continue;
            const qreal y = origin.y() + line.y() + line.ascent() + metrics.underlinePos() + 2 * width;
            painter.fillRect(QRectF(origin.x() + left, y, right - left, width), InkOf(f, text));
        }
    }
}

// The leader of the tab stop a tab reaching from x in the line goes to: the first stop
// after it, as the toolkit places tabs.
QByteArray LeaderAfter(const QTextBlockFormat& format, qreal x, qreal unitsPerTwip)
{
    const QVariantList leaders = format.property(kTabLeadersProperty).toList();
    QByteArray leader;
    qreal nearest = 0;
    for (qsizetype i = 0; i + 1 < leaders.size(); i += 2) {
        const qreal stop = leaders[i].toInt() * unitsPerTwip;
        if (stop > x + 0.5 && (leader.isEmpty() || stop < nearest)) {
            nearest = stop;
            leader = leaders[i + 1].toByteArray();
        }
    }
    // A stop without a leader nearer than the nearest with one takes the tab.
    for (const QTextOption::Tab& tab : format.tabPositions()) {
        const qreal stop = tab.position * unitsPerTwip * kTwipsPerUnit;
        if (stop > x + 0.5 && stop < nearest - 0.5)
            return {};
    }
    return leader;
}

// `pixel`: the layout's units in a screen pixel (1/96 inch).
void DrawLeader(QPainter& painter, const QByteArray& leader, const QRectF& span, const QColor& ink, qreal baseline,
                qreal pixel)
{
    QPen pen(ink, pixel);
    qreal y = baseline - pixel;
    if (leader == "tldot" || leader == "tlmdot") {
        pen.setStyle(Qt::DotLine);
        pen.setWidthF(1.5 * pixel);
        if (leader == "tlmdot")
            y = span.center().y();
    } else if (leader == "tlhyph") {
        pen.setStyle(Qt::DashLine);
        y = span.center().y();
    } else if (leader == "tlth") {
        pen.setWidthF(2.0 * pixel);
    }
    painter.setPen(pen);
    painter.drawLine(QPointF(span.left() + 2 * pixel, y), QPointF(span.right() - 2 * pixel, y));
    if (leader == "tleq")
        painter.drawLine(QPointF(span.left() + 2 * pixel, y - 3 * pixel), QPointF(span.right() - 2 * pixel, y - 3 * pixel));
}

void DrawTabLeaders(QPainter& painter, const QTextBlock& block, const QPointF& origin, const QBrush& text,
                    qreal unitsPerTwip)
{
    const QTextBlockFormat format = block.blockFormat();
    if (!format.hasProperty(kTabLeadersProperty))
        return;
    const QString content = block.text();
    const QTextLayout* layout = block.layout();
    for (int at = int(content.indexOf('\t')); at >= 0; at = int(content.indexOf('\t', at + 1))) {
        const QTextLine line = layout->lineForTextPosition(at);
        qreal left = 0, right = 0;
        if (!line.isValid() || !SpanOnLine(line, at, at + 1, &left, &right))
            continue;
        const QByteArray leader = LeaderAfter(format, left, unitsPerTwip);
        if (leader.isEmpty())
            continue;
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + at + 1);
        const QRectF span(origin.x() + left, origin.y() + line.y(), right - left, line.height());
        DrawLeader(painter, leader, span, InkOf(cursor.charFormat(), text), origin.y() + line.y() + line.ascent(),
                   unitsPerTwip * kTwipsPerUnit);
    }
}

// One border of a paragraph as its kept words say: "\brdrb\brdrs\brdrw15\brdrcf2\brsp40".
struct Border {
    bool edges[4] = {}; // top, left, bottom, right
    int widthTwips = 15, spaceTwips = 0, colour = 0;
    bool dbl = false, dotted = false, dashed = false, none = false;
};

std::vector<Border> BordersOf(const QByteArray& words)
{
    std::vector<Border> borders;
    Border* current = nullptr;
    for (qsizetype i = 0; i < words.size();) {
        if (words[i] != '\\') {
            ++i;
            continue;
        }
        qsizetype end = ++i;
        while (end < words.size() && std::isalpha(static_cast<unsigned char>(words[end]))) ++end;
        const std::string_view word(words.constData() + i, std::size_t(end - i));
        qsizetype digits = end;
        if (digits < words.size() && words[digits] == '-') ++digits;
        while (digits < words.size() && std::isdigit(static_cast<unsigned char>(words[digits]))) ++digits;
        const int value = words.mid(end, digits - end).toInt();
        i = digits;
        static const std::string_view kEdges[] = {"brdrt", "brdrl", "brdrb", "brdrr"};
        const auto edge = std::find(std::begin(kEdges), std::end(kEdges), word);
        if (edge != std::end(kEdges) || word == "box") {
            borders.emplace_back();
            current = &borders.back();
            for (int e = 0; e < 4; ++e)
                current->edges[e] = word == "box" || edge - std::begin(kEdges) == e;
        } else if (!current || (word.substr(0, 4) != "brdr" && word != "brsp")) {
            current = nullptr; // words after the border's own describe something else
        } else if (word == "brdrw") {
            current->widthTwips = std::clamp(value, 1, 1000);
        } else if (word == "brsp") {
            current->spaceTwips = std::clamp(value, 0, 2000);
        } else if (word == "brdrcf") {
            current->colour = value;
        } else {
            current->dbl = current->dbl || word == "brdrdb";
            current->dotted = current->dotted || word == "brdrdot";
            current->dashed = current->dashed || word.substr(0, 8) == "brdrdash";
            current->none = current->none || word == "brdrnone" || word == "brdrnil";
        }
    }
    return borders;
}

} // namespace

std::pair<int, int> BorderRoomTwips(const QByteArray& keptWords)
{
    std::pair<int, int> room{0, 0};
    if (!keptWords.contains("\\brdr") && !keptWords.contains("\\box"))
        return room;
    for (const Border& border : BordersOf(keptWords)) {
        if (border.none)
            continue;
        const int taken = border.widthTwips * (border.dbl ? 3 : 1) + border.spaceTwips;
        if (border.edges[0])
            room.first = std::max(room.first, taken);
        if (border.edges[2])
            room.second = std::max(room.second, taken);
    }
    return room;
}

namespace {

QColor ColourOf(const QTextDocument& document, int index)
{
    const QStringList colours = document.rootFrame()->frameFormat().property(kDocColoursProperty).toStringList();
    return index > 0 && index < colours.size() && !colours[index].isEmpty() ? QColor(colours[index]) : QColor(Qt::black);
}

QByteArray KeptWordsOf(const QTextBlock& block)
{
    return block.isValid() ? block.blockFormat().property(kParaKeptProperty).toByteArray() : QByteArray();
}

// Paragraphs in a row with the same borders share one box: its top is drawn over the
// first, its bottom under the last.
void DrawParagraphBorders(QPainter& painter, const QTextDocument& document, const QTextBlock& block,
                          const QRectF& rect, qreal unitsPerTwip)
{
    const QByteArray words = KeptWordsOf(block);
    if (!words.contains("\\brdr") && !words.contains("\\box"))
        return;
    const bool joinsAbove = KeptWordsOf(block.previous()) == words;
    const bool joinsBelow = KeptWordsOf(block.next()) == words;
    const QTextBlockFormat format = block.blockFormat();
    const qreal scale = unitsPerTwip * kTwipsPerUnit; // the layout scales space above and below, not the sides
    for (const Border& border : BordersOf(words)) {
        if (border.none)
            continue;
        const qreal width = std::max<qreal>(1.0, border.widthTwips * unitsPerTwip);
        const qreal space = border.spaceTwips * unitsPerTwip;
        const QRectF box(rect.left() + format.leftMargin() - space, rect.top() + format.topMargin() * scale - space,
                         rect.width() - (format.leftMargin() + format.rightMargin()) + 2 * space,
                         rect.height() - (format.topMargin() + format.bottomMargin()) * scale + 2 * space);
        QPen pen(ColourOf(document, border.colour), width);
        pen.setStyle(border.dotted ? Qt::DotLine : border.dashed ? Qt::DashLine : Qt::SolidLine);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        const QLineF lines[] = {{box.topLeft(), box.topRight()}, {box.topLeft(), box.bottomLeft()},
                                {box.bottomLeft(), box.bottomRight()}, {box.topRight(), box.bottomRight()}};
        for (int e = 0; e < 4; ++e) {
            if (!border.edges[e] || (e == 0 && joinsAbove) || (e == 2 && joinsBelow))
                continue;
            painter.drawLine(lines[e]);
            if (border.dbl) {
                const qreal gap = 2 * width;
                const QPointF inward = e == 0 ? QPointF(0, gap) : e == 1 ? QPointF(gap, 0)
                                     : e == 2 ? QPointF(0, -gap) : QPointF(-gap, 0);
                painter.drawLine(lines[e].translated(inward));
            }
        }
    }
}

// Only a document that keeps such decorations has any to draw: a page need not look
// through its blocks (in a table each costs the toolkit a search) to find none.
bool KeepsDecorations(const QTextDocument& document)
{
    const QList<QTextFormat> formats = document.allFormats();
    return std::any_of(formats.begin(), formats.end(), [](const QTextFormat& format) {
        if (format.isCharFormat())
            return format.property(kUnderlineWordProperty).toByteArray() == "uldb";
        const QByteArray kept = format.property(kParaKeptProperty).toByteArray();
        return format.isBlockFormat() &&
               (format.hasProperty(kTabLeadersProperty) || kept.contains("\\brdr") || kept.contains("\\box"));
    });
}

} // namespace

void DrawKeptDecorations(QPainter& painter, const QTextDocument& document, const QRectF& clip, const QBrush& text)
{
    if (!KeepsDecorations(document))
        return;
    const qreal unitsPerTwip = UnitsPerTwip(document);
    painter.save();
    ForEachBlockIn(document, clip, [&](const QTextBlock& block, const QRectF& rect) {
        if (!block.layout() || block.layout()->lineCount() == 0)
            return;
        DrawDoubleUnderlines(painter, block, rect.topLeft(), text);
        DrawTabLeaders(painter, block, rect.topLeft(), text, unitsPerTwip);
        DrawParagraphBorders(painter, document, block, rect, unitsPerTwip);
    });
    painter.restore();
}

} // namespace RtfEngine
