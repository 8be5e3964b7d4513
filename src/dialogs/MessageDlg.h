// The toolkit's standard message dialog: a message, a dialog type and a set of
// buttons; modal, centred on the screen, returning the pressed button's modal result.
#pragma once
#include <QString>
#include <initializer_list>

namespace Dialogs {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore };

// Modal results.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

// The buttons appear in the order of TMsgDlgBtn whatever the order given. Escape
// (and closing the window) answers Cancel, else No, else OK when the set has one.
int MessageDlg(const QString& message, TMsgDlgType type, std::initializer_list<TMsgDlgBtn> buttons, int helpContext);

// The confirmation with Yes, No and Cancel: mrYes, mrNo or mrCancel.
int MessageDlgYesNoCancel(const QString& message);

} // namespace Dialogs
