// TRichPrntProgDlg: the small "Print Progress" window shown while printing or while
// the preview's pages are prepared.
#pragma once
#include <QDialog>

class QLabel;

class TRichPrntProgDlg : public QDialog {
    Q_OBJECT
public:
    explicit TRichPrntProgDlg(QWidget* parent = nullptr);

    QLabel* lblStatus = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblPageNumDesc = nullptr;
    QLabel* lblPageNumber = nullptr;
};
