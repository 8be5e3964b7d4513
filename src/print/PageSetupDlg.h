// TPageSetupDlg: the page-setup dialog — paper, orientation, margins and printer.
// Our own: Qt's page-setup dialog refuses a PDF printer, the one printer most Linux
// desks have. Margins go in and out as whole hundredths of millimetres or thousandths
// of inches, as the printer hands them over.
#pragma once
#include <QDialog>
#include <QMargins>
#include <QPageLayout>
#include <QPageSize>

class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QRadioButton;

class TPageSetupDlg : public QDialog {
    Q_OBJECT
public:
    // `flags` are the dialog record's flags (margins, units, what is disabled).
    TPageSetupDlg(unsigned flags, const QMargins& margins, QPageSize::PageSizeId paper,
                  QPageLayout::Orientation orientation, const QStringList& printers, const QString& printer,
                  QWidget* parent = nullptr);

    QMargins Margins() const;
    QPageSize::PageSizeId Paper() const;
    QPageLayout::Orientation Orientation() const;
    QString PrinterName() const;

    QComboBox* PaperSize = nullptr;
    QRadioButton* Portrait = nullptr;
    QRadioButton* Landscape = nullptr;
    QDoubleSpinBox* LeftMargin = nullptr;
    QDoubleSpinBox* TopMargin = nullptr;
    QDoubleSpinBox* RightMargin = nullptr;
    QDoubleSpinBox* BottomMargin = nullptr;
    QComboBox* PrinterNameBox = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    double FScale; // 100 or 1000 units per millimetre or inch
};
