// The formatting half of the main window's toolbar and the ruler below it. Both always
// describe and change the template editor: character formatting through its selection
// or default attributes, paragraph formatting and indents through its paragraph
// attributes. The toolbar is refreshed only when SelectionChange is called (the
// window calls it on every text change of the template editor, not on caret moves).
#pragma once
#include <QObject>
#include <QWidget>

class QColorDialog;
class QComboBox;
class QTextCharFormat;
namespace Dialogs {
class TFontColorDialog;
}
class QFrame;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QToolButton;
class TRichEdit98;
class TRulerCaption;
class TRulerMarker;
class TTextAttributes98;

// Up-down buttons attached to an edit box: a click reads the box's number (when it
// holds one), steps it within the range and writes it back as the box's text.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(QWidget* parent, QLineEdit* associate, int min, int max);

    int Position() const { return FPosition; }
    void SetPosition(int value);
    // One click on the upper (step +1) or lower (step -1) button.
    void Click(int step);

signals:
    // After a click has written a new number into the box.
    void Stepped();

private:
    QLineEdit* FAssociate;
    int FMin;
    int FMax;
    int FPosition;
};

// Pixel <-> point conversion of the ruler: factor 4/3, truncated towards zero.
namespace RulerUnits {
int PixelsOfPoints(double points);
int PointsOfPixels(int pixels);
} // namespace RulerUnits

class TFormatting : public QObject {
    Q_OBJECT
public:
    // Puts the formatting controls on the speed bar (before its final stretch) and
    // the markers on the ruler. Dialogs are owned by `dialogParent`.
    TFormatting(QWidget* speedBar, QWidget* ruler, TRichEdit98* templateEditor, QWidget* dialogParent);

    // --- toolbar controls ---------------------------------------------------------------
    QComboBox* FontName = nullptr;
    QLineEdit* FontSize = nullptr;
    TUpDown* UpDown1 = nullptr;
    QToolButton* BoldButton = nullptr;
    QToolButton* ItalicButton = nullptr;
    QToolButton* UnderlineButton = nullptr;
    QPushButton* colorbutton = nullptr;
    QLineEdit* Edit1 = nullptr; // colour swatch
    QToolButton* LeftAlign = nullptr;
    QToolButton* CenterAlign = nullptr;
    QToolButton* RightAlign = nullptr;
    QToolButton* BulletsButton = nullptr;

    // --- ruler --------------------------------------------------------------------------
    QWidget* Ruler = nullptr;
    TRulerCaption* RulerFace = nullptr;
    QFrame* RulerLine = nullptr;
    TRulerMarker* FirstInd = nullptr;
    TRulerMarker* LeftInd = nullptr;
    TRulerMarker* RightInd = nullptr;

    QColorDialog* CD = nullptr;
    Dialogs::TFontColorDialog* FontDialog1 = nullptr; // font and colour

    // --- state --------------------------------------------------------------------------
    // True while SelectionChange writes the toolbar; the toolbar's handlers then do nothing.
    bool UpdatingToolbar = false;
    // Half the width of the marker being dragged.
    int RulerDragOffset = 0;
    bool RulerDragging = false;

    // --- operations ---------------------------------------------------------------------
    // The selection's attributes when something is selected, else the default format.
    TTextAttributes98& CurrentAttributes();
    void FillFontList();
    void BuildRulerTabs();
    void ApplyEditMargins();

    // --- handlers -----------------------------------------------------------------------
    void SelectionChange();
    void BoldButtonClick();
    void ItalicButtonClick();
    void UnderlineButtonClick();
    void FontNameChange();
    // Throws Platform::EConvertError when the size box does not hold a whole number.
    void FontSizeChange();
    // The box lost the focus: a typed size is applied, one that does not read is undone.
    void FontSizeLeft();
    void AlignButtonClick(int tag);
    void BulletsButtonClick();
    void colorbuttonClick();
    void SelectFont();
    void RulerItemMouseDown(QWidget* marker, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void RulerItemMouseMove(QWidget* marker, Qt::KeyboardModifiers shift, int x, int y);
    void FirstIndMouseUp();
    void LeftIndMouseUp();
    void RightIndMouseUp();
    void RulerResize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolbar(QHBoxLayout* bar, int at);
    void BuildRuler();
    void BuildDialogs(QWidget* dialogParent);
    static QTextCharFormat ChosenFormat(const Dialogs::TFontColorDialog& dialog);
    QToolButton* AddToggle(QHBoxLayout* bar, int& at, const char* name, const QString& tooltip);
    void StyleButtonClick(QToolButton* button, unsigned bit);
    // Presses one button of the alignment group and releases the others.
    void PressAlignment(QToolButton* pressed);
    void ShowStyle(unsigned style);
    void ShowAlignment(int alignment);
    void ShowIndents();
    bool MarkerMouseEvent(TRulerMarker* marker, QEvent* event);

    TRichEdit98* FEditor;
    int FRightIndRulerWidth = 0; // the ruler width RightInd was placed against
};
