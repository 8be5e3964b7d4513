#include "window/MainForm.h"

#include "window/CommandRunner.h"
#include "window/Formatting.h"
#include "dialogs/FileTypeFilter.h"
#include "dialogs/FindReplaceDialog.h"
#include "dialogs/AboutBox.h"
#include "dialogs/CreditsForm.h"
#include "dialogs/HelpForm.h"
#include "dialogs/ProgramPictures.h"
#include "dialogs/TipDialog.h"
#include "dialogs/MRUFList.h"
#include "dialogs/OpenPreview.h"
#include "dialogs/XBaloon.h"
#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"
#include "text/TextFiles.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr const char* kApplicationTitle = "Kelvora";
constexpr int kHintInterval = 4000;

// The long hint is the part after "|"; a hint without "|" is both tooltip and long hint.
QString ShortHint(const QString& hint) { return hint.section('|', 0, 0); }
QString LongHint(const QString& hint) { return hint.contains('|') ? hint.section('|', 1) : hint; }

// A captioned button takes the room its longest caption needs at the current font
// (never less than a picture button's).
void FitToCaptions(QToolButton* button, const QStringList& captions) {
    const QString shown = button->text();
    QSize size = button->size();
    for (const QString& caption : captions) {
        button->setText(caption);
        size = size.expandedTo(button->sizeHint());
    }
    button->setText(shown);
    button->setFixedSize(size);
}

void SetPanelColour(QLabel* panel, const QColor& colour) {
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, colour);
    panel->setPalette(p);
}

// The tips of Help > Tip of the Day, as their author wrote them.
void SetUpTips(Dialogs::TTipDialog& tips) {
    tips.Tips = {
        "The main pupose of this programme is for lawyers and others to produce finished documents in a SIMPLE way. See the Document Assembly menu",
        "You can mostly import documents from your favourite word processor by copying to clipboard in your wp and pasting the clipboard into this programme. If this does not work then save the file with an RTF extension and read it into your WP programme.",
        "To get a feel for the capabilities of this programme use the document assembly menu to load and merge some of the samples provided.",
        "If you have a form that requires exact placement of information do not forget to enable this from the document assembly menu.",
        "To ensure exact placement on a form you can, in some instances, use a table in your template file and place variable markers within the cellsof the template file.",
        "You can use the mouse and the ruler at the top of the page to adjust margin settings for the document OR selected text",
        "Using the \"OLE\" Button you can insert spreadsheet tables in your document .",
        "If you choose the option of inserting a \"hard page\" or forced page break it is NOT VISIBLE in the main window but only in print preview.  Saving the file with such invisible page breaks is NOT RECOMMENDED. This pagebreak is not supported in Wordpad.",
        "Helpful hints show in the yellow bar at the bottom of your screen when the mouse is over some menu items.",
        "To close a file, simply execute the edit/new or the edit/open command.",
        "If you mistakenly do a global search and replace you can UNDO its effect by repeatedly pressing alt-backspace. ",
        "If you position the mouse over an \"@\" symbol in a template file and hold the left button, the appropriate heading from the loaded information file or a message that none is selected will be displayed. ",
        "If you insert a mathematical formula in one of the information fields in the .INF file it will be automatically calculated before insertion into the template.",
        "Shold you wish to adjust font size you can get an idea of what the changes might look like by holding down the left mouse button whilst turning the scroll wheel .Nothing to do with the author. Just a GOOD part of the rich text windows thing.",
    };
    tips.TipTitleFont = QFont("Arial");
    tips.TipTitleFont.setPixelSize(16);
    tips.TipTitleFont.setBold(true);
    tips.TipTitleFontColor = Qt::blue;
    tips.TipFont = QFont("MS Sans Serif");
    tips.TipFont.setPixelSize(11);
    tips.TipFontColor = QApplication::palette().color(QPalette::WindowText);
    tips.TipsLocation = Dialogs::locEmbeded;
    tips.RegistryRoot = Dialogs::LOCAL_MACHINE;
    tips.RegistryKey = "'Software\\MySoft\\MyApp\\Tips';";
    tips.ShowAtStartup = false;
    tips.Position = Dialogs::posScreenCenter;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainForm");
    setWindowIcon(Dialogs::ProgramIcon());
    BuildLayout();
    BuildMenus();
    BuildRecentFiles();
    FormCreate();
}

TMainForm::~TMainForm() { FormDestroy(); }

