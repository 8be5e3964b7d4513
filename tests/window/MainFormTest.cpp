// The main window driven as a user drives it: menu commands, file dialogs, messages.
#include "ModalAnswer.h"

#include "rtf/RtfReader.h"
#include "window/CheckMarkersDialog.h"
#include "window/Formatting.h"
#include "window/RulerMarkers.h"
#include "window/MainForm.h"
#include "dialogs/AboutBox.h"
#include "dialogs/CreditsForm.h"
#include "dialogs/HelpForm.h"
#include "dialogs/TipDialog.h"
#include "dialogs/MRUFList.h"
#include "dialogs/OpenPreview.h"
#include "platform/Registry.h"
#include "richedit/RichEdit98.h"
#include "text/TextFiles.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path()); // the scratch files land here
        Platform::Registry().DeleteKey("\\Software\\My Application"); // no recent files yet
        form = std::make_unique<TMainForm>();
        form->show();
    }
    void TearDown() override {
        form.reset();
        QDir::setCurrent(previous);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    void Trigger(const char* name) {
        QAction* action = form->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    // Selects the information and template files through their menu commands.
    void SelectFiles(const QByteArray& info, const QByteArray& templ) {
        WriteFile(Path("case.inf"), info);
        WriteFile(Path("case.tem"), templ);
        ChooseInNextFileDialog(Path("case.inf"));
        QString warning = "none";
        if (info.count('\n') % 2) PressInNextModal("button1", &warning);
        Trigger("EditInformationFile1");
        ChooseInNextFileDialog(Path("case.tem"));
        Trigger("EditTemplateFile1");
    }

    // The "Recent Files" submenu just above the menu item, if there is one.
    QMenu* RecentFiles(const char* item) const {
        const QList<QAction*> entries = form->DocumentAssembly1->actions();
        const qsizetype at = entries.indexOf(form->findChild<QAction*>(item));
        if (at < 1 || entries[at - 1]->text() != "Recent Files") return nullptr;
        return entries[at - 1]->menu();
    }
    QStringList Captions(const QMenu* menu) const {
        QStringList out;
        for (const QAction* a : menu->actions()) out << (a->isSeparator() ? QString("-") : a->text());
        return out;
    }

    QTemporaryDir dir;
    QString previous;
    std::unique_ptr<TMainForm> form;
};

TEST_F(MainFormTest, StartsUntitledWithTheTemplateEditorShown) {
    EXPECT_EQ(form->windowTitle(), "untitled - Kelvora");
    EXPECT_EQ(form->CurrentFileName, "untitled");
    EXPECT_TRUE(form->RichEditEx1->isVisible());
    EXPECT_FALSE(form->RichEditEx2->isVisible());
    EXPECT_FALSE(form->msgpanel1->isVisible());
    EXPECT_EQ(form->msgpanel1->text(), "Please wait");
    EXPECT_FALSE(form->Hintpanel->isVisible());
    EXPECT_EQ(form->findChild<QToolButton*>("CRLFButton")->text(), "Show \u00B6");
}

TEST_F(MainFormTest, MenusHoldTheirItemsInOrder) {
    QStringList menus;
    for (QAction* a : form->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "Document Assembly", "Window", "Help"}));
    struct Item { const char* name; const char* caption; const char* shortcut; };
    const Item items[] = {
        {"FileOpenItem", "&Open...", "Ctrl+O"},       {"FileSaveItem", "&Save", "Ctrl+S"},
        {"PrintPreview1", "PrintPre&view", "Ctrl+Alt+V"}, {"FilePrintItem", "&Print", "Ctrl+P"},
        {"EditCutItem", "Cu&t", "Ctrl+X"},            {"EditPasteItem", "&Paste", "Shift+Ins"},
        {"F1", "&Find", "Ctrl+F"},                    {"R1", "&Replace", "Ctrl+H"},
        {"Mathcalculate1", "Math calculate", "Ctrl+Alt+M"}, {"Insertpagebreak1", "Insert Blank lines", "Ctrl+Alt+I"},
        {"Insertnonvisiblepagebreak1", "Insert page break", "Ctrl+Alt+P"}, {"Selectall2", "&Select all", "Ctrl+A"},
        {"T1", "&Toggle Windows", "Ctrl+W"},          {"DoIt1", "Do It", "Ctrl+D"},
        {"ToggleInsOverwrite1", "Toggle Ins/Overwrite", "Ctrl+T"}, {"FileNewItem", "&New", ""},
        {"CheckMarkers1", "Check Markers", "Ctrl+K"},
        {"checkwebpagefornewversion", "Check web page for new version", ""},
    };
    for (const Item& item : items) {
        QAction* a = form->findChild<QAction*>(item.name);
        ASSERT_NE(a, nullptr) << item.name;
        EXPECT_EQ(a->text(), item.caption) << item.name;
        EXPECT_EQ(a->shortcut().toString(), item.shortcut) << item.name;
    }
    EXPECT_EQ(form->findChild<QAction*>("FileExitItem")->statusTip(), "Exit this application");
    EXPECT_EQ(form->findChild<QToolButton*>("OpenButton")->toolTip(), "Open");
    EXPECT_EQ(form->findChild<QToolButton*>("SpeedButton1")->toolTip(), "Print preview");
}

