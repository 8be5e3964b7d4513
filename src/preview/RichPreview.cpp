#include "preview/RichPreview.h"

#include "platform/Cp1252.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "preview/ArrowBtn.h"
#include "preview/RichPreview2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace Print {

// --- TPageImage ---------------------------------------------------------------------------

void TPageImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!Bitmap.isNull()) painter.drawImage(0, 0, Bitmap);
}

void TPageImage::mousePressEvent(QMouseEvent* event) { emit MouseDown(event->button()); }

// --- TRichPreviewForm ---------------------------------------------------------------------

namespace {

const QColor Teal(0, 128, 128);

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& where)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(where.topLeft());
    if (where.width() > 0) label->resize(where.size());
    else label->adjustSize();
    return label;
}

void Colour(QLabel* label, const QColor& background, const QColor& text)
{
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    label->setPalette(p);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                        const QRect& where)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setGeometry(where);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// Right-aligned in a field of `width` characters.
QString Field(const QString& text, int width) { return text.rightJustified(width, ' '); }

QString ZoomText(double value) { return Field(QString::number(value, 'f', 3), 5); }

void ShowError(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, "Error", message, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

TRichPreviewForm::TRichPreviewForm(QPrinter* printer, double pageAspect, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      FPrinter(printer), FPageAspect(pageAspect)
{
    setObjectName("RichPreviewForm");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Print Preview (Formatting)");
    QFont font("MS Sans Serif");
    font.setPointSize(8);
    setFont(font);
    BuildControls();
    FormCreate();
    // Key preview: the window sees every key before its controls do.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

TRichPreviewForm::~TRichPreviewForm()
{
    if (!FClosed) FormClose();
}

void TRichPreviewForm::BuildControls()
{
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    Image1 = new TPageImage;
    Image1->setObjectName("Image1");
    ScrollBox1->setWidget(Image1);
    connect(Image1, &TPageImage::MouseDown, this, [this](Qt::MouseButton button) {
        if (button == Qt::RightButton) ResetZoom();
    });

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);

    Label4 = MakeLabel(Panel1, "Label4", "Page number:", QRect(4, 8, 0, 0));
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName("Edit1");
    Edit1->setToolTip("Number of current page (can be changed manually) ");
    Edit1->setGeometry(79, 4, 40, 21);
    Label10 = MakeLabel(Panel1, "Label10", QString(), QRect(122, 6, 38, 17));
    Label10->setToolTip("Total number of pages");
    Label10->setAlignment(Qt::AlignCenter);
    Colour(Label10, Qt::yellow, Qt::black);

    SpeedButton1 = MakeButton(Panel1, "SpeedButton1", "&Printing", "Printing of selection from document ['P' key]",
                              QRect(4, 26, 74, 21));
    BitBtn1 = MakeButton(Panel1, "BitBtn1", "&Close", "Closing this preview", QRect(82, 26, 74, 21));
    SpeedButton2 = MakeButton(Panel1, "SpeedButton2", "&Larger", "Larger zoom ['L' key]", QRect(4, 48, 74, 21));
    SpeedButton3 = MakeButton(Panel1, "SpeedButton3", "&Smaller", "Smaller zoom ['S' key]", QRect(82, 48, 74, 21));
    SpeedButton3->setEnabled(false);
    connect(SpeedButton1, &QPushButton::clicked, this, &TRichPreviewForm::SpeedButton1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TRichPreviewForm::BitBtn1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TRichPreviewForm::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TRichPreviewForm::SpeedButton3Click);

    ArrowButton2 = new TArrowButton(Panel1);
    ArrowButton2->setObjectName("ArrowButton2");
    ArrowButton2->SetDirection(arwUP);
    ArrowButton2->move(166, 2);
    ArrowButton2->setToolTip("Showing next pages [PgUp]");
    Label1 = MakeLabel(Panel1, "Label1", "NEXT ", QRect(203, 6, 0, 0));
    Label3 = MakeLabel(Panel1, "Label3", "page", QRect(203, 19, 0, 0));
    ArrowButton1 = new TArrowButton(Panel1);
    ArrowButton1->setObjectName("ArrowButton1");
    ArrowButton1->SetDirection(arwDOWN);
    ArrowButton1->move(166, 36);
    ArrowButton1->setToolTip("Showing previous pages [PgDn]");
    Label2 = MakeLabel(Panel1, "Label2", "PREVIOUS", QRect(203, 40, 0, 0));
    Label9 = MakeLabel(Panel1, "Label9", "page", QRect(203, 53, 0, 0));
    connect(ArrowButton2, &TArrowButton::OnClick, this, &TRichPreviewForm::ArrowButton2Click);
    connect(ArrowButton1, &TArrowButton::OnClick, this, &TRichPreviewForm::ArrowButton1Click);

    Label8 = MakeLabel(Panel1, "Label8", "Zoom factor:", QRect(264, 8, 0, 0));
    Label7 = MakeLabel(Panel1, "Label7", QString(), QRect(344, 6, 44, 17));
    Label7->setToolTip("Actual size of the zoom (double click for a value of one)");
    Label7->setAlignment(Qt::AlignCenter);
    Colour(Label7, Teal, Qt::white);
    Label6 = MakeLabel(Panel1, "Label6", "Zoom step:", QRect(264, 42, 0, 0));
    MaskEdit1 = new QLineEdit(Panel1);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit1->setInputMask("0.000;_");
    MaskEdit1->setMaxLength(5);
    MaskEdit1->setToolTip("Input step size zooming");
    MaskEdit1->setGeometry(344, 38, 44, 21);
    connect(MaskEdit1, &QLineEdit::textChanged, this, &TRichPreviewForm::MaskEdit1Change);
}

void TRichPreviewForm::FormCreate()
{
    FNotPainted = true;
    FTwoPages = false;
    Label10->hide();
    FCompress = ReadCompressSetting();

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    FScreenWidth = screen.width();
    FLayout = MainPreviewLayout(screen.width(), screen.height(), FPageAspect);
    FCurrentPage = 0;
    setFixedSize(FLayout.ClientWidth, FLayout.ClientHeight);
    move(screen.x() + RoundEven((screen.width() - FLayout.WindowWidth) * 0.5),
         screen.y() + RoundEven((screen.height() - FLayout.WindowHeight) * 0.5));
    for (QWidget* zoomPart : {static_cast<QWidget*>(Label8), static_cast<QWidget*>(Label7),
                              static_cast<QWidget*>(Label6), static_cast<QWidget*>(MaskEdit1)})
        zoomPart->setVisible(FLayout.ZoomControls);

    ScrollBox1->setGeometry(FLayout.Image);
    Image1->resize(FLayout.Image.size());
    Panel1->setGeometry(FLayout.Panel);
    Edit1->move(FLayout.Edit1 - FLayout.Panel.topLeft());

    Image1->Bitmap = QImage(FLayout.Image.size(), QImage::Format_RGB32);
    Image1->Bitmap.fill(Qt::white);
    FBuilding = true;
    FZoom = 1.0;
    FZoomStep = 0.1;
    MaskEdit1->setText(ZoomText(FZoomStep));
    Label7->setText(ZoomText(FZoom));
    FReload = true;
    FCachedPage = QPicture();
}

void TRichPreviewForm::SetPageSize(int widthPx, int heightPx)
{
    FPageWidth = widthPx;
    FPageHeight = heightPx;
}

// --- pages in -----------------------------------------------------------------------------

void TRichPreviewForm::AddPage(TPreviewPage& page)
{
    if (page.Surface) {
        page.Surface->end();
        page.Surface.reset();
    }
    std::unique_ptr<TPageMetafile> metafile = std::move(page.Metafile);
    if (!metafile) return;
    if (!SavePageFile(*metafile, FCurrentPage, FCompress)) {
        ShowError(this, "Can not save the page information (MetaFiles)");
        // Later pages could not be kept either: preparation ends here rather than
        // with one box per page.
        throw Platform::EFCreateError(PreviewFileName(FCurrentPage).toStdString());
    }
    FLastPage = FCurrentPage;
    ++FCurrentPage;
}

void TRichPreviewForm::PagesComplete()
{
    FComplete = true;
    FormActivate();
}

// --- showing a page -----------------------------------------------------------------------

void TRichPreviewForm::FormPaint() { PaintPage(FBuilding ? FCurrentPage - 1 : FCurrentPage); }

void TRichPreviewForm::PaintPage(int index)
{
    bool have = false;
    if (FReload) {
        QPicture loaded;
        try {
            have = LoadPageFile(loaded, index, FCompress);
        } catch (const std::exception& error) {
            ShowError(this, QString::fromStdString(Platform::AnyTextToUtf8(error.what())));
        }
        if (have) FCachedPage = loaded;
    } else {
        // Zooming one page: the page in memory is the page on show.
        have = !FCachedPage.isNull();
    }
    if (have) {
        const bool second = FTwoPages && Preview2 && index % 2 == 1;
        TPageImage* target = second ? Preview2->Image1 : Image1;
        LayOutZoom();
        DrawOn(target, FCachedPage);
        const QString number = Field(QString::number(FBuilding ? index : index + 1), 4);
        if (second) Preview2->Label5->setText(number);
        else Edit1->setText(number);
        Label10->setText("(" + QString::number(FLastPage + 1) + ")");
        target->repaint();
    }
    FNotPainted = false;
}

void TRichPreviewForm::LayOutZoom()
{
    const QSize box = ScrollBox1->size();
    const QSize size = FZoom <= 1.00001 ? box : QSize(RoundEven(FZoom * box.width()), RoundEven(FZoom * box.height()));
    Image1->resize(size);
    if (FTwoPages && Preview2) Preview2->Image1->resize(size);
}

void TRichPreviewForm::DrawOn(TPageImage* image, const QPicture& page)
{
    QImage bitmap(Image1->size(), QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    QPainter painter(&bitmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    // The page's frame is the paper in printer pixels; it is stretched over the image.
    QSize frame(FPageWidth, FPageHeight);
    if (frame.width() <= 0 || frame.height() <= 0) {
        const QRect drawn = page.boundingRect();
        frame = QSize(std::max(1, drawn.right() + 1), std::max(1, drawn.bottom() + 1));
    }
    painter.scale(double(bitmap.width()) / frame.width(), double(bitmap.height()) / frame.height());
    PlayPage(painter, page);
    painter.end();
    image->Bitmap = bitmap;
}

void TRichPreviewForm::ClearSecondWindow()
{
    if (!Preview2) return;
    Preview2->Image1->Bitmap = QImage(Image1->size(), QImage::Format_RGB32);
    Preview2->Image1->Bitmap.fill(Qt::white);
    Preview2->Image1->resize(Image1->size());
    Preview2->Image1->repaint();
    Preview2->Label4->hide();
    Preview2->Label5->hide();
}

void TRichPreviewForm::ShowPair()
{
    PaintPage(FCurrentPage);
    if (!FTwoPages) return;
    if (FCurrentPage + 1 > FLastPage) {
        ClearSecondWindow();
        return;
    }
    PaintPage(FCurrentPage + 1);
    Preview2->Label4->show();
    Preview2->Label5->show();
}

// --- set-up -------------------------------------------------------------------------------

void TRichPreviewForm::FormActivate()
{
    if (!isActiveWindow()) activateWindow();
    setFocus();
    // Once the last page is in, the first activation turns the window to browsing;
    // later activations leave the page on show alone.
    if (!FNotPainted && FComplete && !FSetUp) {
        FSetUp = true;
        Label10->show();
        FCurrentPage = 0;
        FBuilding = false;
        FReload = true;
        SetPreviousGroup(false);
        SetNextGroup(true);
        FormPaint();
        if (!FTwoPages && FLastPage > 0) {
            const int width = FLayout.WindowWidth;
            const int left = std::max(0, RoundEven((FScreenWidth - 2 * width) * 0.5));
            if (FScreenWidth < 2 * width + left) {
                move(RoundEven((FScreenWidth - width) * 0.5), y());
            } else {
                move(left, y());
                Preview2 = new TPreview2(this, FPageAspect);
                FTwoPages = true;
                Preview2->show();
                Preview2->FormActivate();
                activateWindow();
                setFocus();
            }
        }
        FormPaint();
        if (FTwoPages) PaintPage(FCurrentPage + 1);
        setWindowTitle("Print Preview");
    }
    Edit1->setReadOnly(FLastPage < 1);
}

// --- paging -------------------------------------------------------------------------------

bool TRichPreviewForm::NextGroupEnabled() const { return ArrowButton2->isEnabled(); }
bool TRichPreviewForm::PreviousGroupEnabled() const { return ArrowButton1->isEnabled(); }

void TRichPreviewForm::SetNextGroup(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(ArrowButton2), static_cast<QWidget*>(Label1),
                       static_cast<QWidget*>(Label3)})
        w->setEnabled(enabled);
}

void TRichPreviewForm::SetPreviousGroup(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(ArrowButton1), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label9)})
        w->setEnabled(enabled);
}