void TMainForm::FormDestroy() {
    // The recent-file lists are written now, where a failure can still be reported.
    for (Dialogs::TMRUFileList* list : {MRUFiles1, MRUFiles2}) {
        if (!list || !list->AutoSave()) continue;
        RunCommand([list] { list->SaveToStorage(); });
        list->SetAutoSave(false);
    }
    delete MRUFiles1;
    delete MRUFiles2;
    MRUFiles1 = MRUFiles2 = nullptr;
}

void TMainForm::BuildLayout() {
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    SpeedBar = new QWidget(client);
    SpeedBar->setObjectName("SpeedBar");
    SpeedBar->setFixedHeight(32);
    new QHBoxLayout(SpeedBar);
    SpeedBar->layout()->setContentsMargins(2, 2, 2, 2);
    SpeedBar->layout()->setSpacing(1);
    column->addWidget(SpeedBar);

    Ruler = new QWidget(client);
    Ruler->setObjectName("Ruler");
    Ruler->setFixedHeight(26);
    column->addWidget(Ruler);

    RichEditEx1 = new TRichEdit98(client);
    RichEditEx1->setObjectName("RichEditEx1");
    TRichEdit98::ConfigureAsTemplateEditor(*RichEditEx1);
    RichEditEx2 = new TRichEdit98(client);
    RichEditEx2->setObjectName("RichEditEx2");
    TRichEdit98::ConfigureAsInformationEditor(*RichEditEx2);
    column->addWidget(RichEditEx1, 1);
    column->addWidget(RichEditEx2, 1);

    StatusBar = new QStatusBar(client);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setFixedHeight(20);
    StatusBar->setSizeGripEnabled(false);
    column->addWidget(StatusBar);

    Hintpanel = new QLabel(client);
    Hintpanel->setObjectName("Hintpanel");
    Hintpanel->setFixedHeight(25);
    Hintpanel->setAutoFillBackground(true);
    Hintpanel->setFont(QFont("Times New Roman", -1, QFont::Bold));
    SetPanelColour(Hintpanel, QApplication::palette().color(QPalette::Button)); // the menu colour
    Hintpanel->hide();
    column->addWidget(Hintpanel);

    msgpanel1 = new QLabel("Please wait", client);
    msgpanel1->setObjectName("msgpanel1");
    msgpanel1->setGeometry(220, 220, 349, 25);
    msgpanel1->setAlignment(Qt::AlignCenter);
    msgpanel1->setAutoFillBackground(true);
    SetPanelColour(msgpanel1, QColor(0, 255, 0)); // lime
    QFont waitFont("Modern");
    waitFont.setPixelSize(19);
    waitFont.setBold(true);
    msgpanel1->setFont(waitFont);
    msgpanel1->hide();

    setCentralWidget(client);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kHintInterval);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    OpenPreviewDialog1 = new Dialogs::TOpenPreviewDialog(this);
    OpenPreviewDialog1->setObjectName("OpenPreviewDialog1");
    OpenPreviewDialog1->Titles = QStringList{"Default="};
    OpenPreviewDialog1->SetShowPreview(true);
    OpenPreviewDialog1->SetWordWrapAndScale(false);

    SaveDialog = new QFileDialog(this);
    SaveDialog->setObjectName("SaveDialog");
    SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
    SaveDialog->setOption(QFileDialog::DontConfirmOverwrite); // the commands ask themselves
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    Dialogs::SetFileTypes(SaveDialog, {"Rich Text Files (*.RTF)", "Text Files (*.TXT)", "Html File(*.htm,*.html)"});

    FindDialog1 = new Dialogs::TFindDialog(this);
    FindDialog1->setObjectName("FindDialog1");
    FindDialog1->OnFind = [this] { RunCommand([this] { FindDialog1Find(); }); };
    ReplaceDialog1 = new Dialogs::TFindDialog(this, true);
    ReplaceDialog1->setObjectName("ReplaceDialog1");
    ReplaceDialog1->OnFind = [this] { RunCommand([this] { replaceDialog1Find(); }); };
    ReplaceDialog1->OnReplace = [this] { RunCommand([this] { ReplaceDialog1Replace(); }); };

    XBaloon1 = new Dialogs::TXBaloon(this);
    XBaloon1->setObjectName("XBaloon1");

    TipDialog1 = new Dialogs::TTipDialog(this);
    TipDialog1->setObjectName("TipDialog1");
    SetUpTips(*TipDialog1);

    FRichPrinter1 = std::make_unique<TRichPrinter>();
    RichPrinter1 = FRichPrinter1.get();
    TRichPrinter::ConfigureAsRichPrinter1(*RichPrinter1);

    for (TRichEdit98* editor : {RichEditEx1, RichEditEx2}) editor->installEventFilter(this);
}

