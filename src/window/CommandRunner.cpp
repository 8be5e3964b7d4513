#include "window/CommandRunner.h"

#include "dialogs/MessageDlg.h"
#include "platform/Cp1252.h"

#include <QString>

void ShowException(const std::exception& error) {
    Dialogs::MessageDlg(QString::fromStdString(Platform::AnyTextToUtf8(error.what())), Dialogs::mtError, {Dialogs::mbOK}, 0);
}

bool RunCommand(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        ShowException(e);
        return false;
    }
}
