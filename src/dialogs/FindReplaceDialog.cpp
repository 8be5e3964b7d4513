#include "dialogs/FindReplaceDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Dialogs {

namespace {

QPushButton* AddButton(QVBoxLayout* column, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    column->addWidget(button);
    return button;
}

} // namespace

TFindDialog::TFindDialog(QWidget* parent, bool withReplace) : QDialog(parent) {
    setObjectName(withReplace ? "ReplaceDialog" : "FindDialog");
    setWindowTitle(withReplace ? "Replace" : "Find");
    setModal(false);

    auto* fields = new QFormLayout;
    FFindEdit = new QLineEdit;
    FFindEdit->setObjectName("FindEdit");
    fields->addRow("Fi&nd what:", FFindEdit);
    if (withReplace) {
        FReplaceEdit = new QLineEdit;
        FReplaceEdit->setObjectName("ReplaceEdit");
        fields->addRow("Re&place with:", FReplaceEdit);
    }
    FWholeWord = new QCheckBox("Match &whole word only");
    FWholeWord->setObjectName("WholeWordBox");
    FMatchCase = new QCheckBox("Match &case");
    FMatchCase->setObjectName("MatchCaseBox");
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addWidget(FWholeWord);
    left->addWidget(FMatchCase);
    left->addStretch(1);

    auto* buttons = new QVBoxLayout;
    QPushButton* findNext = AddButton(buttons, "FindNextButton", "&Find Next");
    findNext->setDefault(true);
    connect(findNext, &QPushButton::clicked, this, [this] { Fire(OnFind); });
    if (withReplace) {
        connect(AddButton(buttons, "ReplaceButton", "&Replace"), &QPushButton::clicked, this, [this] {
            FReplaceAll = false;
            Fire(OnReplace);
        });
        connect(AddButton(buttons, "ReplaceAllButton", "Replace &All"), &QPushButton::clicked, this, [this] {
            FReplaceAll = true;
            Fire(OnReplace);
            FReplaceAll = false;
        });
    }
    connect(AddButton(buttons, "CancelButton", "Cancel"), &QPushButton::clicked, this, &QDialog::hide);
    buttons->addStretch(1);

    auto* row = new QHBoxLayout(this);
    row->addLayout(left, 1);
    row->addLayout(buttons);
}

QString TFindDialog::FindText() const { return FFindEdit->text(); }
void TFindDialog::SetFindText(const QString& text) { FFindEdit->setText(text); }
QString TFindDialog::ReplaceText() const { return FReplaceEdit ? FReplaceEdit->text() : QString(); }
bool TFindDialog::WholeWord() const { return FWholeWord->isChecked(); }
bool TFindDialog::MatchCase() const { return FMatchCase->isChecked(); }

void TFindDialog::Execute() {
    show();
    raise();
    activateWindow();
    FFindEdit->setFocus();
}

void TFindDialog::Fire(const std::function<void()>& event) {
    if (event) event();
}

} // namespace Dialogs
