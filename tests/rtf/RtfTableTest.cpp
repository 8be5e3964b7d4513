// Tables as the document describes them: borders, shading, alignment, spans, nesting;
// and written back so that another word processor gets the same table.
#include "RtfTestSupport.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

QTextTable* FirstTable(const QTextDocument& doc)
{
    for (QTextFrame* frame : doc.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            return table;
    return nullptr;
}

QString CellText(const QTextDocument& doc, const QTextTableCell& cell)
{
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(cell.firstPosition());
    c.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
    return c.selectedText().remove(QChar::ParagraphSeparator).remove(QChar(0xFDD0)).remove(QChar(0xFDD1));
}

// "text@row,col+rows x cols" for each cell that starts at its place, row by row.
QString Shape(const QTextDocument& doc, QTextTable* table)
{
    if (!table)
        return "no table";
    QStringList rows;
    for (int r = 0; r < table->rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c ||
                cell.format().boolProperty(RtfEngine::kCellAbsentProperty))
                continue;
            cells << QString("%1@%2+%3x%4").arg(CellText(doc, cell)).arg(c).arg(cell.rowSpan()).arg(cell.columnSpan());
        }
        rows << cells.join(' ');
    }
    return rows.join(" | ");
}

} // namespace

TEST(RtfTables, BordersShadingAndAlignmentAsTheDocumentSetsThem)
{
    auto doc = Read(Rtf("\\trowd\\trgaph108\\trqc\\clvertalc\\clcbpat1\\clbrdrt\\brdrs\\brdrw30\\brdrcf2"
                        "\\clbrdrb\\brdrdb\\brdrw15\\cellx2000\\clvertalb\\cellx4000"
                        "\\pard\\intbl A\\cell B\\cell\\row\\pard after\\par"));
    QTextTable* table = FirstTable(*doc);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->format().border(), 0) << "no grid of the editor's own";
    EXPECT_EQ(table->format().alignment(), Qt::AlignHCenter);
    const QTextTableCellFormat a = table->cellAt(0, 0).format().toTableCellFormat();
    EXPECT_DOUBLE_EQ(a.topBorder(), 2.0);
    EXPECT_EQ(a.topBorderStyle(), QTextFrameFormat::BorderStyle_Solid);
    EXPECT_EQ(a.topBorderBrush().color(), QColor(0, 0, 255));
    EXPECT_EQ(a.bottomBorderStyle(), QTextFrameFormat::BorderStyle_Double);
    EXPECT_EQ(a.leftBorder(), 0);
    EXPECT_EQ(a.background().color(), QColor(255, 0, 0));
    EXPECT_EQ(a.verticalAlignment(), QTextCharFormat::AlignMiddle);
    const QTextTableCellFormat b = table->cellAt(0, 1).format().toTableCellFormat();
    EXPECT_EQ(b.verticalAlignment(), QTextCharFormat::AlignBottom);
    for (qreal width : {b.topBorder(), b.leftBorder(), b.bottomBorder(), b.rightBorder()})
        EXPECT_EQ(width, 0) << "a borderless cell shows no border";

    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    EXPECT_TRUE(saved.contains("\\trgaph108\\trqc\\clvertalc\\clcbpat1\\clbrdrt\\brdrs\\brdrw30\\brdrcf2"
                               "\\clbrdrb\\brdrdb\\brdrw15\\cellx2000\\clvertalb\\cellx4000"))
        << saved.constData();
    EXPECT_EQ(RtfEngine::WriteRtf(*Read(saved)), saved);
}

