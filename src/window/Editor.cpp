#include "window/Editor.h"

#include "window/CommandRunner.h"
#include "window/MainForm.h"
#include "dialogs/ProgramPictures.h"
#include "platform/FileNames.h"

#include <QApplication>

namespace {

// Last line of the error handler: an exception that escapes an event handler is
// shown and the program keeps running. Commands catch their own (RunCommand);
// this catches the rest.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const EAbort&) {
        } catch (const std::exception& e) {
            ShowException(e);
        }
        return false;
    }
};

} // namespace

int RunEditor(int& argc, char** argv, const char* fileName) {
    TApplication app(argc, argv);
    // The application title; no display name, so window titles stay exactly as set.
    QApplication::setApplicationName("Kelvora");
    QApplication::setWindowIcon(Dialogs::ProgramIcon()); // every window of the program
    TMainForm mainForm;
    mainForm.CreateHelpWindows();
    mainForm.resize(800, 600);
    mainForm.show();
    if (fileName) RunCommand([&] { mainForm.OpenDocument(Platform::FileNameFromNative(fileName)); });
    return app.exec();
}
