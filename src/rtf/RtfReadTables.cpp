// Tables: row definitions, cells and rows, nested tables.
#include "rtf/RtfParser.h"

#include <algorithm>
#include <climits>

namespace RtfEngine::Reading {

namespace {

// Cell boundaries beyond any page, so that an inch can be added to them.
constexpr int kMaxTwips = 1 << 24;

} // namespace

bool RtfParser::OnRowWord(std::string_view w, bool has, int param)
{
    RowDef& def = Top().nestProps ? FNestRowDef : FRowDef;
    RtfTableCell& cell = def.pending;
    if (w == "trowd") {
        def = {};
        FBorderEdge = BorderEdge::None;
    } else if (w == "cellx") {
        cell.rightTwips = std::clamp(param, -kMaxTwips, kMaxTwips);
        def.cells.push_back(std::move(cell));
        cell = {};
        FBorderEdge = BorderEdge::None;
    } else if (w == "clmgf") {
        cell.horizontalMerge = 1;
    } else if (w == "clmrg") {
        cell.horizontalMerge = 2;
    } else if (w == "clvmgf") {
        cell.verticalMerge = 1;
    } else if (w == "clvmrg") {
        cell.verticalMerge = 2;
    } else if (w.substr(0, 2) == "cl") {
        cell.words += WordSource(w, has, param);
        static const std::string_view kEdges[] = {"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr"};
        for (int e = 0; e < 4; ++e) {
            if (w == kEdges[e]) {
                FBorderEdge = BorderEdge::Cell;
                FCellEdge = e;
                cell.borders[e] = {15, QTextFrameFormat::BorderStyle_Solid, {}};
            }
        }
        if (w == "clvertalt") cell.verticalAlign = 0;
        else if (w == "clvertalc") cell.verticalAlign = 1;
        else if (w == "clvertalb") cell.verticalAlign = 2;
        else if (w == "clcbpat") cell.shading = ColourAt(param);
    } else if (w.substr(0, 2) == "tr" || w.substr(0, 3) == "tbl" || w == "ltrrow" || w == "rtlrow" ||
               w == "lastrow" || w == "taprtl") {
        def.words += WordSource(w, has, param);
        if (w == "trleft") def.left = std::clamp(param, -kMaxTwips, kMaxTwips);
        else if (w == "trgaph") def.gap = param;
        else if (w == "trql") def.align = 0;
        else if (w == "trqr") def.align = 1;
        else if (w == "trqc") def.align = 2;
        else if (w.substr(0, 6) == "trbrdr") FBorderEdge = BorderEdge::Row;
    } else {
        return false;
    }
    return true;
}

bool RtfParser::OnTableWord(std::string_view w, bool has, int param)
{
    const int depth = Top().para.itap;
    if (w == "cell") FinishCell(1);
    else if (w == "nestcell") FinishCell(std::clamp(depth, 2, kMaxTableDepth));
    else if (w == "row") FinishRow(1);
    else if (w == "nestrow") FinishRow(std::clamp(depth, 2, kMaxTableDepth));
    else return OnRowWord(w, has, param);
    return true;
}

// Opens or closes tables until `depth` are open.
void RtfParser::EnsureDepth(std::size_t depth)
{
    while (FLevels.size() > depth)
        CloseLevel();
    while (FLevels.size() < depth)
        FLevels.emplace_back();
}

void RtfParser::FinishCell(int level)
{
    ParaState& p = Top().para;
    p.itap = level;
    FinishParagraph(true);
    TableLevel& t = FLevels[std::size_t(level - 1)];
    t.row.cells.push_back(std::move(t.cell));
    t.cell = {};
}

void RtfParser::FinishRow(int level)
{
    if (FParagraphHasContent)
        FinishCell(level);
    EnsureDepth(std::size_t(level));
    TableLevel& t = FLevels[std::size_t(level - 1)];
    if (!t.cell.items.empty()) {
        t.row.cells.push_back(std::move(t.cell));
        t.cell = {};
    }
    if (t.row.cells.empty())
        return;
    const RowDef& def = level > 1 ? FNestRowDef : FRowDef;
    RtfTableRow& row = t.row;
    int right = def.left;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        RtfTableCell& cell = row.cells[i];
        if (i < def.cells.size()) {
            std::vector<RtfCellItem> items = std::move(cell.items);
            cell = def.cells[i];
            cell.items = std::move(items);
        }
        if (cell.rightTwips <= right) // no usable boundary: an inch
            cell.rightTwips = int(std::min<qint64>(qint64(right) + 1440, INT_MAX));
        right = cell.rightTwips;
    }
    row.leftTwips = def.left;
    row.gapTwips = def.gap;
    row.align = def.align;
    row.words = def.words;
    t.table.rows.push_back(std::move(row));
    row = {};
}

// Ends the innermost open table; it goes into the cell around it or into the document.
void RtfParser::CloseLevel()
{
    TableLevel& t = FLevels.back();
    if (!t.cell.items.empty()) {
        t.row.cells.push_back(std::move(t.cell));
        t.cell = {};
    }
    if (!t.row.cells.empty()) {
        const int level = int(FLevels.size());
        FinishRow(level);
    }
    RtfTable table = std::move(FLevels.back().table);
    FLevels.pop_back();
    if (table.rows.empty())
        return;
    if (FLevels.empty())
        AddItem(std::move(table));
    else
        FLevels.back().cell.items.push_back({{}, std::make_shared<RtfTable>(std::move(table))});
}

void RtfParser::CloseTable()
{
    EnsureDepth(0);
}

} // namespace RtfEngine::Reading