void TRichPreviewForm::ArrowButton2Click()
{
    FBuilding = false;
    FReload = true;
    const int last = FTwoPages ? PairStart(FLastPage) : FLastPage;
    FCurrentPage = std::min(PairStart(FCurrentPage) + (FTwoPages ? 2 : 1), std::max(last, 0));
    const bool atEnd = FCurrentPage == FLastPage || (FTwoPages && FCurrentPage + 1 == FLastPage);
    SetNextGroup(!atEnd);
    SetPreviousGroup(true);
    ShowPair();
}

void TRichPreviewForm::ArrowButton1Click()
{
    FBuilding = false;
    FReload = true;
    FCurrentPage = std::min(FCurrentPage, FLastPage);
    FCurrentPage = std::max(0, PairStart(FCurrentPage) - (FTwoPages ? 2 : 1));
    SetPreviousGroup(FCurrentPage != 0);
    SetNextGroup(true);
    ShowPair();
}

void TRichPreviewForm::ShowFirst()
{
    FBuilding = false;
    FReload = true;
    FCurrentPage = 0;
    SetNextGroup(true);
    SetPreviousGroup(false);
    ShowPair();
}

void TRichPreviewForm::ShowLast()
{
    FBuilding = false;
    FReload = true;
    FCurrentPage = std::max(FLastPage, 0);
    SetNextGroup(false);
    SetPreviousGroup(FLastPage > 0);
    if (!FTwoPages) {
        PaintPage(FCurrentPage);
    } else if (FLastPage % 2 == 1) {
        PaintPage(FLastPage);
        PaintPage(FLastPage - 1);
        Preview2->Label4->show();
        Preview2->Label5->show();
    } else {
        PaintPage(FLastPage);
        ClearSecondWindow();
    }
}

