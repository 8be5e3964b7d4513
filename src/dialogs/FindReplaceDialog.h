// The toolkit's find and replace dialogs: modeless, they stay open beside the
// window and report Find Next, Replace and Replace All through their events.
#pragma once
#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Dialogs {

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    // With `withReplace` the dialog also has the replacement box and the Replace
    // and Replace All buttons.
    explicit TFindDialog(QWidget* parent, bool withReplace = false);

    QString FindText() const;
    void SetFindText(const QString& text);
    QString ReplaceText() const;
    bool WholeWord() const;
    bool MatchCase() const;
    // The search direction; both dialogs search down (no direction choice is shown).
    bool Down() const { return true; }
    // True during OnReplace when Replace All was pressed.
    bool ReplaceAllRequested() const { return FReplaceAll; }

    // Shows the dialog (again) without blocking the window.
    void Execute();

    std::function<void()> OnFind;
    std::function<void()> OnReplace;

private:
    void Fire(const std::function<void()>& event);

    QLineEdit* FFindEdit;
    QLineEdit* FReplaceEdit = nullptr;
    QCheckBox* FWholeWord;
    QCheckBox* FMatchCase;
    bool FReplaceAll = false;
};

} // namespace Dialogs
