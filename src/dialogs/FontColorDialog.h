// The font dialog with a colour choice, as the system's font dialog has: a list of
// the sixteen basic colours in the Effects group (plus the current colour when it is
// none of them).
#pragma once
#include <QColor>
#include <QFontDialog>

class QComboBox;

namespace Dialogs {

class TFontColorDialog : public QFontDialog {
public:
    explicit TFontColorDialog(QWidget* parent = nullptr);

    // The colour shown; an invalid colour (the window's text colour) shows as Black.
    void SetColor(const QColor& color);
    // The colour chosen: the one given to SetColor until the user picks another.
    QColor Color() const;

private:
    QComboBox* FColorBox;
    QColor FGiven;
    int FGivenIndex = -1;
};

} // namespace Dialogs
