#include "window/Formatting.h"

#include "window/CommandRunner.h"
#include "window/RulerMarkers.h"
#include "dialogs/FontColorDialog.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "richedit/RichEdit98.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kEditMargin = 6;      // kept inside the template editor on both sides
constexpr int kButtonSize = 25;
constexpr int kTabTicks = 100;

// Alignment values, which are also the buttons' tags.
constexpr int kAlignLeft = 0;
constexpr int kAlignRight = 1;
constexpr int kAlignCenter = 2;

// Runs a handler under the application's error handler, as every command runs.
auto Command(TFormatting* self, void (TFormatting::*handler)()) {
    return [self, handler] { RunCommand([self, handler] { (self->*handler)(); }); };
}

// Four lines of text, aligned like the paragraph the button sets; `bullets` adds dots.
QIcon ParagraphIcon(int alignment, bool bullets = false) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 1));
    static constexpr int kLengths[] = {12, 8, 12, 6};
    for (int i = 0; i < 4; ++i) {
        const int y = 3 + i * 3;
        int length = kLengths[i];
        int left = 2;
        if (bullets) {
            painter.drawRect(1, y - 1, 1, 1);
            left = 5;
            length = std::min(length, 9);
        } else if (alignment == kAlignRight) {
            left = 14 - length;
        } else if (alignment == kAlignCenter) {
            left = 8 - length / 2;
        }
        painter.drawLine(left, y, left + length - 1, y);
    }
    return QIcon(pixmap);
}

// The text margins and the caret of a line edit, beside its frame.
constexpr int kLineEditTextRoom = 2 * 2 + 1;

// Wide enough to show `text` whole in the box's edit field at the box's font.
int ComboWidthFor(const QComboBox* box, const QString& text) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = true;
    option.rect = QRect(0, 0, 200, box->sizeHint().height());
    const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
    return option.rect.width() - field.width() + box->fontMetrics().horizontalAdvance(text) + kLineEditTextRoom;
}

int LineEditWidthFor(const QLineEdit* edit, const QString& text) {
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    return 2 * frame + edit->fontMetrics().horizontalAdvance(text) + kLineEditTextRoom;
}

int InsertionPointBeforeStretch(QHBoxLayout* bar) {
    for (int i = bar->count() - 1; i >= 0; --i)
        if (bar->itemAt(i)->spacerItem()) return i;
    return bar->count();
}

} // namespace

// --- units -------------------------------------------------------------------------------

namespace RulerUnits {
// Multiplying by 4 (exact) before dividing keeps whole results whole.
int PixelsOfPoints(double points) { return static_cast<int>(std::trunc(points * 4.0 / 3.0)); }
int PointsOfPixels(int pixels) { return static_cast<int>(std::trunc(pixels * 3.0 / 4.0)); }
} // namespace RulerUnits

// --- up-down buttons ---------------------------------------------------------------------

TUpDown::TUpDown(QWidget* parent, QLineEdit* associate, int min, int max)
    : QWidget(parent), FAssociate(associate), FMin(min), FMax(max), FPosition(min) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (const auto& [arrow, step] : {std::pair{Qt::UpArrow, 1}, std::pair{Qt::DownArrow, -1}}) {
        auto* button = new QToolButton(this);
        button->setObjectName(step > 0 ? "Up" : "Down");
        button->setArrowType(arrow);
        button->setFixedSize(15, 11);
        button->setAutoRepeat(true);
        connect(button, &QToolButton::clicked, this, [this, step = step] { Click(step); });
        column->addWidget(button);
    }
    setFixedSize(15, 22);
}

void TUpDown::SetPosition(int value) { FPosition = std::clamp(value, FMin, FMax); }

void TUpDown::Click(int step) {
    if (const auto shown = Platform::StrToInt32(FAssociate->text().toStdString())) SetPosition(*shown);
    SetPosition(FPosition + step);
    const QString stepped = QString::number(FPosition);
    if (stepped == FAssociate->text()) return; // at the end of the range
    FAssociate->setText(stepped);
    emit Stepped();
}

// --- construction ------------------------------------------------------------------------

