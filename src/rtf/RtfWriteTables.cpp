// The body, block by block, and tables: row definitions, cells, borders.
#include "rtf/RtfWriting.h"

namespace RtfEngine::Writing {

// The list the block belongs to in the document's own list table, 0 for none.
int Writer::KeptListOf(const QTextBlock& block) const
{
    const QTextBlockFormat f = block.blockFormat();
    if (FOptions.plain || !f.hasProperty(kListOverrideProperty) ||
        !FKeptOverrides.count(f.intProperty(kListOverrideProperty)))
        return 0; // text from another document: its list is not in this one's table
    // A numbered paragraph the user took out of its list is no longer in it.
    if (!block.textList() && f.boolProperty(kListShownProperty))
        return 0;
    return f.intProperty(kListOverrideProperty);
}

QTextTable* Writer::TableOf(const QTextBlock& block, const QTextTable* parent)
{
    // The table directly inside `parent` (or outermost when `parent` is null) that holds the block.
    QTextTable* table = QTextCursor(block).currentTable();
    while (table) {
        QTextTable* up = nullptr;
        for (QTextFrame* frame = table->parentFrame(); frame; frame = frame->parentFrame())
            if ((up = qobject_cast<QTextTable*>(frame)))
                break;
        if (up == parent)
            return table;
        table = up;
    }
    return nullptr;
}

void Writer::WriteBody()
{
    bool first = true;
    for (QTextBlock block = FirstBlock(); BlockInRange(block);) {
        QTextTable* table = TableOf(block, nullptr);
        if (table && !FOptions.plain && table->firstPosition() >= FStart && table->lastPosition() < FEnd) {
            WriteTable(*table, 1);
            block = FDoc.findBlock(table->lastPosition() + 1);
            if (block.isValid() && block.position() <= table->lastPosition())
                block = block.next();
            first = false;
            continue;
        }
        if (!table && !first && !FOptions.plain && block.blockFormat().hasProperty(kSectionProperty)) {
            FOut += "\\sect" + block.blockFormat().property(kSectionProperty).toByteArray() + "\r\n";
            FPara = ParaProps{};
            FPara.style = -2; // the next paragraph writes its properties again
        }
        first = false;
        WriteParagraph(block, 0);
        if (table && FOptions.plain && IsLastBlockOfCell(*table, block) && !IsLastBlockOfTable(*table, block))
            FOut += IsLastCellOfRow(*table, block) ? "\\par\r\n" : "\\tab ";
        else
            WriteParagraphEnd(block);
        block = block.next();
    }
}

bool Writer::IsLastBlockOfCell(QTextTable& table, const QTextBlock& block)
{
    const QTextTableCell cell = table.cellAt(block.position());
    return cell.isValid() && block.position() + block.length() - 1 >= cell.lastPosition();
}

bool Writer::IsLastCellOfRow(QTextTable& table, const QTextBlock& block)
{
    const QTextTableCell cell = table.cellAt(block.position());
    return cell.column() + cell.columnSpan() >= table.columns();
}

bool Writer::IsLastBlockOfTable(QTextTable& table, const QTextBlock& block)
{
    return block.position() + block.length() - 1 >= table.lastPosition();
}

void Writer::WriteParagraphEnd(const QTextBlock& block)
{
    if (block.position() + block.length() - 1 < FEnd) {
        FOut += "\\par\r\n";
        if (!FOptions.plain && (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter) &&
            block.next().isValid())
            FOut += "\\page ";
    }
}

// The row's definition: kept words as read, else what the table's formats say.
QByteArray Writer::RowDefinition(QTextTable& table, int row, const QList<int>& rights) const
{
    const QTextTableFormat tf = table.format();
    const QVariantList kept = tf.property(kTableRowsProperty).toList();
    QByteArray out = "\\trowd";
    if (row < kept.size() && !kept[row].toByteArray().isEmpty()) {
        out += kept[row].toByteArray();
    } else {
        out += "\\trgaph108";
        if (int left = LeftOf(table); left != 0)
            out += "\\trleft" + Number(left);
        const Qt::Alignment a = tf.alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignHCenter) out += "\\trqc";
        else if (a & Qt::AlignRight) out += "\\trqr";
    }
    for (int c = 0; c < table.columns();) {
        const QTextTableCell cell = table.cellAt(row, c);
        const QTextTableCellFormat cf = cell.format().toTableCellFormat();
        const int span = std::max(1, cell.columnSpan());
        if (cf.boolProperty(kCellAbsentProperty)) {
            c += span;
            continue;
        }
        if (cf.hasProperty(kCellKeptProperty)) out += cf.property(kCellKeptProperty).toByteArray();
        else out += CellBorders(tf, cf);
        if (cell.rowSpan() > 1) out += cell.row() == row ? "\\clvmgf" : "\\clvmrg";
        c += span;
        out += "\\cellx" + Number(rights[std::min<qsizetype>(c, rights.size()) - 1]);
    }
    return out;
}

