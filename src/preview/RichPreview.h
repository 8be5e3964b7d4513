// TRichPreviewForm: the print preview. The printer hands it one finished page
// at a time (AddPage); each page goes to its own file in the current directory
// and only the page on show is held in memory. Once the pages are in, the
// window shows the first page (and the second beside it, in a window of its
// own, when the screen is wide enough), pages one or two at a time, zooms, and
// prints a range of pages.
#pragma once
#include <QImage>
#include <QPicture>
#include <QWidget>

#include "preview/PreviewLayout.h"
#include "preview/PreviewPages.h"

class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QScrollArea;
class QFrame;

namespace Print {

class TArrowButton;
class TPreview2;

// The image a preview window shows: its page bitmap at the bitmap's own size.
class TPageImage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    QImage Bitmap;

signals:
    void MouseDown(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

class TRichPreviewForm : public QWidget {
    Q_OBJECT
public:
    // `printer` is the printer the pages were recorded for; "&Printing" prints on it
    // (and does nothing when it is null).
    explicit TRichPreviewForm(QPrinter* printer, double pageAspect, QWidget* parent = nullptr);
    ~TRichPreviewForm() override;

    // --- controls -------------------------------------------------------------------
    QScrollArea* ScrollBox1 = nullptr;
    TPageImage* Image1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label4 = nullptr;   // "Page number:"
    QLineEdit* Edit1 = nullptr; // the current page number
    QLabel* Label10 = nullptr;  // "(" + page count + ")"
    TArrowButton* ArrowButton2 = nullptr; // next
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    TArrowButton* ArrowButton1 = nullptr; // previous
    QLabel* Label2 = nullptr;
    QLabel* Label9 = nullptr;
    QPushButton* SpeedButton1 = nullptr; // "&Printing"
    QPushButton* SpeedButton2 = nullptr; // "&Larger"
    QPushButton* SpeedButton3 = nullptr; // "&Smaller"
    QPushButton* BitBtn1 = nullptr;      // close
    QLabel* Label8 = nullptr;  // "Zoom factor:"
    QLabel* Label7 = nullptr;  // the zoom factor
    QLabel* Label6 = nullptr;  // "Zoom step:"
    QLineEdit* MaskEdit1 = nullptr; // the zoom step
    TPreview2* Preview2 = nullptr;  // the second window, once two-page mode is on

    // --- the printer's side ---------------------------------------------------------
    // Ends the page's recording, stores it as the next page file and releases it.
    void AddPage(TPreviewPage& page);
    // The page size in printer pixels: the frame a page is drawn into when printed.
    void SetPageSize(int widthPx, int heightPx);
    // The last page is in: the next activation (or this call, when the window is
    // already active) turns the window from "Formatting" to browsing.
    void PagesComplete();

    // --- handlers -------------------------------------------------------------------
    void FormPaint();
    void FormActivate();
    void ArrowButton2Click(); // next
    void ArrowButton1Click(); // previous
    void ShowFirst();         // Home
    void ShowLast();          // End
    void SpeedButton1Click(); // print
    void SpeedButton2Click(); // larger
    void SpeedButton3Click(); // smaller
    void ResetZoom();         // right button on the page, double click on the zoom factor
    void MaskEdit1Change();
    void Edit1KeyUp();
    void BitBtn1Click();

    // --- state, read by the tests and the printer ----------------------------------
    int CurrentPage() const { return FCurrentPage; }
    int LastPage() const { return FLastPage; }
    bool Building() const { return FBuilding; }
    bool TwoPages() const { return FTwoPages; }
    bool Compress() const { return FCompress; }
    double Zoom() const { return FZoom; }
    double ZoomStep() const { return FZoomStep; }
    int PrintFrom() const { return FPrintFrom; }
    int PrintTo() const { return FPrintTo; }
    const TPreviewLayout& Layout() const { return FLayout; }
    bool NextGroupEnabled() const;
    bool PreviousGroupEnabled() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void BuildControls();
    void PlaceControls();
    void FormClose();
    // FormKeyDown and FormKeyPress; true when the key was used.
    bool FormKeyDown(QKeyEvent* event);
    bool FormKeyPress(QKeyEvent* event);

    // Shows page `index` in the window its index belongs to.
    void PaintPage(int index);
    void LayOutZoom();
    void DrawOn(TPageImage* image, const QPicture& page);
    // Shows FCurrentPage and, in two-page mode, the page after it or an empty
    // second window.
    void ShowPair();
    void ClearSecondWindow();
    void SetNextGroup(bool enabled);
    void SetPreviousGroup(bool enabled);
    void ShowZoom();
    void Repaint(bool reload);
    // In two-page mode a pair starts at an even index.
    int PairStart(int index) const { return FTwoPages ? index - index % 2 : index; }

    QPrinter* FPrinter;
    double FPageAspect;
    TPreviewLayout FLayout;
    int FScreenWidth = 0;
    int FCurrentPage = 0;
    int FLastPage = -1;
    bool FBuilding = true;
    bool FReload = true;
    bool FNotPainted = true;
    bool FCompress = true;
    bool FTwoPages = false;
    bool FComplete = false;
    bool FSetUp = false;
    double FZoom = 1.0;
    double FZoomStep = 0.1;
    int FPageWidth = 0;
    int FPageHeight = 0;
    int FPrintFrom = 0;
    int FPrintTo = 0;
    QPicture FCachedPage;
    bool FClosed = false;
};

} // namespace Print