void TRichPreviewForm::Edit1KeyUp()
{
    const auto value = Platform::StrToInt32(Edit1->text().toStdString());
    if (!value || *value < 1 || *value > FLastPage + 1) return;
    FBuilding = false;
    FReload = true;
    const int page = *value;
    if (!FTwoPages || page % 2 == 1) {
        FCurrentPage = page - 1;
        ShowPair();
    } else {
        FCurrentPage = page - 2;
        PaintPage(page - 2);
        PaintPage(page - 1);
        Preview2->Label4->show();
        Preview2->Label5->show();
    }
    SetPreviousGroup(FCurrentPage > 0);
    SetNextGroup(FTwoPages ? FCurrentPage + 1 < FLastPage : FCurrentPage < FLastPage);
}

// --- zoom ---------------------------------------------------------------------------------

void TRichPreviewForm::ShowZoom() { Label7->setText(ZoomText(FZoom)); }

void TRichPreviewForm::Repaint(bool reload)
{
    if (FTwoPages || reload) {
        FReload = true;
        if (FTwoPages) ShowPair();
        else FormPaint();
    } else {
        FReload = false;
        FormPaint();
    }
}

void TRichPreviewForm::SpeedButton2Click()
{
    FBuilding = false;
    FCurrentPage = std::min(FCurrentPage, FLastPage);
    FZoom += FZoomStep;
    ShowZoom();
    if (FZoom > 1) SpeedButton3->setEnabled(true);
    Repaint(false);
}