QByteArray Writer::CellBorders(const QTextTableFormat& table, const QTextTableCellFormat& cell)
{
    QByteArray out;
    static const char* const kEdges[] = {"\\clbrdrt", "\\clbrdrl", "\\clbrdrb", "\\clbrdrr"};
    const qreal widths[] = {cell.topBorder(), cell.leftBorder(), cell.bottomBorder(), cell.rightBorder()};
    const bool cellBorders = cell.hasProperty(QTextFormat::TableCellTopBorder);
    for (int e = 0; e < 4; ++e) {
        const qreal width = cellBorders ? widths[e] : table.border();
        if (width > 0)
            out += QByteArray(kEdges[e]) + "\\brdrs\\brdrw" + Number(std::max(1, Twips(width)));
    }
    if (cell.verticalAlignment() == QTextCharFormat::AlignMiddle) out += "\\clvertalc";
    else if (cell.verticalAlignment() == QTextCharFormat::AlignBottom) out += "\\clvertalb";
    return out;
}

int Writer::LeftOf(QTextTable& table)
{
    const QTextTableFormat f = table.format();
    return f.hasProperty(kTableLeftProperty) ? f.intProperty(kTableLeftProperty) : Twips(f.leftMargin());
}

void Writer::WriteTable(QTextTable& table, int depth)
{
    const QList<int> rights = CellRights(table);
    for (int r = 0; r < table.rows(); ++r) {
        const QByteArray definition = RowDefinition(table, r, rights);
        if (depth == 1)
            FOut += definition + "\r\n";
        for (int c = 0; c < table.columns();) {
            const QTextTableCell cell = table.cellAt(r, c);
            c += std::max(1, cell.columnSpan());
            if (cell.format().boolProperty(kCellAbsentProperty))
                continue;
            if (cell.row() == r)
                WriteCell(table, cell, depth);
            else
                WriteParaProps(CellParaProps(depth));
            FOut += depth == 1 ? "\\cell " : "\\nestcell ";
        }
        if (depth == 1)
            FOut += "\\row\r\n";
        else
            FOut += "{\\*\\nesttableprops" + definition + "\\nestrow}{\\nonesttables\\par}\r\n";
        // Each row's paragraphs say their properties again: readers end them with the row.
        FPara = ParaProps{};
        FPara.style = -2;
    }
}

ParaProps Writer::CellParaProps(int depth) const
{
    ParaProps s;
    s.depth = depth;
    return s;
}

void Writer::WriteCell(QTextTable& table, const QTextTableCell& cell, int depth)
{
    bool pendingMark = false;
    for (QTextBlock block = FDoc.findBlock(cell.firstPosition());
         block.isValid() && block.position() <= cell.lastPosition();) {
        if (QTextTable* inner = TableOf(block, &table)) {
            if (pendingMark)
                FOut += "\\par\r\n";
            pendingMark = false;
            WriteTable(*inner, depth + 1);
            block = FDoc.findBlock(inner->lastPosition() + 1);
            if (block.isValid() && block.position() <= inner->lastPosition())
                block = block.next();
            continue;
        }
        if (pendingMark)
            FOut += "\\par\r\n";
        WriteParagraph(block, depth);
        pendingMark = true;
        block = block.next();
    }
    if (!pendingMark)
        WriteParaProps(CellParaProps(depth));
}

QList<int> Writer::CellRights(QTextTable& table) const
{
    const QList<QTextLength> widths = table.format().columnWidthConstraints();
    const int total = 9360; // 6.5 inches of text width
    QList<int> rights;
    int right = LeftOf(table);
    for (int c = 0; c < table.columns(); ++c) {
        int width = total / std::max(1, table.columns());
        if (c < widths.size()) {
            const QTextLength& w = widths[c];
            if (w.type() == QTextLength::FixedLength)
                width = Twips(w.rawValue());
            else if (w.type() == QTextLength::PercentageLength)
                width = int(total * w.rawValue() / 100.0);
        }
        right += std::max(width, 1);
        rights.append(right);
    }
    return rights;
}

} // namespace RtfEngine::Writing
