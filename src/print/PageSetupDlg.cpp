#include "print/PageSetupDlg.h"

#include "print/RichPrint.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
const QPageSize::PageSizeId kPapers[] = {QPageSize::A4, QPageSize::Letter, QPageSize::Legal,
                                         QPageSize::A5, QPageSize::A3,     QPageSize::Executive};
}

TPageSetupDlg::TPageSetupDlg(unsigned flags, const QMargins& margins, QPageSize::PageSizeId paper,
                             QPageLayout::Orientation orientation, const QStringList& printers,
                             const QString& printer, QWidget* parent)
    : QDialog(parent), FScale(flags & PSD_INTHOUSANDTHSOFINCHES ? 1000.0 : 100.0) {
    setObjectName("PageSetupDialog");
    setWindowTitle("Page Setup");
    auto* column = new QVBoxLayout(this);

    auto* paperBox = new QGroupBox("Paper", this);
    auto* paperForm = new QFormLayout(paperBox);
    PaperSize = new QComboBox(paperBox);
    PaperSize->setObjectName("PaperSize");
    for (QPageSize::PageSizeId id : kPapers) PaperSize->addItem(QPageSize::name(id), int(id));
    const int paperIndex = PaperSize->findData(int(paper));
    if (paperIndex >= 0) PaperSize->setCurrentIndex(paperIndex);
    else PaperSize->insertItem(0, QPageSize::name(paper), int(paper)), PaperSize->setCurrentIndex(0);
    paperForm->addRow("Si&ze:", PaperSize);
    paperBox->setEnabled(!(flags & PSD_DISABLEPAPER));
    column->addWidget(paperBox);

    auto* orientationBox = new QGroupBox("Orientation", this);
    auto* orientationRow = new QHBoxLayout(orientationBox);
    Portrait = new QRadioButton("P&ortrait", orientationBox);
    Portrait->setObjectName("Portrait");
    Landscape = new QRadioButton("L&andscape", orientationBox);
    Landscape->setObjectName("Landscape");
    (orientation == QPageLayout::Landscape ? Landscape : Portrait)->setChecked(true);
    orientationRow->addWidget(Portrait);
    orientationRow->addWidget(Landscape);
    orientationBox->setEnabled(!(flags & PSD_DISABLEORIENTATION));
    column->addWidget(orientationBox);

    const bool inches = flags & PSD_INTHOUSANDTHSOFINCHES;
    auto* marginBox = new QGroupBox(inches ? "Margins (inches)" : "Margins (millimeters)", this);
    auto* marginForm = new QFormLayout(marginBox);
    auto spin = [&](const char* name, const QString& caption, int value) {
        auto* box = new QDoubleSpinBox(marginBox);
        box->setObjectName(name);
        box->setDecimals(inches ? 3 : 2);
        box->setRange(0, inches ? 100 : 2000);
        box->setSingleStep(inches ? 0.1 : 1);
        box->setValue(value / FScale);
        marginForm->addRow(caption, box);
        return box;
    };
    LeftMargin = spin("LeftMargin", "&Left:", margins.left());
    RightMargin = spin("RightMargin", "&Right:", margins.right());
    TopMargin = spin("TopMargin", "&Top:", margins.top());
    BottomMargin = spin("BottomMargin", "&Bottom:", margins.bottom());
    marginBox->setEnabled(!(flags & PSD_DISABLEMARGINS));
    column->addWidget(marginBox);

    auto* printerBox = new QGroupBox("Printer", this);
    auto* printerRow = new QHBoxLayout(printerBox);
    PrinterNameBox = new QComboBox(printerBox);
    PrinterNameBox->setObjectName("PrinterName");
    PrinterNameBox->addItems(printers);
    PrinterNameBox->setCurrentText(printer);
    printerRow->addWidget(PrinterNameBox);
    printerBox->setEnabled(!(flags & PSD_DISABLEPRINTER));
    column->addWidget(printerBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setObjectName("OKButton");
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    CancelButton->setObjectName("CancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

QMargins TPageSetupDlg::Margins() const {
    auto units = [this](const QDoubleSpinBox* box) { return int(std::nearbyint(box->value() * FScale)); };
    return QMargins(units(LeftMargin), units(TopMargin), units(RightMargin), units(BottomMargin));
}

QPageSize::PageSizeId TPageSetupDlg::Paper() const { return QPageSize::PageSizeId(PaperSize->currentData().toInt()); }

QPageLayout::Orientation TPageSetupDlg::Orientation() const {
    return Landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QString TPageSetupDlg::PrinterName() const { return PrinterNameBox->currentText(); }