TEST(RtfTables, SpansAndNestingComeFromTheDocument)
{
    struct Case {
        const char* what;
        const char* body;
        const char* shape;
        std::vector<const char*> written;
    };
    const Case cases[] = {
        {"rows with unequal cells keep their columns",
         "\\trowd\\cellx3000\\cellx6000\\pard\\intbl Fee\\cell 100\\cell\\row"
         "\\trowd\\cellx1000\\cellx3000\\cellx6000\\pard\\intbl a\\cell b\\cell 40\\cell\\row"
         "\\trowd\\cellx3000\\cellx6000\\pard\\intbl Total\\cell 140\\cell\\row",
         "Fee@0+1x2 100@2+1x1 | a@0+1x1 b@1+1x1 40@2+1x1 | Total@0+1x2 140@2+1x1",
         {"\\cellx1000", "\\cellx3000\\cellx6000"}},
        {"merged cells in a row",
         "\\trowd\\clmgf\\cellx2000\\clmrg\\cellx4000\\cellx6000\\pard\\intbl wide\\cell\\cell c\\cell\\row"
         "\\trowd\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl x\\cell y\\cell z\\cell\\row",
         "wide@0+1x2 c@2+1x1 | x@0+1x1 y@1+1x1 z@2+1x1", {"\\cellx4000\\cellx6000"}},
        {"merged cells in a column",
         "\\trowd\\clvmgf\\cellx2000\\cellx4000\\pard\\intbl tall\\cell a\\cell\\row"
         "\\trowd\\clvmrg\\cellx2000\\cellx4000\\pard\\intbl\\cell b\\cell\\row",
         "tall@0+2x1 a@1+1x1 | b@1+1x1", {"\\clvmgf\\cellx2000", "\\clvmrg\\cellx2000"}},
        {"a row that ends early",
         "\\trowd\\cellx2000\\cellx4000\\pard\\intbl a\\cell b\\cell\\row"
         "\\trowd\\cellx2000\\pard\\intbl c\\cell\\row",
         "a@0+1x1 b@1+1x1 | c@0+1x1", {}},
        {"a nested table is a table in its cell",
         "\\trowd\\cellx3000\\cellx6000\\pard\\intbl before"
         "\\par\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell"
         "{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}{\\nonesttables\\par}"
         "\\pard\\intbl\\itap1 after\\cell right\\cell\\row"
         "\\trowd\\cellx3000\\cellx6000\\pard\\intbl last\\cell row\\cell\\row",
         "beforen1n2after@0+1x1 right@1+1x1 | last@0+1x1 row@1+1x1",
         {"\\itap2", "\\nestcell", "{\\*\\nesttableprops\\trowd", "\\cellx2000\\nestrow}"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = Read(Rtf(QByteArray(c.body) + "\\pard after table\\par"));
        EXPECT_EQ(Shape(*doc, FirstTable(*doc)), c.shape);
        const QByteArray saved = RtfEngine::WriteRtf(*doc);
        for (const char* part : c.written)
            EXPECT_TRUE(saved.contains(part)) << part << "\n" << saved.constData();
        auto again = Read(saved);
        EXPECT_EQ(Shape(*again, FirstTable(*again)), c.shape);
        EXPECT_EQ(RtfEngine::WriteRtf(*again), saved);
    }
}

TEST(RtfTables, NestedTablesAreBoundedAndSurviveTheirOwnEnd)
{
    // Deep or dangling nesting reads without a crash and writes balanced RTF.
    QByteArray deep = "\\trowd\\cellx1000\\pard\\intbl\\itap100000 deep\\nestcell x\\cell\\row";
    QByteArray dangling = "\\pard\\intbl\\itap3 a\\nestcell\\pard\\intbl\\itap2 b\\nestcell";
    for (const QByteArray& body : {deep, dangling}) {
        auto doc = Read(Rtf(body));
        const QByteArray saved = RtfEngine::WriteRtf(*doc);
        EXPECT_EQ(saved.count('{') - saved.count("\\{"), saved.count('}') - saved.count("\\}"));
        EXPECT_TRUE(doc->toPlainText().contains(body == deep ? "deep" : "b"));
        EXPECT_EQ(RtfEngine::WriteRtf(*Read(saved)), saved);
    }
}