TEST_F(MainFormTest, CheckMarkersListsFindingsAndShowsTheirPlace) {
    EXPECT_EQ(form->DocumentAssembly1->actions().last()->objectName(), "CheckMarkers1");
    const QByteArray templ = "{\\rtf1\\ansi Dear @1,\\par Fee: @{\\b 2} and @7\\par Regards @1\\par}\r\n";
    SelectFiles("Client\nMr J. Brown\nFee\n150*2\nTime\n1/2 day\n", templ);
    const QString shown = form->RichEditEx1->document()->toRawText();
    Trigger("CheckMarkers1");
    auto* dialog = form->findChild<TCheckMarkersDialog*>("CheckMarkersDialog1");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->Summary->text().startsWith("The merge would stop at @{."));
    QTreeWidget* list = dialog->Findings;
    ASSERT_EQ(list->topLevelItemCount(), 5); // problems first, then the unused pair, then replacements
    EXPECT_EQ(list->topLevelItem(0)->text(1), "split by formatting: meant @2");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "@7");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "missing value");
    EXPECT_EQ(list->topLevelItem(1)->text(2), "no line 14 in the information file");
    EXPECT_EQ(list->topLevelItem(2)->text(2), "line 5: Time = 1/2 day");
    EXPECT_EQ(list->topLevelItem(4)->text(2), "line 1: Client = Mr J. Brown");

    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    auto doubleClick = [&](int row) {
        const QRect r = list->visualItemRect(list->topLevelItem(row));
        ASSERT_TRUE(r.isValid()) << row;
        // A person's double click: press, release, then the second press arrives as a double click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    };
    doubleClick(0);
    EXPECT_TRUE(form->RichEditEx1->isVisible());
    EXPECT_EQ(form->RichEditEx1->SelectedText(), "@2");
    EXPECT_EQ(form->RichEditEx1->SelectionStart(), shown.indexOf("@2"));
    doubleClick(1);
    EXPECT_EQ(form->RichEditEx1->SelectedText(), "@7");
    doubleClick(4); // the second "@1", not the first
    EXPECT_EQ(form->RichEditEx1->SelectionStart(), shown.indexOf("Regards @1") + 8);
    doubleClick(2); // an unused pair: its heading in the information editor
    EXPECT_TRUE(form->RichEditEx2->isVisible());
    EXPECT_EQ(form->RichEditEx2->SelectedText(), "Time");

    // The check reads and changes nothing else.
    EXPECT_EQ(ReadFile(Path("case.tem")), templ);
    EXPECT_EQ(form->RichEditEx1->document()->toRawText(), shown);
    EXPECT_FALSE(form->RichEditEx1->Modified());
    EXPECT_FALSE(QFile::exists(Path("debug.rtf")));
}

TEST_F(MainFormTest, HintPanelShowsLongHintsForFourSeconds) {
    form->showhint("Create a new file");
    EXPECT_TRUE(form->Hintpanel->isVisible());
    EXPECT_EQ(form->Hintpanel->text(), "Create a new file");
    EXPECT_EQ(form->Hintpanel->palette().color(QPalette::Window), QColor(Qt::yellow));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 4000);
    form->Timer1Timer();
    EXPECT_EQ(form->Hintpanel->text(), "");
    EXPECT_TRUE(form->Hintpanel->isVisible());
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(MainFormTest, EditorChoiceFollowsTheShownEditor) {
    EXPECT_EQ(form->CurrentEditor(), form->RichEditEx1);
    EXPECT_EQ(form->TemplateFirstEditor(), form->RichEditEx1);
    Trigger("T1");
    EXPECT_TRUE(form->RichEditEx2->isVisible());
    EXPECT_FALSE(form->RichEditEx1->isVisible());
    EXPECT_EQ(form->CurrentEditor(), form->RichEditEx2);
    EXPECT_EQ(form->TemplateFirstEditor(), form->RichEditEx2);
    Trigger("T1");
    EXPECT_EQ(form->CurrentEditor(), form->RichEditEx1);
}