TFormatting::TFormatting(QWidget* speedBar, QWidget* ruler, TRichEdit98* templateEditor, QWidget* dialogParent)
    : QObject(speedBar), Ruler(ruler), FEditor(templateEditor) {
    setObjectName("Formatting");
    auto* bar = qobject_cast<QHBoxLayout*>(speedBar->layout());
    if (!bar) bar = new QHBoxLayout(speedBar);
    BuildToolbar(bar, InsertionPointBeforeStretch(bar));
    BuildRuler();
    BuildDialogs(dialogParent);
}

QToolButton* TFormatting::AddToggle(QHBoxLayout* bar, int& at, const char* name, const QString& tooltip) {
    auto* button = new QToolButton(bar->parentWidget());
    button->setObjectName(name);
    button->setToolTip(tooltip);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFixedSize(kButtonSize, kButtonSize);
    bar->insertWidget(at++, button);
    return button;
}

void TFormatting::BuildToolbar(QHBoxLayout* bar, int at) {
    QWidget* owner = bar->parentWidget();

    FontName = new QComboBox(owner);
    FontName->setObjectName("FontName");
    FontName->setEditable(true);
    FontName->setInsertPolicy(QComboBox::NoInsert);
    FontName->setFixedWidth(std::max(131, ComboWidthFor(FontName, "Times New Roman")));
    bar->insertWidget(at++, FontName);
    // A typed name counts once it is an entry of the list (chosen, or completed by Enter).
    connect(FontName, &QComboBox::activated, this, Command(this, &TFormatting::FontNameChange));

    FontSize = new QLineEdit("0", owner);
    FontSize->setObjectName("FontSize");
    FontSize->setFixedWidth(std::max(31, LineEditWidthFor(FontSize, "100")));
    bar->insertWidget(at++, FontSize);
    UpDown1 = new TUpDown(owner, FontSize, 0, 100);
    UpDown1->setObjectName("UpDown1");
    bar->insertWidget(at++, UpDown1);
    // A typed size counts on Enter or when the box is left, never keystroke by
    // keystroke ("14" would first make the text 1 pt); a step counts at once.
    connect(FontSize, &QLineEdit::returnPressed, this, Command(this, &TFormatting::FontSizeChange));
    connect(UpDown1, &TUpDown::Stepped, this, Command(this, &TFormatting::FontSizeChange));
    FontSize->installEventFilter(this);

    struct TStyleButton {
        QToolButton*& button;
        const char* name;
        const char* tooltip;
        const char* glyph;
        void (TFormatting::*handler)();
    };
    const TStyleButton styleButtons[] = {
        {BoldButton, "BoldButton", "Bold", "B", &TFormatting::BoldButtonClick},
        {ItalicButton, "ItalicButton", "Italic", "I", &TFormatting::ItalicButtonClick},
        {UnderlineButton, "UnderlineButton", "Underline", "U", &TFormatting::UnderlineButtonClick},
    };
    for (const TStyleButton& b : styleButtons) {
        b.button = AddToggle(bar, at, b.name, b.tooltip);
        b.button->setText(b.glyph);
        connect(b.button, &QToolButton::clicked, this, Command(this, b.handler));
    }
    QFont glyph = BoldButton->font();
    glyph.setBold(true);
    BoldButton->setFont(glyph);
    glyph.setBold(false);
    glyph.setItalic(true);
    ItalicButton->setFont(glyph);
    glyph.setItalic(false);
    glyph.setUnderline(true);
    UnderlineButton->setFont(glyph);

    colorbutton = new QPushButton("Colour", owner);
    colorbutton->setObjectName("colorbutton");
    colorbutton->setToolTip("Select colour/color for selected text");
    colorbutton->setFixedHeight(kButtonSize);
    bar->insertWidget(at++, colorbutton);
    connect(colorbutton, &QPushButton::clicked, this, Command(this, &TFormatting::colorbuttonClick));
    Edit1 = new QLineEdit(owner);
    Edit1->setObjectName("Edit1");
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit1->setFixedSize(25, 21);
    bar->insertWidget(at++, Edit1);

    struct TAlignButton {
        QToolButton*& button;
        const char* name;
        const char* tooltip;
        int tag;
    };
    const TAlignButton alignButtons[] = {
        {LeftAlign, "LeftAlign", "Align Left", kAlignLeft},
        {CenterAlign, "CenterAlign", "Center", kAlignCenter},
        {RightAlign, "RightAlign", "Align Right", kAlignRight},
    };
    for (const TAlignButton& b : alignButtons) {
        QToolButton* button = b.button = AddToggle(bar, at, b.name, b.tooltip);
        button->setProperty("Tag", b.tag);
        button->setIcon(ParagraphIcon(b.tag));
        connect(button, &QToolButton::clicked, this, [this, button] {
            // One group that may be all up: pressing one releases the others.
            if (button->isChecked()) PressAlignment(button);
            RunCommand([this, button] { AlignButtonClick(button->property("Tag").toInt()); });
        });
    }

    BulletsButton = AddToggle(bar, at, "BulletsButton", "Bullets");
    BulletsButton->setIcon(ParagraphIcon(kAlignLeft, true));
    connect(BulletsButton, &QToolButton::clicked, this, Command(this, &TFormatting::BulletsButtonClick));
}

