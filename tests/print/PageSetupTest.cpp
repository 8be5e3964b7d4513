// Page setup: the dialog's margins in and out, cancelling, the options' translation,
// and the margins kept in the registry.
#include "PrintPdfSupport.h"
#include "print/PageSetupDlg.h"
#include "print/RichPrint.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

// Answers the page dialog once it is up: `act` sets its controls, then OK or Cancel.
void AnswerPageDialog(std::function<void(TPageSetupDlg*)> act, bool confirm) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, confirm, poll] {
        if (auto* dialog = qobject_cast<TPageSetupDlg*>(QApplication::activeModalWidget())) {
            act(dialog);
            (confirm ? dialog->OkButton : dialog->CancelButton)->click();
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(5, *poll);
    };
    QTimer::singleShot(0, *poll);
}

} // namespace

using PageSetup = PrinterTest;

TEST_F(PageSetup, DialogMarginsAreWholeHundredthsOrThousandths) {
    TRichPrinter printer;
    printer.SetMarginLeft(25.005); // a half rounds to even
    printer.SetMarginTop(30.015);
    EXPECT_EQ(printer.DialogMargins(), QMargins(2500, 3002, 1500, 2500));
    printer.SetMeasureUnit(muInches);
    printer.SetMarginLeft(1.25);
    EXPECT_EQ(printer.DialogMargins().left(), 1250);
    printer.ApplyDialogMargins(QMargins(1000, 2000, 500, 100)); // 0.1 in is below the gutter
    EXPECT_DOUBLE_EQ(printer.MarginLeft(), 1.0);
    EXPECT_DOUBLE_EQ(printer.MarginTop(), 2.0);
    EXPECT_DOUBLE_EQ(printer.MarginBottom(), 0.25);
}

TEST_F(PageSetup, OptionsTranslateIntoDialogFlags) {
    TRichPrinter printer;
    EXPECT_EQ(printer.Options_Dialog(), TPageOptions(poMargins));
    printer.SetOptions_Dialog(poDisableMargins | poMargins);
    EXPECT_EQ(printer.Options_Dialog(), TPageOptions(poDisableMargins));
    EXPECT_EQ(printer.DialogFlags(), unsigned(PSD_DISABLEMARGINS));
    printer.SetOptions_Dialog(poMargins | poDisableOrientation | poDisablePaper | poDisablePrinter);
    EXPECT_EQ(printer.DialogFlags(),
              unsigned(PSD_MARGINS | PSD_DISABLEORIENTATION | PSD_DISABLEPAPER | PSD_DISABLEPRINTER));
}

TEST_F(PageSetup, CancelReturnsFalseAndKeepsTheMargins) {
    TRichPrinter printer;
    printer.SetMarginLeft(21.237);
    AnswerPageDialog([](TPageSetupDlg* d) { d->LeftMargin->setValue(40); }, false);
    EXPECT_FALSE(printer.PageSetupDialog());
    EXPECT_NEAR(printer.MarginLeft(), 21.24, 1e-9); // up to hundredths of millimetres
    EXPECT_DOUBLE_EQ(printer.MarginTop(), 30.0);
}

TEST_F(PageSetup, ConfirmedMarginsAndOrientationAreAppliedAndStored) {
    TRichPrinter printer;
    printer.SaveMargins = true;
    int seenLeft = 0;
    AnswerPageDialog(
        [&](TPageSetupDlg* d) {
            seenLeft = int(d->LeftMargin->value() * 100);
            d->LeftMargin->setValue(31.5);
            d->BottomMargin->setValue(2); // below the printer's gutter
            d->Landscape->setChecked(true);
        },
        true);
    EXPECT_TRUE(printer.PageSetupDialog());
    EXPECT_EQ(seenLeft, 2500);
    EXPECT_DOUBLE_EQ(printer.MarginLeft(), 31.5);
    EXPECT_DOUBLE_EQ(printer.MarginBottom(), printer.GutterBottom());
    EXPECT_EQ(printer.Orientation(), poLandscape);

    Platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey("\\RichPrint.Settings\\Marges", false));
    QStringList names = registry.GetValueNames();
    names.sort();
    EXPECT_EQ(names, (QStringList{"CodeDirection", "CodeMeasurement", "MarginBottom", "MarginLeft", "MarginRight",
                                  "MarginTop"}));
    EXPECT_EQ(registry.GetDataType("MarginLeft"), Platform::RegDataType::Binary);
    EXPECT_EQ(registry.ReadBinaryData("MarginLeft").size(), 8);
    EXPECT_EQ(registry.ReadFloat("MarginLeft"), 31.5);
    EXPECT_EQ(registry.ReadFloat("MarginTop"), 30.0);
    EXPECT_EQ(registry.ReadString("CodeMeasurement"), "1");
    EXPECT_EQ(registry.ReadString("CodeDirection"), "0");
}

TEST_F(PageSetup, StoredMarginsComeBackAndCodeZeroMeansInches) {
    {
        TRichPrinter printer;
        printer.SetMarginTop(41.25);
        printer.StoreMargins();
    }
    Platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey("\\RichPrint.Settings\\Marges", false));
    registry.WriteString("CodeMeasurement", "0");
    registry.WriteString("CodeDirection", "x"); // unreadable counts as 1: portrait

    TRichPrinter printer;
    printer.LoadStoredMargins();
    EXPECT_EQ(printer.MeasureUnit(), muInches);
    EXPECT_DOUBLE_EQ(printer.MarginTop(), 41.25 / 25.4); // the stored value, then converted
    EXPECT_EQ(printer.Orientation(), poPortrait);

    // A margin that is missing makes loading fail, here and for the print that loads.
    registry.DeleteValue("MarginRight");
    EXPECT_THROW(printer.LoadStoredMargins(), Platform::Exception);
}

TEST_F(PageSetup, WithoutSaveMarginsNothingIsWritten) {
    TRichPrinter printer;
    AnswerPageDialog([](TPageSetupDlg* d) { d->TopMargin->setValue(50); }, true);
    EXPECT_TRUE(printer.PageSetupDialog());
    EXPECT_DOUBLE_EQ(printer.MarginTop(), 50.0);
    EXPECT_FALSE(Platform::Registry().KeyExists("\\RichPrint.Settings\\Marges"));
}