// The captioned controls of the toolbar show their whole text at the desktop's font
// and at twice its size.
TEST_F(MainFormTest, ToolbarCaptionsReadWholeAtScaleOneAndTwo) {
    const QFont desktop = QApplication::font();
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        QFont font = desktop;
        if (desktop.pointSizeF() > 0) font.setPointSizeF(desktop.pointSizeF() * scale);
        else font.setPixelSize(desktop.pixelSize() * scale);
        QApplication::setFont(font);
        TMainForm scaled;
        scaled.resize(1200, 600);
        scaled.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&scaled));
        auto expectWhole = [](QWidget* control, const QString& caption) {
            const QSize needed = control->sizeHint();
            EXPECT_GE(control->width(), needed.width()) << caption.toStdString();
            EXPECT_GE(control->height(), needed.height()) << caption.toStdString();
            EXPECT_GE(control->width(), control->fontMetrics().horizontalAdvance(caption)) << caption.toStdString();
        };
        expectWhole(scaled.findChild<QToolButton*>("SpeedButton3"), "OLE");
        expectWhole(scaled.CRLFButton, "Show \u00B6");
        scaled.CRLFButton->click();
        ASSERT_EQ(scaled.CRLFButton->text(), "Hide \u00B6");
        expectWhole(scaled.CRLFButton, "Hide \u00B6");
        QLineEdit* name = scaled.Formatting->FontName->lineEdit();
        EXPECT_GE(name->width(), name->fontMetrics().horizontalAdvance("Times New Roman") + 4);
        QLineEdit* size = scaled.Formatting->FontSize;
        EXPECT_GE(size->width(), size->fontMetrics().horizontalAdvance("100") + 4);
        for (QWidget* control : scaled.SpeedBar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_LE(control->geometry().bottom(), scaled.SpeedBar->rect().bottom()) << control->objectName().toStdString();
    }
    QApplication::setFont(desktop);
}

// The commands' keys run their commands and never edit the text, also when the toolkit
// does not fire the shortcut because another window is still the active one.
TEST_F(MainFormTest, CommandKeysRunTheirCommandsAndNeverEditTheText) {
    QWidget other;
    for (const bool mainActive : {true, false}) {
        SCOPED_TRACE(mainActive ? "main window active" : "another window active");
        QWidget* active = mainActive ? static_cast<QWidget*>(form.get()) : &other;
        for (TRichEdit98* editor : {form->RichEditEx1, form->RichEditEx2}) {
            if (!editor->isVisible()) Trigger("T1");
            editor->setFocus();
            editor->SetText("Harrow & Fenwick LLP");
            editor->SetSelectionStart(7);
            auto press = [&](Qt::Key key) {
                active->show();
                active->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(active));
                QTest::keyClick(editor, key, Qt::ControlModifier);
            };
            for (const Qt::Key key : {Qt::Key_K, Qt::Key_D}) {
                QString message = "no message";
                PressInNextModal("button1", &message);
                press(key);
                EXPECT_TRUE(message.contains("You have not chosen a Template file")) << message.toStdString();
            }
            const bool overwrite = form->OverwriteMode;
            press(Qt::Key_T);
            EXPECT_NE(form->OverwriteMode, overwrite);
            EXPECT_EQ(editor->Text(), "Harrow & Fenwick LLP");
            EXPECT_EQ(editor->SelectionStart(), 7);
        }
    }
}

TEST_F(MainFormTest, SaveAsDispatchesOnTheExtension) {
    form->RichEditEx1->SetText("Hello @12 world");
    struct Case { const char* name; bool written; bool html; };
    const Case cases[] = {
        {"report", false, false}, {"report.doc", false, false}, {"notes.txt", true, false},
        {"letter.rtf", true, false}, {"short.R", true, false}, {"page.htm", true, true}, {"page.HT", true, true},
    };
    for (const Case& c : cases) {
        ChooseInNextFileDialog(Path(c.name));
        Trigger("FileSaveAsItem");
        const QByteArray written = ReadFile(Path(c.name));
        EXPECT_EQ(!written.isEmpty(), c.written) << c.name;
        if (!c.written) continue;
        if (c.html) {
            EXPECT_TRUE(written.contains("<TITLE>$$$</TITLE>")) << c.name;
            EXPECT_FALSE(QFile::exists("$$$")) << c.name;
            EXPECT_TRUE(written.contains("Hello @12 world")) << c.name;
        } else {
            EXPECT_TRUE(written.startsWith("{\\rtf1")) << c.name; // RTF also for ".txt"
            EXPECT_TRUE(written.contains("@12")) << c.name;
            EXPECT_EQ(form->CurrentFileName, Path(c.name));
        }
    }
}

// The names the file dialog lists in its folder and lets the user choose, in order.
QStringList ChoosableFiles(QFileDialog& dialog) {
    auto* view = dialog.findChild<QListView*>("listView");
    QStringList names;
    if (!view) return names;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
        const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
        if (view->model()->flags(index) & Qt::ItemIsEnabled) names << index.data().toString();
    }
    names.sort();
    return names;
}

TEST_F(MainFormTest, SaveDialogShowsItsFileTypesAsWrittenAndListsAnyCase) {
    for (const char* name : {"letter.rtf", "OLD.RTF", "notes.txt", "page.html", "index.HTM", "other.doc"})
        WriteFile(Path(name), "x");
    ASSERT_TRUE(QDir().mkdir(Path("folder")));
    const QList<QStringList> expected = {
        {"OLD.RTF", "folder", "letter.rtf"}, {"folder", "notes.txt"}, {"folder", "index.HTM", "page.html"}};
    QStringList types;
    QList<QStringList> listed;
    AnswerNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) return;
        dialog->setDirectory(dir.path());
        types = dialog->nameFilters();
        auto* shown = dialog->findChild<QComboBox*>("fileTypeCombo");
        for (int i = 0; shown && i < shown->count(); ++i) {
            EXPECT_EQ(shown->itemText(i), types.value(i));
            dialog->selectNameFilter(types[i]);
            // The folder is read in the background: allow it a moment to settle (checked below).
            (void)QTest::qWaitFor([&] { return ChoosableFiles(*dialog) == expected.value(i); }, 1000);
            listed << ChoosableFiles(*dialog);
        }
        dialog->reject();
    });
    Trigger("FileSaveAsItem");
    EXPECT_EQ(types, QStringList({"Rich Text Files (*.RTF)", "Text Files (*.TXT)", "Html File(*.htm,*.html)"}));
    EXPECT_EQ(listed, expected);
}