void TFormatting::BuildRuler() {
    QFont font("Arial");
    font.setPixelSize(11);
    Ruler->setFont(font);
    RulerFace = new TRulerCaption(Ruler);

    RulerLine = new QFrame(Ruler);
    RulerLine->setObjectName("RulerLine");
    RulerLine->setFrameShape(QFrame::HLine);
    RulerLine->setFrameShadow(QFrame::Sunken);
    RulerLine->setLineWidth(1);
    RulerLine->setGeometry(4, 12, std::max(0, Ruler->width() - 8), 2);

    FirstInd = new TRulerMarker(Ruler, "FirstInd", 234, TRulerMarker::mpDown, QRect(2, 2, 10, 9));
    LeftInd = new TRulerMarker(Ruler, "LeftInd", 233, TRulerMarker::mpUp, QRect(2, 12, 10, 11));
    RightInd = new TRulerMarker(Ruler, "RightInd", 241, TRulerMarker::mpUp, QRect(Ruler->width() - 14, 14, 9, 12));
    FRightIndRulerWidth = Ruler->width();
    for (TRulerMarker* marker : {FirstInd, LeftInd, RightInd}) marker->installEventFilter(this);
    Ruler->installEventFilter(this);
    RulerResize();
}

void TFormatting::BuildDialogs(QWidget* dialogParent) {
    CD = new QColorDialog(dialogParent);
    CD->setObjectName("CD");
    CD->setOption(QColorDialog::DontUseNativeDialog);
    FontDialog1 = new Dialogs::TFontColorDialog(dialogParent);
    FontDialog1->setObjectName("FontDialog1");
}

// --- operations --------------------------------------------------------------------------

TTextAttributes98& TFormatting::CurrentAttributes() {
    return FEditor->SelectionLength() >= 1 ? FEditor->SelectionAttributes() : FEditor->DefaultAttributes();
}

void TFormatting::FillFontList() {
    QStringList names = QFontDatabase::families();
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    const QString shown = FontName->currentText();
    FontName->addItems(names);
    FontName->setEditText(shown);
}

void TFormatting::BuildRulerTabs() { RulerFace->SetCaption(QString("\t|").repeated(kTabTicks)); }

void TFormatting::ApplyEditMargins() {
    // The client area: inside the frame, without the scroll bars that are shown.
    QSize client = FEditor->contentsRect().size();
    if (const QScrollBar* bar = FEditor->verticalScrollBar(); bar->isVisibleTo(FEditor))
        client.rwidth() -= bar->parentWidget()->width();
    if (const QScrollBar* bar = FEditor->horizontalScrollBar(); bar->isVisibleTo(FEditor))
        client.rheight() -= bar->parentWidget()->height();
    FEditor->SetFormattingRect(QRect(QPoint(kEditMargin, 0), QPoint(client.width() - kEditMargin, client.height())));
}

void TFormatting::RulerResize() {
    RulerLine->resize(std::max(0, Ruler->width() - 2 * RulerLine->x()), RulerLine->height());
    RulerFace->setGeometry(Ruler->rect());
    // The right marker stands at a distance from the right edge. The window's own
    // resize (which refreshes the ruler) can come before the ruler gets its new width,
    // as on the first showing; keep the distance when the width arrives later.
    RightInd->move(RightInd->x() + Ruler->width() - FRightIndRulerWidth, RightInd->y());
    FRightIndRulerWidth = Ruler->width();
}

// --- showing the template editor's state -------------------------------------------------