void TRichPreviewForm::SpeedButton3Click()
{
    FBuilding = false;
    FCurrentPage = std::min(FCurrentPage, FLastPage);
    FZoom -= FZoomStep;
    if (FZoom < 1) FZoom = 1.0;
    ShowZoom();
    SpeedButton3->setEnabled(FZoom != 1);
    Repaint(false);
}

void TRichPreviewForm::ResetZoom()
{
    FZoom = 1.0;
    ShowZoom();
    SpeedButton3->setEnabled(false);
    Repaint(false);
}

void TRichPreviewForm::MaskEdit1Change()
{
    bool ok = false;
    const double step = QLocale::c().toDouble(MaskEdit1->text().trimmed(), &ok);
    FZoomStep = ok ? step : 0.1;
}

// --- printing -----------------------------------------------------------------------------

void TRichPreviewForm::SpeedButton1Click()
{
    if (FLastPage < 0) return;
    // The printer that recorded the pages is the one they go to; without one there is nothing to print on.
    if (!FPrinter) return;
    QPrintDialog dialog(FPrinter, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setMinMax(1, FLastPage + 1);
    FPrinter->setPrintRange(QPrinter::AllPages);
    FPrinter->setFromTo(1, FLastPage + 1);
    if (dialog.exec() != QDialog::Accepted) return;
    if (FPrinter->printRange() == QPrinter::PageRange) {
        FPrintFrom = FPrinter->fromPage();
        FPrintTo = FPrinter->toPage();
    } else {
        FPrintFrom = 1;
        FPrintTo = FLastPage + 1;
    }
    // The range is chosen here; the printer itself prints every page it is given.
    FPrinter->setPrintRange(QPrinter::AllPages);
    FPrinter->setFromTo(0, 0);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    // One job per page, as a printer's queue expects them. A file output would be
    // written over by every job and keep only the last page, so it gets one job.
    const bool oneJob = !FPrinter->outputFileName().isEmpty();
    QPainter painter;
    bool started = false;
    for (int index = FPrintFrom - 1; index <= FPrintTo - 1; ++index) {
        FBuilding = false;
        FReload = true;
        FCurrentPage = index;
        FormPaint();
        QPicture page;
        bool loaded = false;
        try {
            loaded = LoadPageFile(page, index, FCompress);
        } catch (const std::exception&) {
            loaded = false; // shown once already by FormPaint
        }
        if (!loaded) continue;
        if (started && oneJob) {
            FPrinter->newPage();
        } else if (!painter.begin(FPrinter)) {
            QApplication::restoreOverrideCursor();
            ShowError(this, "Not be able to start the printing.");
            return;
        }
        started = true;
        PlayPage(painter, page);
        if (!oneJob) painter.end();
    }
    if (painter.isActive()) painter.end();
    QApplication::restoreOverrideCursor();
}

// --- keys ---------------------------------------------------------------------------------

bool TRichPreviewForm::FormKeyDown(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp: ArrowButton2Click(); return true;
    case Qt::Key_PageDown: ArrowButton1Click(); return true;
    case Qt::Key_Home: ShowFirst(); return true;
    case Qt::Key_End: ShowLast(); return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        QScrollBar* bar = ScrollBox1->horizontalScrollBar();
        bar->setValue(bar->value() + (event->key() == Qt::Key_Left ? -1 : 1) * bar->singleStep());
        return false;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        QScrollBar* bar = ScrollBox1->verticalScrollBar();
        bar->setValue(bar->value() + (event->key() == Qt::Key_Up ? -1 : 1) * bar->singleStep());
        return false;
    }
    default: return false;
    }
}