TEST_F(MainFormTest, SaveAsAsksBeforeOverwriting) {
    form->RichEditEx1->SetText("new text");
    WriteFile(Path("letter.rtf"), "old");
    for (const char* answer : {"No", "Cancel"}) {
        QString question;
        ChooseInNextFileDialog(Path("letter.rtf"));
        QTimer::singleShot(0, [&] { PressInNextModal(answer, &question); });
        Trigger("FileSaveAsItem");
        EXPECT_TRUE(question.contains("OK to overwrite " + Path("letter.rtf"))) << answer << " " << question.toStdString();
        EXPECT_EQ(ReadFile(Path("letter.rtf")), "old") << answer;
    }
    ChooseInNextFileDialog(Path("letter.rtf"));
    QTimer::singleShot(0, [&] { PressInNextModal("Yes"); });
    Trigger("FileSaveAsItem");
    EXPECT_TRUE(ReadFile(Path("letter.rtf")).startsWith("{\\rtf1"));
}

TEST_F(MainFormTest, SaveUsesThePlainDialogUntilNewMakesItUntitled) {
    form->RichEditEx1->SetText("text");
    ChooseInNextFileDialog(Path("plain.rtf"));
    Trigger("FileSaveItem");
    EXPECT_TRUE(QFile::exists(Path("plain.rtf")));
    EXPECT_EQ(form->CurrentFileName, "untitled"); // Save keeps the name
    EXPECT_FALSE(form->RichEditEx1->Modified());

    Trigger("FileNewItem");
    EXPECT_EQ(form->windowTitle(), "Untitled - Kelvora");
    EXPECT_EQ(form->RichEditEx1->Lines().Count(), 0);
    form->RichEditEx1->SetText("again");
    ChooseInNextFileDialog(Path("again.rtf"));
    Trigger("FileSaveItem"); // runs Save As, which renames the document
    EXPECT_EQ(form->CurrentFileName, Path("again.rtf"));
}

TEST_F(MainFormTest, UnsavedChangesAreAskedAboutAndCancelKeepsThem) {
    form->RichEditEx1->SetText("precious");
    form->RichEditEx1->SetModified(true);
    QString question;
    PressInNextModal("Cancel", &question);
    Trigger("FileNewItem");
    EXPECT_TRUE(question.contains("Save changes to untitled?")) << question.toStdString();
    EXPECT_EQ(form->RichEditEx1->Text().substr(0, 8), "precious");
    EXPECT_EQ(form->CurrentFileName, "untitled");

    PressInNextModal("No");
    Trigger("FileNewItem");
    EXPECT_EQ(form->CurrentFileName, "Untitled");
    EXPECT_EQ(form->RichEditEx1->Lines().Count(), 0);
}

TEST_F(MainFormTest, OpenLoadsIntoTheTemplateEditor) {
    WriteFile(Path("doc.rtf"), "{\\rtf1\\ansi Opened {\\b text}\\par}");
    ChooseInNextFileDialog(Path("doc.rtf"));
    Trigger("FileOpenItem");
    EXPECT_EQ(form->windowTitle(), "doc.rtf - Kelvora");
    EXPECT_EQ(form->RichEditEx1->Lines().Get(0), "Opened text");
    EXPECT_FALSE(form->RichEditEx1->Modified());
    EXPECT_FALSE(form->RichEditEx1->ReadOnly());
}

// The toolbar and ruler describe the caret's paragraph after a load, not the last one.
TEST_F(MainFormTest, LoadedDocumentShowsTheFormattingAtItsStart) {
    WriteFile(Path("doc.rtf"), "{\\rtf1\\ansi\\pard\\qc\\fi720\\b Heading\\par\\pard\\ql\\b0 plain last line\\par}");
    WriteFile(Path("doc.tem"), ReadFile(Path("doc.rtf")));
    for (const char* command : {"FileOpenItem", "EditTemplateFile1"}) {
        SCOPED_TRACE(command);
        form = std::make_unique<TMainForm>();
        form->show();
        ChooseInNextFileDialog(Path(command == std::string("FileOpenItem") ? "doc.rtf" : "doc.tem"));
        Trigger(command);
        EXPECT_EQ(form->RichEditEx1->SelectionStart(), 0);
        EXPECT_TRUE(form->Formatting->BoldButton->isChecked());
        EXPECT_TRUE(form->Formatting->CenterAlign->isChecked());
        EXPECT_FALSE(form->Formatting->LeftAlign->isChecked());
        EXPECT_EQ(form->Formatting->FirstInd->x(), 50); // 36 points
    }
}