void TFormatting::SelectionChange() {
    struct TUpdating {
        bool& flag;
        explicit TUpdating(bool& f) : flag(f) { flag = true; }
        ~TUpdating() { flag = false; }
    } updating(UpdatingToolbar);

    ShowIndents();
    TTextAttributes98& selection = FEditor->SelectionAttributes();
    ShowStyle(selection.Style());
    BulletsButton->setChecked(FEditor->ParagraphAttributes().Numbering() != 0);
    FontSize->setText(QString::number(selection.Size()));
    FontName->setEditText(RichEditText::AnsiToUnicode(selection.Name(), FEditor->CodePage()));
    ShowAlignment(FEditor->ParagraphAttributes().Alignment());
}

void TFormatting::ShowIndents() {
    const TParaAttributes98& paragraph = FEditor->ParagraphAttributes();
    const double first = paragraph.FirstIndent();
    const double left = paragraph.LeftIndent();
    const double right = paragraph.RightIndent();
    FirstInd->move(RulerUnits::PixelsOfPoints(first) + 2, FirstInd->y());
    LeftInd->move(RulerUnits::PixelsOfPoints(first + left) + 2, LeftInd->y());
    RightInd->move(Ruler->width() - 6 - RulerUnits::PixelsOfPoints(right + 6), RightInd->y());
    FRightIndRulerWidth = Ruler->width();
}

void TFormatting::ShowStyle(unsigned style) {
    BoldButton->setChecked(style & fsBold);
    ItalicButton->setChecked(style & fsItalic);
    UnderlineButton->setChecked(style & fsUnderline);
}

void TFormatting::ShowAlignment(int alignment) {
    switch (alignment) {
    case kAlignLeft: PressAlignment(LeftAlign); break;
    case kAlignRight: PressAlignment(RightAlign); break;
    case kAlignCenter: PressAlignment(CenterAlign); break;
    default: break; // justified: no button stands for it, the buttons stay as they were
    }
}

void TFormatting::PressAlignment(QToolButton* pressed) {
    for (QToolButton* button : {LeftAlign, CenterAlign, RightAlign}) button->setChecked(button == pressed);
}

// --- toolbar handlers --------------------------------------------------------------------

void TFormatting::StyleButtonClick(QToolButton* button, unsigned bit) {
    if (UpdatingToolbar) return;
    TTextAttributes98& attributes = CurrentAttributes();
    TFontStyles style = attributes.Style();
    if (button->isChecked()) style |= bit;
    else style &= ~bit;
    attributes.SetStyle(style);
}

void TFormatting::BoldButtonClick() { StyleButtonClick(BoldButton, fsBold); }
void TFormatting::ItalicButtonClick() { StyleButtonClick(ItalicButton, fsItalic); }
void TFormatting::UnderlineButtonClick() { StyleButtonClick(UnderlineButton, fsUnderline); }

void TFormatting::FontNameChange() {
    if (UpdatingToolbar) return;
    const int index = FontName->currentIndex();
    if (index < 0) return; // typing: no entry chosen yet
    CurrentAttributes().SetName(RichEditText::UnicodeToAnsi(FontName->itemText(index), FEditor->CodePage()));
}

void TFormatting::FontSizeChange() {
    if (UpdatingToolbar) return;
    const std::string text = FontSize->text().toStdString();
    const auto size = Platform::StrToInt32(text);
    if (!size) throw Platform::EConvertError("'" + text + "' is not a valid integer value");
    CurrentAttributes().SetSize(*size);
    FontSize->setModified(false);
}

void TFormatting::FontSizeLeft() {
    if (!FontSize->isModified()) return;
    // Leaving the box is no place for an error box: a size that does not read goes back.
    if (Platform::StrToInt32(FontSize->text().toStdString())) FontSizeChange();
    else FontSize->setText(QString::number(CurrentAttributes().Size()));
}

void TFormatting::AlignButtonClick(int tag) {
    if (UpdatingToolbar) return;
    FEditor->ParagraphAttributes().SetAlignment(tag);
}

void TFormatting::BulletsButtonClick() {
    if (UpdatingToolbar) return;
    FEditor->ParagraphAttributes().SetNumbering(BulletsButton->isChecked() ? 1 : 0);
}

