// Page geometry of TRichPrinter: the fallback paper without a printer, a PDF printer's
// real values at several resolutions, margin clamping and the measure unit.
#include "PrintPdfSupport.h"
#include "print/RichPrint.h"

#include <cmath>

using Geometry = PrinterTest;

TEST_F(Geometry, FallbackPaperWithoutPrinter) {
    TRichPrinter printer;
    EXPECT_EQ(printer.DpiX(), 600);
    EXPECT_EQ(printer.LineHeight(), 10);
    EXPECT_DOUBLE_EQ(printer.GutterRight(), 6.0);  // 210 - 198 - 6
    EXPECT_DOUBLE_EQ(printer.GutterBottom(), 7.0); // 297 - 284 - 6
    // 19 mm, 9 mm, 24 mm and 18 mm of margin inside the printable area, at 600 dpi.
    EXPECT_EQ(printer.LeftOffset(), 449);
    EXPECT_EQ(printer.RightOffset(), 213);
    EXPECT_EQ(printer.TopOffset(), 567);
    EXPECT_EQ(printer.BottomOffset(), 425);
    EXPECT_EQ(printer.TextAreaWidth(), 4677 - 449 - 213);
    EXPECT_EQ(printer.TextAreaHeight(), 6709 - 567 - 425);
    // The logo scales with the text area: 25 x 20 mm of 210 x 297 mm paper.
    EXPECT_EQ(printer.LogoRect(), QRect(QPoint(449, 288), QPoint(927 - 1, 673 - 1)));
    EXPECT_EQ(printer.Title(), "<Unknown>");
    EXPECT_EQ(printer.Orientation(), poPortrait);
}

TEST_F(Geometry, FallbackPaperInInches) {
    TRichPrinter printer;
    printer.SetMeasureUnit(muInches);
    EXPECT_DOUBLE_EQ(printer.PhysicalWidth(), 8.5);
    EXPECT_DOUBLE_EQ(printer.GutterRight(), 0.25);
    EXPECT_DOUBLE_EQ(printer.GutterBottom(), 0.25);
    EXPECT_EQ(printer.ToPixelsX(1.0), 600);
    EXPECT_DOUBLE_EQ(printer.FromPixelsY(300), 0.5);
}

// The same paper through PDF printers of three resolutions: offsets, text area, and
// border lines whose pen is 0 (thinnest), 2 and 4 pixels.
TEST_F(Geometry, BordersAndOffsetsFollowThePrinterResolution) {
    struct Case {
        int dpi, left, top, width, height, offset, pen;
    };
    const Case cases[] = {
        {300, 224, 283, 2339 - 224 - 106, 3354 - 283 - 213, 24, 0},
        {600, 449, 567, 4677 - 449 - 213, 6709 - 567 - 425, 47, 2},
        {1200, 898, 1134, 9354 - 898 - 425, 13417 - 1134 - 850, 94, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        SelectPdfPrinter("out.pdf", c.dpi);
        TRichPrinter printer;
        EXPECT_EQ(printer.DpiY(), c.dpi);
        EXPECT_EQ(printer.LeftOffset(), c.left);
        EXPECT_EQ(printer.TopOffset(), c.top);
        EXPECT_EQ(printer.TextAreaWidth(), c.width);
        EXPECT_EQ(printer.TextAreaHeight(), c.height);
        const auto top = printer.BorderLine(pbTop);
        EXPECT_EQ(top.From, QPoint(c.left - c.offset, c.top - c.offset));
        EXPECT_EQ(top.To, QPoint(c.left + c.width + c.offset, c.top - c.offset));
        EXPECT_EQ(top.PenWidth, c.pen);
        const auto bottom = printer.BorderLine(pbBottom);
        EXPECT_EQ(bottom.From.y(), c.top + c.height + c.offset);
        const auto right = printer.BorderLine(pbRight);
        EXPECT_EQ(right.From, QPoint(c.left + c.width + c.offset, c.top - c.offset));
        EXPECT_EQ(right.To, QPoint(c.left + c.width + c.offset, c.top + c.height + c.offset));
        EXPECT_EQ(right.PenWidth, c.pen);
        EXPECT_EQ(printer.BorderLine(pbLeft).From.x(), c.left - c.offset);
    }
}

TEST_F(Geometry, MarginSettersClampToTheGuttersAndThePaper) {
    struct Case {
        void (TRichPrinter::*set)(double);
        double (TRichPrinter::*get)() const;
        double value, expected;
    };
    const Case cases[] = {
        {&TRichPrinter::SetMarginTop, &TRichPrinter::MarginTop, 2.0, 6.0},
        {&TRichPrinter::SetMarginTop, &TRichPrinter::MarginTop, 500.0, 297.0 - 7.0},
        {&TRichPrinter::SetMarginTop, &TRichPrinter::MarginTop, 41.5, 41.5},
        {&TRichPrinter::SetMarginBottom, &TRichPrinter::MarginBottom, -3.0, 7.0},
        {&TRichPrinter::SetMarginBottom, &TRichPrinter::MarginBottom, 400.0, 297.0 - 6.0},
        {&TRichPrinter::SetMarginLeft, &TRichPrinter::MarginLeft, 0.0, 6.0},
        {&TRichPrinter::SetMarginLeft, &TRichPrinter::MarginLeft, 300.0, 210.0 - 6.0},
        {&TRichPrinter::SetMarginRight, &TRichPrinter::MarginRight, 1.0, 6.0},
        {&TRichPrinter::SetMarginRight, &TRichPrinter::MarginRight, 250.0, 210.0 - 6.0},
    };
    for (const Case& c : cases) {
        TRichPrinter printer;
        (printer.*c.set)(c.value);
        EXPECT_DOUBLE_EQ((printer.*c.get)(), c.expected) << c.value;
    }
}

TEST_F(Geometry, MeasureUnitConvertsEveryLengthAndBack) {
    TRichPrinter printer;
    printer.SetDefaultColumnWidth(50.8);
    printer.SetMeasureUnit(muInches);
    EXPECT_DOUBLE_EQ(printer.MarginTop(), 30.0 / 25.4);
    EXPECT_DOUBLE_EQ(printer.MarginRight(), 15.0 / 25.4);
    EXPECT_DOUBLE_EQ(printer.BorderOffset, 2.0 / 25.4);
    EXPECT_DOUBLE_EQ(printer.LogoWidth, 25.0 / 25.4);
    EXPECT_DOUBLE_EQ(printer.DefaultColumnWidth(), 2.0);
    // The fallback gutter is a quarter inch in inch mode: 600 x (30 / 25.4 - 0.25).
    EXPECT_EQ(printer.TopOffset(), 559);
    printer.SetMeasureUnit(muMillimeters);
    EXPECT_NEAR(printer.MarginTop(), 30.0, 1e-12);
    EXPECT_NEAR(printer.LogoHeight, 20.0, 1e-12);
}