TEST_F(MainFormTest, UnreadableTemplateIsReportedAndTheProgramGoesOn) {
    SelectFiles("Client\r\nMr J. Brown\r\n", "{\\rtf1\\ansi Dear @1\\par Regards\\par}");
    QFile::remove(Path("case.tem"));
    QString error;
    PressInNextModal("OK", &error);
    Trigger("DoIt1");
    EXPECT_EQ(error, "Cannot open file " + Path("case.tem"));
    EXPECT_FALSE(form->msgpanel1->isVisible());
    EXPECT_TRUE(form->findChild<QAction*>("DoIt1")->isEnabled());
    EXPECT_EQ(form->RichEditEx1->Lines().Get(0), "Dear @1");
}

TEST_F(MainFormTest, DoItWithoutTemplateSaysSo) {
    QString message, title;
    PressInNextModal("button1", &message, &title);
    Trigger("DoIt1");
    EXPECT_EQ(title, "Kelvora");
    EXPECT_TRUE(message.contains("You have not chosen a Template file")) << message.toStdString();
}

TEST_F(MainFormTest, DoItMergesTheWorkedExample) {
    SelectFiles("Client\r\nMr J. Brown\r\nFee\r\n150*2\r\nTime\r\n1/2 day\r\n",
                "{\\rtf1\\ansi Dear @1,\\par Fee: @2\\par Time: @3\\par Regards @1\\par}");
    EXPECT_EQ(form->TemplateFileName, Path("case.tem"));
    EXPECT_EQ(form->CurrentFileName, "untitled");
    QString message, title;
    PressInNextModal("button1", &message, &title);
    Trigger("DoIt1");
    EXPECT_EQ(title, "4 replacements were made");
    EXPECT_TRUE(message.contains("You now have at least TWO choices")) << message.toStdString();
    EXPECT_EQ(form->msgpanel1->text(), "4  replacements  ");
    EXPECT_FALSE(form->msgpanel1->isVisible());
    EXPECT_TRUE(form->RichEditEx1->isVisible());
    EXPECT_FALSE(form->RichEditEx2->isVisible());
    EXPECT_EQ(form->RichEditEx1->Lines().Get(0), "Dear Mr J. Brown,");
    EXPECT_EQ(form->RichEditEx1->Lines().Get(1), "Fee:       300.00");
    EXPECT_EQ(form->RichEditEx1->Lines().Get(3), "Regards Mr J. Brown");
    EXPECT_FALSE(QFile::exists("$$$"));
    EXPECT_TRUE(ReadFile("debug.rtf").contains("Regards Mr J. Brown"));
    EXPECT_TRUE(form->findChild<QAction*>("DoIt1")->isEnabled()); // commands are back
    EXPECT_EQ(form->windowTitle(), "untitled - Kelvora");
}

TEST_F(MainFormTest, DoItOnAPlainTextTemplateGivesPlainText) {
    SelectFiles("Client\r\nMr J. Brown\r\n", "Dear @1,\r\nRegards\r\n");
    QString title;
    PressInNextModal("button1", nullptr, &title);
    Trigger("DoIt1");
    EXPECT_EQ(title, "1 replacements were made");
    EXPECT_EQ(form->RichEditEx1->Lines().Get(0), "Dear Mr J. Brown,");
    EXPECT_FALSE(QFile::exists("$$$"));
}

TEST_F(MainFormTest, CommandsWaitWhileTheMergeRuns) {
    SelectFiles("Client\r\nMr J. Brown\r\n", "{\\rtf1\\ansi Dear @1\\par Regards\\par}");
    bool sawPanel = false, doItEnabled = true, editorEnabled = true, closed = true;
    // Runs at the merge's first look at pending messages, as user input would.
    QTimer::singleShot(0, [&] {
        sawPanel = form->msgpanel1->isVisible();
        doItEnabled = form->findChild<QAction*>("DoIt1")->isEnabled();
        editorEnabled = form->RichEditEx2->isEnabled();
        closed = form->close();
    });
    // A command that is off before the merge must stay off after it.
    form->findChild<QAction*>("FilePrintItem")->setEnabled(false);
    PressInNextModal("button1");
    Trigger("DoIt1");
    EXPECT_TRUE(sawPanel);
    EXPECT_FALSE(doItEnabled);
    EXPECT_FALSE(editorEnabled);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->findChild<QAction*>("DoIt1")->isEnabled());
    EXPECT_TRUE(form->RichEditEx2->isEnabled());
    EXPECT_FALSE(form->findChild<QAction*>("FilePrintItem")->isEnabled()); // stays as it was
}

TEST_F(MainFormTest, DoItUsesUnsavedInformationEdits) {
    SelectFiles("Client\r\nMr J. Brown\r\n", "{\\rtf1\\ansi Dear @1\\par Regards\\par}");
    form->RichEditEx2->Lines().Put(1, "Ms K. Green");
    PressInNextModal("button1");
    Trigger("DoIt1");
    EXPECT_EQ(form->RichEditEx1->Lines().Get(0), "Dear Ms K. Green");
}

