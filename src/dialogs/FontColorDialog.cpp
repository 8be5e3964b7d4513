#include "dialogs/FontColorDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>

#include <iterator>

namespace Dialogs {

namespace {

struct TNamedColour {
    const char* name;
    QRgb rgb;
};

constexpr TNamedColour kBasicColours[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000}, {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080}, {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},    {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF}, {"White", 0xFFFFFF},
};

QIcon Swatch(const QColor& colour) {
    QPixmap swatch(24, 12);
    swatch.fill(colour);
    return QIcon(swatch);
}

void AddColour(QComboBox* box, const QString& name, const QColor& colour) {
    box->addItem(Swatch(colour), name, colour);
}

// The group that holds the effects check boxes, where the system dialog puts its colour list.
QGroupBox* EffectsGroup(QFontDialog& dialog) {
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        if (group->findChild<QCheckBox*>() && group->layout()) return group;
    return nullptr;
}

} // namespace

TFontColorDialog::TFontColorDialog(QWidget* parent) : QFontDialog(parent), FColorBox(new QComboBox(this)) {
    setOption(QFontDialog::DontUseNativeDialog);
    FColorBox->setObjectName("ColorBox");
    for (const TNamedColour& c : kBasicColours) AddColour(FColorBox, c.name, QColor(c.rgb));
    auto* label = new QLabel("&Color:", this);
    label->setBuddy(FColorBox);
    if (QGroupBox* effects = EffectsGroup(*this)) {
        effects->layout()->addWidget(label);
        effects->layout()->addWidget(FColorBox);
    } else if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(FColorBox, row, 1);
    }
}

void TFontColorDialog::SetColor(const QColor& color) {
    FGiven = color;
    const QColor shown = color.isValid() ? color : QColor(Qt::black);
    int index = FColorBox->findData(shown);
    if (index < 0) {
        // One place for a colour outside the list, the latest one given.
        if (FColorBox->count() > int(std::size(kBasicColours))) FColorBox->removeItem(FColorBox->count() - 1);
        AddColour(FColorBox, "Custom", shown);
        index = FColorBox->count() - 1;
    }
    FColorBox->setCurrentIndex(index);
    FGivenIndex = index;
}

QColor TFontColorDialog::Color() const {
    if (FColorBox->currentIndex() == FGivenIndex) return FGiven;
    return FColorBox->currentData().value<QColor>();
}

} // namespace Dialogs