void TFormatting::colorbuttonClick() {
    if (CD->exec() != QDialog::Accepted) return;
    const QColor colour = CD->selectedColor();
    QPalette caption = colorbutton->palette();
    caption.setColor(QPalette::ButtonText, colour);
    colorbutton->setPalette(caption);
    QPalette swatch = Edit1->palette();
    swatch.setColor(QPalette::Base, colour);
    Edit1->setPalette(swatch);
    CurrentAttributes().SetColor(colour);
}

void TFormatting::SelectFont() {
    QFont font;
    const TTextAttributes98& shown = FEditor->SelectionAttributes();
    shown.AssignTo(font);
    FontDialog1->setCurrentFont(font);
    FontDialog1->SetColor(shown.Color());
    if (FontDialog1->exec() == QDialog::Accepted) CurrentAttributes().Assign(ChosenFormat(*FontDialog1));
    FEditor->SetFocus();
}

// The font and colour chosen, as the text attributes take them in one step.
QTextCharFormat TFormatting::ChosenFormat(const Dialogs::TFontColorDialog& dialog) {
    QTextCharFormat chosen;
    chosen.setFont(dialog.selectedFont());
    if (dialog.Color().isValid()) chosen.setForeground(dialog.Color());
    return chosen;
}

// --- ruler -------------------------------------------------------------------------------

void TFormatting::RulerItemMouseDown(QWidget* marker, Qt::MouseButton, Qt::KeyboardModifiers, int x, int) {
    RulerDragOffset = marker->width() / 2;
    marker->move(marker->x() + x - RulerDragOffset, marker->y());
    RulerDragging = true;
}

void TFormatting::RulerItemMouseMove(QWidget* marker, Qt::KeyboardModifiers, int x, int) {
    if (RulerDragging) marker->move(marker->x() + x - RulerDragOffset, marker->y());
}

void TFormatting::FirstIndMouseUp() {
    RulerDragging = false;
    // Writing the first indent is a change of the editor, whose change event redraws
    // the markers; the left indent is taken from where its marker stood before.
    const int leftShown = LeftInd->x();
    FEditor->ParagraphAttributes().SetFirstIndent(
        RulerUnits::PointsOfPixels(FirstInd->x() + RulerDragOffset - kEditMargin));
    LeftInd->move(leftShown, LeftInd->y());
    LeftIndMouseUp();
}

void TFormatting::LeftIndMouseUp() {
    RulerDragging = false;
    TParaAttributes98& paragraph = FEditor->ParagraphAttributes();
    paragraph.SetLeftIndent(RulerUnits::PointsOfPixels(LeftInd->x() + RulerDragOffset - kEditMargin) -
                            paragraph.FirstIndent());
    SelectionChange();
}

void TFormatting::RightIndMouseUp() {
    RulerDragging = false;
    FEditor->ParagraphAttributes().SetRightIndent(
        RulerUnits::PointsOfPixels(Ruler->width() - RightInd->x() + RulerDragOffset - 2) - 12);
    SelectionChange();
}

bool TFormatting::MarkerMouseEvent(TRulerMarker* marker, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // a quick second press still starts a drag
        RunCommand([&] { RulerItemMouseDown(marker, mouse->button(), mouse->modifiers(), at.x(), at.y()); });
        return true;
    case QEvent::MouseMove:
        RunCommand([&] { RulerItemMouseMove(marker, mouse->modifiers(), at.x(), at.y()); });
        return true;
    case QEvent::MouseButtonRelease:
        if (marker == FirstInd) RunCommand([this] { FirstIndMouseUp(); });
        else if (marker == LeftInd) RunCommand([this] { LeftIndMouseUp(); });
        else RunCommand([this] { RightIndMouseUp(); });
        return true;
    default: return false;
    }
}

bool TFormatting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FontSize) {
        // Another window or a menu taking the focus does not leave the box.
        if (event->type() != QEvent::FocusOut) return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            RunCommand([this] { FontSizeLeft(); });
        return false;
    }
    if (watched == Ruler) {
        if (event->type() == QEvent::Resize) RulerResize();
        return false;
    }
    for (TRulerMarker* marker : {FirstInd, LeftInd, RightInd})
        if (watched == marker) return MarkerMouseEvent(marker, event);
    return QObject::eventFilter(watched, event);
}