TEST_F(MainFormTest, DoItStopsAtAMissingValueAndLeavesTheEditors) {
    SelectFiles("Client\r\nMr J. Brown\r\n", "{\\rtf1\\ansi Dear @1, @2\\par Regards\\par}");
    const std::string before = form->RichEditEx1->Text();
    QString message, title;
    PressInNextModal("button1", &message, &title);
    Trigger("DoIt1");
    EXPECT_EQ(title, "Kelvora");
    EXPECT_TRUE(message.contains("the value is @2")) << message.toStdString();
    EXPECT_EQ(form->RichEditEx1->Text(), before);
    EXPECT_FALSE(form->msgpanel1->isVisible());
    EXPECT_TRUE(ReadFile("debug.rtf").contains("Dear Mr J. Brown, @2"));
}

TEST_F(MainFormTest, DoItReportsARefusedOverwrite) {
    SelectFiles("a\r\nMr J. Brown\r\nb\r\nx\r\n", "{\\rtf1\\ansi @1 @2\\par Regards\\par}");
    Trigger("ToggleInsOverwrite1");
    EXPECT_TRUE(form->findChild<QAction*>("ToggleInsOverwrite1")->isChecked());
    QString message;
    PressInNextModal("button1", &message);
    Trigger("DoIt1");
    EXPECT_TRUE(message.contains("The programme wants to insert Mr J. Brown")) << message.toStdString();
    EXPECT_TRUE(form->RichEditEx1->Text().find("@1 @2") != std::string::npos);
}