QAction* TMainForm::AddItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut,
                            const QString& hint, void (TMainForm::*handler)()) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setShortcut(shortcut);
    item->setStatusTip(hint);
    if (handler) connect(item, &QAction::triggered, this, [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
    else item->setEnabled(false); // its command comes with printing, help or formatting
    return item;
}

QToolButton* TMainForm::AddButton(const char* name, const QString& hint, void (TMainForm::*handler)(),
                                  const QIcon& icon, const QString& caption) {
    auto* button = new QToolButton(SpeedBar);
    button->setObjectName(name);
    button->setFixedSize(25, 25);
    button->setIcon(icon);
    if (!icon.isNull()) {
        button->setIconSize(QSize(25, 25)); // the pictures are drawn for exactly this size
        button->setAutoRaise(true);
    }
    button->setText(caption);
    if (!caption.isEmpty()) {
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        FitToCaptions(button, {caption});
    }
    button->setToolTip(ShortHint(hint));
    button->setStatusTip(LongHint(hint));
    if (handler) connect(button, &QToolButton::clicked, this, [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
    else button->setEnabled(false);
    SpeedBar->layout()->addWidget(button);
    return button;
}

void TMainForm::BuildMenus() {
    BuildFileMenu();
    BuildEditMenu();
    BuildAssemblyMenu();
    Window1 = menuBar()->addMenu("Window");
    Window1->setObjectName("Window1");
    // Toggle Windows owns Ctrl+W; Switch shows the same key without competing for it.
    AddItem(Window1, "Switch1", "Switch\tCtrl+W", {}, {}, &TMainForm::T1Click);
    BuildHelpMenu();
    BuildSpeedBar();
}

void TMainForm::BuildFileMenu() {
    FileMenu = menuBar()->addMenu("&File");
    FileMenu->setObjectName("FileMenu");
    AddItem(FileMenu, "FileNewItem", "&New", {}, "Create a new file", &TMainForm::FileNew);
    AddItem(FileMenu, "FileOpenItem", "&Open...", QKeySequence("Ctrl+O"),
            "Open an existing file. This will bring up the close dialog in respect of any file already in the window",
            &TMainForm::FileOpen);
    AddItem(FileMenu, "FileSaveItem", "&Save", QKeySequence("Ctrl+S"),
            "Save Current File . Take care to NOT overwite a template file and DO keep backup copies of all template "
            "and information files",
            &TMainForm::FileSave);
    AddItem(FileMenu, "FileSaveAsItem", "Save &As...", {},
            "Save current file under a new name.  If you specify HTM or HTML as extension it will be saved as such..",
            &TMainForm::FileSaveAs);
    FileMenu->addSeparator()->setObjectName("N1");
    AddItem(FileMenu, "pageDialog1", "page&Dialog", {}, "Use this to adjust portrait/landscape, paper size etc.",
            &TMainForm::pageDialog1Click);
    AddItem(FileMenu, "PrintPreview1", "PrintPre&view", QKeySequence("Ctrl+Alt+V"), {}, &TMainForm::PrintPreviewbuttonClick);
    AddItem(FileMenu, "FilePrintItem", "&Print", QKeySequence("Ctrl+P"), "Print current file", &TMainForm::FilePrint);
    FileMenu->addSeparator()->setObjectName("N4");
    AddItem(FileMenu, "FileExitItem", "E&xit", {}, "Exit this application", &TMainForm::FileExit);
}

void TMainForm::BuildEditMenu() {
    EditMenu = menuBar()->addMenu("&Edit");
    EditMenu->setObjectName("EditMenu");
    AddItem(EditMenu, "EditUndoItem", "&Undo", {}, "Undo the last action", &TMainForm::EditUndo);
    AddItem(EditMenu, "Redo1", "R&edo", {}, "Undo the last undo", &TMainForm::Redo1Click);
    EditMenu->addSeparator()->setObjectName("N2");
    AddItem(EditMenu, "EditCutItem", "Cu&t", QKeySequence("Ctrl+X"), "Delete selected item to the clipboard",
            &TMainForm::EditCut);
    AddItem(EditMenu, "EditCopyItem", "&Copy", QKeySequence("Ctrl+C"), "Copy selected item to clipboard",
            &TMainForm::EditCopy);
    AddItem(EditMenu, "EditPasteItem", "&Paste", QKeySequence("Shift+Ins"), "Paste contents of clipboard",
            &TMainForm::EditPaste);
    EditMenu->addSeparator()->setObjectName("N5");
    AddItem(EditMenu, "F1", "&Find", QKeySequence("Ctrl+F"), {}, &TMainForm::F1Click);
    AddItem(EditMenu, "R1", "&Replace", QKeySequence("Ctrl+H"), {}, &TMainForm::R1Click);
    AddItem(EditMenu, "miEditFont", "&Font...", {}, {}, &TMainForm::SelectFont);
    AddItem(EditMenu, "Mathcalculate1", "Math calculate", QKeySequence("Ctrl+Alt+M"),
            "calculates a maths expression and replaces", &TMainForm::Mathcalculate1Click);
    AddItem(EditMenu, "Insertpagebreak1", "Insert Blank lines", QKeySequence("Ctrl+Alt+I"),
            "This INSERTS 10 blank lines as an aid to formatting.", &TMainForm::Insertpagebreak1Click);
    AddItem(EditMenu, "Insertnonvisiblepagebreak1", "Insert page break", QKeySequence("Ctrl+Alt+P"),
            "This inserts an INVISIBLE page break. You can see it in print preview but NOT in the editing screen.",
            &TMainForm::Insertnonvisiblepagebreak1Click);
    AddItem(EditMenu, "Selectall2", "&Select all", QKeySequence("Ctrl+A"), {}, &TMainForm::Selectall1Click);
    AddItem(EditMenu, "T1", "&Toggle Windows", QKeySequence("Ctrl+W"), "Switch  acive window", &TMainForm::T1Click);
}

void TMainForm::BuildAssemblyMenu() {
    DocumentAssembly1 = menuBar()->addMenu("Document Assembly");
    DocumentAssembly1->setObjectName("DocumentAssembly1");
    AddItem(DocumentAssembly1, "EditInformationFile1", "Edit/Select Information File", {},
            "Check or edit and save the Information File to be used in a merge. All information files must end with "
            "a .INF extension.",
            &TMainForm::EditInformationFile1Click);
    DocumentAssembly1->addSeparator();
    AddItem(DocumentAssembly1, "EditTemplateFile1", "Edit/Select Template File", {},
            "Check or Edit the Template File to be used in the merge. Remember that ALL FORMATTING is done in the "
            "Template. These files must end with a .TEM extension",
            &TMainForm::EditTemplateFile1Click);
    DocumentAssembly1->addSeparator();
    AddItem(DocumentAssembly1, "DoIt1", "Do It", QKeySequence("Ctrl+D"),
            "Peform the merge. If EXACT placement of items on the form is required then remember to check the "
            "Insert/Overwrite item",
            &TMainForm::DoIt1Click);
    ToggleInsOverwrite1 = AddItem(DocumentAssembly1, "ToggleInsOverwrite1", "Toggle Ins/Overwrite",
                                  QKeySequence("Ctrl+T"),
                                  "Toggle Insert/overwrite for the merge. This needs to be ON when items must be placed "
                                  "exactly on a  line, especially if there are several on one line.",
                                  &TMainForm::ToggleInsOverwrite1Click);
    ToggleInsOverwrite1->setCheckable(true);
    AddItem(DocumentAssembly1, "CheckMarkers1", "Check Markers", QKeySequence("Ctrl+K"),
            "List every problem the merge would meet: markers without a value, markers split by formatting, "
            "information no marker uses. Double-click a line to see its place. The template is not changed.",
            &TMainForm::CheckMarkers1Click);
}

void TMainForm::BuildHelpMenu() {
    Help1 = menuBar()->addMenu("Help");
    Help1->setObjectName("Help1");
    AddItem(Help1, "G1", "Contents", {}, {}, &TMainForm::G1Click);
    AddItem(Help1, "TipoftheDay2", "Tip of the Day", {}, {}, &TMainForm::TipoftheDay2Click);
    AddItem(Help1, "Credits1", "Credits", {}, "Just some of the people who made this possible", &TMainForm::Credits1Click);
    AddItem(Help1, "About1", "About", {}, {}, &TMainForm::About1Click);
    AddItem(Help1, "checkwebpagefornewversion", "Check web page for new version", {},
            "Checls author's  Kelvora homepage for new version.  You control download",
            &TMainForm::checkwebpagefornewversionClick);
}

void TMainForm::BuildSpeedBar() {
    using Dialogs::ToolbarIcon;
    AddButton("OpenButton", "Open|", &TMainForm::FileOpen, ToolbarIcon("open"));
    AddButton("SaveButton", "Save|", &TMainForm::FileSave, ToolbarIcon("save"));
    AddButton("PrintButton", "Print|", &TMainForm::FilePrint, ToolbarIcon("print"));
    AddButton("SpeedButton2", "page Dialog", &TMainForm::SpeedButton2Click, ToolbarIcon("pagedialog"));
    AddButton("SpeedButton1", "Print preview", &TMainForm::SpeedButton1Click, ToolbarIcon("preview"));
    AddButton("UndoButton", "Undo|", &TMainForm::EditUndo, ToolbarIcon("undo"));
    AddButton("CutButton", "Cut|", &TMainForm::EditCut, ToolbarIcon("cut"));
    AddButton("CopyButton", "Copy|", &TMainForm::EditCopy, ToolbarIcon("copy"));
    AddButton("PasteButton", "Paste|", &TMainForm::EditPaste, ToolbarIcon("paste"));
    AddButton("SpeedButton3", "Use this  to insert an object\r\nsuch as portion of a spreadsheet\r\n",
              &TMainForm::SpeedButton3Click, {}, "OLE");
    CRLFButton = AddButton("CRLFButton",
                           "Toggles visible line endings on and off.\r\nThis is a must have aid to debugging a \r\n"
                           "merge that is not working.",
                           &TMainForm::CRLFButtonClick, {}, "Show \u00B6");
    FitToCaptions(CRLFButton, {"Show \u00B6", "Hide \u00B6"});
    static_cast<QHBoxLayout*>(SpeedBar->layout())->addStretch(1);
    Formatting = new TFormatting(SpeedBar, Ruler, RichEditEx1, this);
    // A large font makes the controls taller than the bar was drawn for.
    SpeedBar->setFixedHeight(std::max(SpeedBar->height(), SpeedBar->layout()->sizeHint().height()));
}

void TMainForm::BuildRecentFiles() {
    auto makeList = [this](const char* name, const char* menuItem, const QString& key,
                           void (TMainForm::*handler)(QObject*, const QString&)) {
        auto* list = new Dialogs::TMRUFileList(this);
        list->setObjectName(name);
        list->SetUseSubmenu(true);
        list->SetInsertSeparator(false);
        list->SetSubmenuName("Recent Files");
        list->SetUseRegistry(true);
        list->SetAutoSaveName("\\Software\\My Application");
        list->SetAutoSaveKey(key);
        list->OnMRUItemClick = [this, handler](QObject* sender, const QString& fileName) {
            RunCommand([&] { (this->*handler)(sender, fileName); });
        };
        list->SetFileMenu(findChild<QAction*>(menuItem));
        list->Loaded();
        return list;
    };
    MRUFiles1 = makeList("MRUFiles1", "EditInformationFile1", "MRU Items", &TMainForm::MRUFiles1MRUItemClick);
    MRUFiles2 = makeList("MRUFiles2", "EditTemplateFile1", "MRU Items2", &TMainForm::MRUFiles2MRUItemClick);
}

void TMainForm::FormCreate() {
    const QString programDir = QCoreApplication::applicationDirPath() + "/";
    OpenPreviewDialog1->setDirectory(programDir);
    SaveDialog->setDirectory(programDir);
    SetDocumentTitle("untitled");
    Formatting->FillFontList();
    Formatting->BuildRulerTabs();
    Formatting->SelectionChange();
    // The toolbar follows text changes of the template editor, not caret moves.
    RichEditEx1->OnChange = [this](TCustomRichEdit98*) { RunCommand([this] { Formatting->SelectionChange(); }); };
    RichEditEx1->OnMouseDown = [this](TCustomRichEdit98*, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
        RunCommand([this, button] { RichEditEx1MouseDown(button); });
    };
    PilcrowsShown = false;
    CRLFButton->setText("Show \u00B6");
    RichEditEx2->hide();
    RichEditEx1->show();
    RichEditEx1->setFocus();
}

// --- editor choice and title ---------------------------------------------------------

TRichEdit98* TMainForm::CurrentEditor() const {
    return RichEditEx2->hasFocus() || RichEditEx2->isVisibleTo(this) ? RichEditEx2 : RichEditEx1;
}

TRichEdit98* TMainForm::TemplateFirstEditor() const {
    const bool chosen = focusWidget() == RichEditEx1 || RichEditEx1->hasFocus() || RichEditEx1->isVisibleTo(this);
    return chosen ? RichEditEx1 : RichEditEx2;
}

void TMainForm::SetDocumentTitle(const QString& name) {
    CurrentFileName = name;
    setWindowTitle(QString("%1 - %2").arg(QFileInfo(name).fileName(), kApplicationTitle));
}

void TMainForm::ShowOnly(TRichEdit98* editor) {
    TRichEdit98* other = editor == RichEditEx1 ? RichEditEx2 : RichEditEx1;
    other->hide();
    editor->show();
}

// --- hints ---------------------------------------------------------------------------

void TMainForm::showhint(const QString& longHint) {
    SetPanelColour(Hintpanel, Qt::yellow);
    Hintpanel->setText(longHint);
    Hintpanel->show();
    Timer1->start();
}

void TMainForm::Timer1Timer() {
    Hintpanel->setText(QString());
    SetPanelColour(Hintpanel, QApplication::palette().color(QPalette::Button));
    Timer1->stop();
}

bool TMainForm::event(QEvent* e) {
    // Long hints go to the hint panel; the status bar is never written.
    if (e->type() == QEvent::StatusTip) {
        showhint(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

QAction* TMainForm::CommandOfKey(const QKeyEvent* event) const {
    const QKeySequence pressed(event->keyCombination());
    for (QAction* action : findChildren<QAction*>())
        if (!action->shortcut().isEmpty() && action->shortcut() == pressed) return action;
    return nullptr;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e) {
    // No command's key reaches the editors, which would take some for their own
    // bindings (X11: Ctrl+K deletes to the end of the line, Ctrl+D a character). The
    // shortcut decides; a key whose shortcut did not fire (the window was not active
    // yet, as after a modal dialog) runs its command here.
    if (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) {
        if (QAction* command = CommandOfKey(static_cast<QKeyEvent*>(e))) {
            if (e->type() == QEvent::ShortcutOverride) {
                e->ignore();
            } else {
                e->accept();
                if (command->isEnabled()) command->trigger();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// --- commands disabled while a merge yields to the message loop ----------------------

void TMainForm::SetCommandsEnabled(bool enabled) {
    if (!enabled) {
        for (QAction* action : findChildren<QAction*>())
            if (action->isEnabled()) {
                FHeldActions.append(action);
                action->setEnabled(false);
            }
    } else {
        for (QAction* action : std::as_const(FHeldActions)) action->setEnabled(true);
        FHeldActions.clear();
    }
    for (QWidget* w : {SpeedBar, Ruler, static_cast<QWidget*>(RichEditEx1), static_cast<QWidget*>(RichEditEx2)})
        w->setEnabled(enabled);
}

void TMainForm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (!Formatting) return;
    Formatting->ApplyEditMargins();
    RunCommand([this] { Formatting->SelectionChange(); });
}

void TMainForm::SelectFont() { Formatting->SelectFont(); }

void TMainForm::closeEvent(QCloseEvent* e) {
    // FormCloseQuery: refuse while a merge runs, on Cancel, or when saving fails.
    if (FMerging) {
        e->ignore();
        return;
    }
    const bool mayClose = RunCommand([this] { CheckSaveChanges(); });
    if (mayClose) e->accept();
    else e->ignore();
}

void TMainForm::checkwebpagefornewversionClick() {
    // Shown and waited for; whether it started is not reported.
    RunProgram("update.exe", false, true);
}

// --- help menu -----------------------------------------------------------------------

void TMainForm::CreateHelpWindows() {
    if (!Form1) {
        Form1 = std::make_unique<Dialogs::TForm1>();
        Form1->OnError = [](const std::exception& e) { ShowException(e); };
        // Closing the main window ends the program even while help is open.
        Form1->setAttribute(Qt::WA_QuitOnClose, false);
    }
    if (!Form2) {
        Form2 = std::make_unique<Dialogs::TForm2>();
        Form2->setAttribute(Qt::WA_QuitOnClose, false);
    }
}

void TMainForm::G1Click() {
    CreateHelpWindows();
    Form1->show();
    Form1->raise();
    Form1->activateWindow();
}

void TMainForm::Credits1Click() {
    CreateHelpWindows();
    Form2->exec();
}

void TMainForm::About1Click() {
    // Created for this showing and freed after it, also when showing fails.
    const std::unique_ptr<Dialogs::TAboutBox> box = std::make_unique<Dialogs::TAboutBox>(this);
    box->exec();
}

void TMainForm::TipoftheDay2Click() {
    TipDialog1->RandomTips = false;
    TipDialog1->Execute();
}