bool TRichPreviewForm::FormKeyPress(QKeyEvent* event)
{
    // The window previews the keys: the letters act wherever the focus is, also in the
    // page-number box (which takes digits only).
    const QString text = event->text();
    if (text.size() != 1) return false;
    switch (text[0].toLatin1()) {
    case 'L':
    case 'l': SpeedButton2Click(); return true;
    case 'S':
    case 's': SpeedButton3Click(); return true;
    case 'P':
    case 'p': SpeedButton1Click(); return true;
    default: return false;
    }
}

bool TRichPreviewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key) || FormKeyPress(key)) return true;
        // Arrow keys scroll the page and still reach the control.
    } else if (event->type() == QEvent::KeyRelease && watched == Edit1 && Edit1->isModified()) {
        Edit1KeyUp();
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == Label7) {
        ResetZoom();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TRichPreviewForm::keyPressEvent(QKeyEvent* event)
{
    if (!FormKeyDown(event) && !FormKeyPress(event)) QWidget::keyPressEvent(event);
}

bool TRichPreviewForm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(event);
}

// --- closing ------------------------------------------------------------------------------

void TRichPreviewForm::BitBtn1Click() { close(); }

void TRichPreviewForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TRichPreviewForm::FormClose()
{
    if (FClosed) return;
    FClosed = true;
    Image1->Bitmap = QImage();
    FCachedPage = QPicture();
    DeletePageFiles();
    if (FTwoPages && Preview2) Preview2->close();
}

} // namespace Print