// Every way a merge can stop short: its message appears above the wait panel, and
// afterwards the panel is gone and the template editor has the keyboard again.
TEST_F(MainFormTest, MergeThatStopsShowsItsMessageOverThePanelAndGivesBackTheFocus) {
    const int depth = RtfEngine::MaxGroupDepth() + 1;
    const QByteArray deepRtf = "{\\rtf1\\ansi " + QByteArray(depth, '{') + "@1" + QByteArray(depth, '}') + "\\par Regards\\par}";
    struct Case {
        const char* what;
        QByteArray info;
        QByteArray templateOnDisk; // empty: the template file has gone
        bool overwrite;
        const char* button;
        QString message;
    };
    const Case cases[] = {
        {"missing value", "Client\r\nMr J. Brown\r\n", "{\\rtf1\\ansi Dear @1, @2\\par Regards\\par}", false, "button1",
         "the value is @2"},
        {"overwrite refused", "a\r\nMr J. Brown\r\nb\r\nx\r\n", "{\\rtf1\\ansi @1 @2\\par Regards\\par}", true, "button1",
         "The programme wants to insert Mr J. Brown"},
        {"unreadable template", "Client\r\nMr J. Brown\r\n", "", false, "OK", "Cannot open file"},
        {"result refused as RTF", "Client\r\nMr J. Brown\r\n", deepRtf, false, "OK",
         "Failed to Load Stream: RTF groups are nested too deeply"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form = std::make_unique<TMainForm>(); // each case from a fresh start
        form->show();
        SelectFiles(c.info, "{\\rtf1\\ansi Dear @1\\par Regards\\par}");
        if (c.overwrite) Trigger("ToggleInsOverwrite1");
        QFile::remove(Path("case.tem"));
        if (!c.templateOnDisk.isEmpty()) WriteFile(Path("case.tem"), c.templateOnDisk);
        form->Ruler->setFocus(); // somewhere else, as after a click on the ruler
        QString message;
        bool panelUp = false;
        AnswerNextModal([&](QWidget* modal) {
            panelUp = form->msgpanel1->isVisible();
            for (auto* label : modal->findChildren<QLabel*>()) message += label->text();
            if (auto* button = modal->findChild<QPushButton*>(c.button)) button->click();
            else if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(QDialog::Rejected); // not the expected box
        });
        Trigger("DoIt1");
        EXPECT_TRUE(message.contains(c.message)) << message.toStdString();
        EXPECT_TRUE(panelUp);
        EXPECT_FALSE(form->msgpanel1->isVisible());
        EXPECT_TRUE(form->RichEditEx1->isVisible());
        EXPECT_EQ(form->focusWidget(), form->RichEditEx1);
        EXPECT_EQ(form->RichEditEx1->Text().find("\\rtf"), std::string::npos); // never its source as text
        EXPECT_FALSE(QFile::exists("$$$"));
    }
}

TEST_F(MainFormTest, MergeKeepsThePanelUpUntilTheResultIsLoaded) {
    SelectFiles("Client\r\nMr J. Brown\r\n", "{\\rtf1\\ansi Dear @1\\par Regards\\par}");
    bool panelUpWhileLoading = false;
    QObject::connect(form->RichEditEx1, &QTextEdit::textChanged, [&] {
        if (form->RichEditEx1->toPlainText().contains("Mr J. Brown")) panelUpWhileLoading = form->msgpanel1->isVisible();
    });
    bool panelUpAtMessage = true, resultShownAtMessage = false;
    AnswerNextModal([&](QWidget* modal) {
        panelUpAtMessage = form->msgpanel1->isVisible();
        resultShownAtMessage = form->RichEditEx1->isVisible();
        modal->findChild<QPushButton*>("button1")->click();
    });
    form->Ruler->setFocus();
    Trigger("DoIt1");
    EXPECT_TRUE(panelUpWhileLoading);
    EXPECT_FALSE(panelUpAtMessage);
    EXPECT_TRUE(resultShownAtMessage);
    EXPECT_EQ(form->focusWidget(), form->RichEditEx1);
}

// A value with each kind of character, from a UTF-8 information file, named whole in
// the refused-overwrite message and merged whole into the template editor.
TEST_F(MainFormTest, MessagesAndMergedTextKeepEveryCharacter) {
    const char* words[] = {"caf\xC3\xA9", "M\xC3\xBCller", "Stra\xC3\x9F" "e", "\xC2\xA3" "5", "\xE2\x82\xAC" "5",
                           "\xC2\xB6", "\xC2\xAB\xC5\x81ukasz\xC2\xBB", "\xF0\x9F\x98\x80"};
    for (const char* utf8 : words) {
        SCOPED_TRACE(utf8);
        form = std::make_unique<TMainForm>();
        form->show();
        SelectFiles(QByteArray("a\n") + utf8 + "\nb\nx\n", "{\\rtf1\\ansi @1 @2\\par Regards\\par}");
        Trigger("ToggleInsOverwrite1");
        QString message;
        PressInNextModal("button1", &message);
        Trigger("DoIt1");
        EXPECT_TRUE(message.contains("The programme wants to insert " + QString::fromUtf8(utf8))) << message.toStdString();
        Trigger("ToggleInsOverwrite1"); // insert mode merges it
        PressInNextModal("button1");
        Trigger("DoIt1");
        EXPECT_EQ(form->RichEditEx1->WideLines().Get(0), QString::fromUtf8(utf8) + " x");
    }
}

TEST_F(MainFormTest, OddInformationFileIsWarnedAboutButKept) {
    WriteFile(Path("odd.inf"), "a\r\nb\r\nc\r\nd\r\ne\r\n");
    QString warning;
    ChooseInNextFileDialog(Path("odd.inf"));
    QTimer::singleShot(0, [&] { PressInNextModal("button1", &warning); });
    Trigger("EditInformationFile1");
    EXPECT_TRUE(warning.contains("There is a problem with this file")) << warning.toStdString();
    EXPECT_EQ(form->RichEditEx2->Lines().Count(), 5);
    EXPECT_TRUE(form->RichEditEx2->isVisible());
    EXPECT_EQ(form->windowTitle(), "odd.inf - Kelvora");
}

TEST_F(MainFormTest, HelpMenuOpensItsWindows) {
    // Contents: the help window, not modal, showing the program's help page.
    form->CreateHelpWindows();
    form->Form1->ProgramDir = KELVORA_SOURCE_DIR "/docs";
    Trigger("G1");
    EXPECT_TRUE(form->Form1->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(form->Form1->htmlviewer1->toPlainText().contains("Do It and its messages"));

    // Tip of the Day: in order from the first tip, whatever the last showing left.
    form->TipDialog1->RandomTips = true;
    QString tip;
    QStringList tips;
    AnswerNextModal([&](QWidget* modal) {
        auto* tipsForm = qobject_cast<Dialogs::TTipsForm*>(modal);
        ASSERT_NE(tipsForm, nullptr);
        tip = tipsForm->TipLbl->text();
        tips = tipsForm->FTips;
        tipsForm->OKBtn->click();
    });
    Trigger("TipoftheDay2");
    EXPECT_FALSE(form->TipDialog1->RandomTips);
    ASSERT_EQ(tips.size(), 14);
    EXPECT_TRUE(tip.startsWith("The main pupose of this programme")) << tip.toStdString();
    EXPECT_TRUE(tips[7].contains("print preview.  Saving"));
    EXPECT_TRUE(tips[10].endsWith("alt-backspace. ") && tips[11].endsWith("displayed. "));

    // Credits: modal, the window stays for the next showing.
    bool creditsModal = false;
    AnswerNextModal([&](QWidget* modal) {
        creditsModal = modal == form->Form2.get();
        form->Form2->Button1->click();
    });
    Trigger("Credits1");
    EXPECT_TRUE(creditsModal);
    EXPECT_FALSE(form->Form2->isVisible());

    // About: modal, freed after.
    QString version;
    AnswerNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<Dialogs::TAboutBox*>(modal);
        ASSERT_NE(box, nullptr);
        version = box->Label9->text();
        box->OKButton->click();
    });
    Trigger("About1");
    EXPECT_EQ(version, "Version 1.62 Built  15th  Dec.. 2008");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form->findChildren<Dialogs::TAboutBox*>().isEmpty());
}

TEST_F(MainFormTest, RecentFilesAreKeptAcrossRestartsAndReopened) {
    EXPECT_EQ(RecentFiles("EditInformationFile1"), nullptr);
    EXPECT_EQ(RecentFiles("EditTemplateFile1"), nullptr);
    SelectFiles("Client\r\nMr J. Brown\r\n", "{\\rtf1\\ansi Dear @1\\par}");
    WriteFile(Path("other.tem"), "{\\rtf1\\ansi Other\\par}");
    ChooseInNextFileDialog(Path("other.tem"));
    Trigger("EditTemplateFile1");
    EXPECT_EQ(form->MRUFiles2->Items(), QStringList({Path("other.tem"), Path("case.tem")}));

    // Restart: the lists are written when the window goes and read when it comes.
    form.reset();
    form = std::make_unique<TMainForm>();
    form->show();
    QMenu* infos = RecentFiles("EditInformationFile1");
    QMenu* templates = RecentFiles("EditTemplateFile1");
    ASSERT_NE(infos, nullptr);
    ASSERT_NE(templates, nullptr);
    EXPECT_EQ(Captions(infos).mid(1), QStringList({"-", "&Clear MRU List", "&Remove Obsolete"}));
    EXPECT_EQ(qobject_cast<Dialogs::TMRUMenuItem*>(infos->actions()[0])->FullCaption, "&1 " + Path("case.inf"));
    EXPECT_EQ(Captions(templates).size(), 5);

    // Reopening the information file: full path as the title, the entry leaves the list.
    infos->actions()[0]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(form->windowTitle(), Path("case.inf"));
    EXPECT_EQ(form->CurrentFileName, "untitled");
    EXPECT_TRUE(form->RichEditEx2->isVisible());
    EXPECT_FALSE(form->RichEditEx1->isVisible());
    EXPECT_EQ(form->RichEditEx2->Lines().Get(1), "Mr J. Brown");
    EXPECT_EQ(RecentFiles("EditInformationFile1"), nullptr);

    // Reopening a template makes it the merge's template.
    RecentFiles("EditTemplateFile1")->actions()[1]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(form->TemplateFileName, Path("case.tem"));
    EXPECT_EQ(form->windowTitle(), Path("case.tem"));
    EXPECT_TRUE(form->RichEditEx1->isVisible());
    EXPECT_FALSE(form->RichEditEx2->isVisible());
    EXPECT_EQ(form->RichEditEx1->Lines().Get(0), "Dear @1");
    EXPECT_EQ(form->MRUFiles2->Items(), QStringList({Path("other.tem")}));
}

TEST_F(MainFormTest, RecentInformationFileGivesNoOddLinesWarning) {
    WriteFile(Path("odd.inf"), "a\r\nb\r\nc\r\n");
    form->MRUFiles1->AddItem(Path("odd.inf"));
    bool modalSeen = false;
    RecentFiles("EditInformationFile1")->actions()[0]->trigger();
    QTimer::singleShot(100, form.get(), [&] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            modalSeen = true;
            modal->reject();
        }
    });
    QTest::qWait(200);
    EXPECT_FALSE(modalSeen);
    EXPECT_EQ(form->RichEditEx2->Lines().Count(), 3);
}

TEST_F(MainFormTest, MissingRecentFileIsReportedAndTheProgramGoesOn) {
    form->MRUFiles2->AddItem(Path("gone.tem"));
    QString error;
    PressInNextModal("OK", &error);
    RecentFiles("EditTemplateFile1")->actions()[0]->trigger();
    QTest::qWait(0);
    for (int i = 0; i < 200 && error.isEmpty(); ++i) QTest::qWait(10);
    EXPECT_EQ(error, "Cannot open file " + Path("gone.tem"));
    EXPECT_TRUE(form->TemplateFileName.isEmpty());
    EXPECT_TRUE(form->MRUFiles2->Items().isEmpty());
    EXPECT_EQ(form->windowTitle(), "untitled - Kelvora");
}

TEST_F(MainFormTest, OpenDialogShowsThePreviewPane) {
    auto* dialog = form->findChild<Dialogs::TOpenPreviewDialog*>("OpenPreviewDialog1");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->ShowPreview());
    EXPECT_FALSE(dialog->WordWrapAndScale());
    EXPECT_EQ(dialog->Titles, QStringList({"Default="}));
    WriteFile(Path("case.inf"), "Client\r\nMr J. Brown\r\n");
    QString shown;
    AnswerNextModal([&](QWidget* modal) {
        auto* preview = qobject_cast<Dialogs::TOpenPreviewDialog*>(modal);
        if (!preview) return;
        preview->selectFile(Path("case.inf"));
        preview->SetPreviewFileName(Path("case.inf"));
        preview->UpdatePreview();
        shown = preview->PreviewText()->toPlainText();
        preview->reject();
    });
    Trigger("EditInformationFile1");
    EXPECT_TRUE(shown.startsWith("Client\nMr J. Brown")) << shown.toStdString();
    EXPECT_EQ(RecentFiles("EditInformationFile1"), nullptr); // cancelled: nothing added
}

} // namespace
