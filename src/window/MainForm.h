// TMainForm: the program's only main window. It owns the two editors — the
// template editor RichEditEx1 and the information editor RichEditEx2, one shown
// at a time — and every command of the program.
#pragma once
#include <QList>
#include <QMainWindow>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "assembly/MergeEngine.h"

class QAction;
class QFileDialog;
class QLabel;
class QPrintDialog;
class QMenu;
class QStatusBar;
class QTimer;
class QToolButton;
class QWidget;
class TCheckMarkersDialog;
class TFormatting;
class TRichPrinter;
class TRichEdit98;
struct TCheckFinding;
namespace Dialogs {
class TFindDialog;
class TForm1;
class TForm2;
class TTipDialog;
class TMRUFileList;
class TOpenPreviewDialog;
class TXBaloon;
}

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // --- components -----------------------------------------------------------------
    QWidget* SpeedBar = nullptr;
    QWidget* Ruler = nullptr;
    TRichEdit98* RichEditEx1 = nullptr; // template editor
    TRichEdit98* RichEditEx2 = nullptr; // information editor
    QStatusBar* StatusBar = nullptr;
    QLabel* Hintpanel = nullptr;
    QLabel* msgpanel1 = nullptr; // the merge's wait panel
    QTimer* Timer1 = nullptr;
    Dialogs::TOpenPreviewDialog* OpenPreviewDialog1 = nullptr;
    QFileDialog* SaveDialog = nullptr;
    Dialogs::TFindDialog* FindDialog1 = nullptr;
    Dialogs::TFindDialog* ReplaceDialog1 = nullptr;
    Dialogs::TXBaloon* XBaloon1 = nullptr;
    TCheckMarkersDialog* CheckMarkersDialog1 = nullptr; // made when first needed
    // The help window; created hidden right after the main window, lives as long as it.
    std::unique_ptr<Dialogs::TForm1> Form1;
    // The credits window, created hidden after the help window; its text keeps scrolling.
    std::unique_ptr<Dialogs::TForm2> Form2;
    Dialogs::TTipDialog* TipDialog1 = nullptr;
    TRichPrinter* RichPrinter1 = nullptr;
    QPrintDialog* PrintDialog = nullptr; // made on first use: it needs the printer
    Dialogs::TMRUFileList* MRUFiles1 = nullptr; // recent information files
    Dialogs::TMRUFileList* MRUFiles2 = nullptr; // recent templates

    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* DocumentAssembly1 = nullptr;
    QMenu* Window1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* ToggleInsOverwrite1 = nullptr;

    QToolButton* CRLFButton = nullptr;
    // The formatting half of the toolbar and the ruler.
    TFormatting* Formatting = nullptr;

    // --- fields ---------------------------------------------------------------------
    QString CurrentFileName;  // the current document, shown in the title
    QString TemplateFileName; // the template the merge reads
    bool OverwriteMode = false;
    bool PilcrowsShown = false;

    // --- editor choice --------------------------------------------------------------
    // The information editor if it has the focus or is visible, else the template editor.
    TRichEdit98* CurrentEditor() const;
    // The template editor if it is the active control, focused or visible, else the
    // information editor.
    TRichEdit98* TemplateFirstEditor() const;

    // The window title «name - Kelvora»; the name becomes CurrentFileName.
    void SetDocumentTitle(const QString& name);
    // Asks to save a modified document; Cancel ends the calling command (EAbort).
    void CheckSaveChanges();

    // --- file commands --------------------------------------------------------------
    void FileNew();
    void FileOpen();
    void FileSave();
    void FileSaveAs();
    void FileExit();
    // Loads a document into the template editor as File/Open does after its dialog.
    void OpenDocument(const QString& fileName);

    // --- printing -------------------------------------------------------------------
    // Prints the template editor after the print dialog was confirmed.
    void FilePrint();
    void PrintPreviewbuttonClick();
    void SpeedButton1Click();
    void pageDialog1Click();
    void SpeedButton2Click();

    // --- document assembly ----------------------------------------------------------
    void EditInformationFile1Click();
    void EditTemplateFile1Click();
    void ToggleInsOverwrite1Click();
    void DoIt1Click();
    void LoadMergedResult();
    // Lists every problem the merge would meet, without merging or changing anything.
    void CheckMarkers1Click();
    // Selects a finding's place: the marker in the template editor, or an unused
    // pair's heading in the information editor.
    void ShowFinding(const TCheckFinding& finding);

    // --- recent files ---------------------------------------------------------------
    void MRUFiles1MRUItemClick(QObject* sender, const QString& fileName);
    void MRUFiles2MRUItemClick(QObject* sender, const QString& fileName);

    // --- editing commands -----------------------------------------------------------
    void EditUndo();
    void Redo1Click();
    void EditCut();
    void EditCopy();
    void EditPaste();
    void Selectall1Click();
    void T1Click();
    void F1Click();
    void R1Click();
    void FindDialog1Find();
    void replaceDialog1Find();
    void ReplaceDialog1Replace();
    void ReplaceInEditor(TRichEdit98* editor, const QString& search, const QString& replacement);
    void Mathcalculate1Click();
    void Insertpagebreak1Click();
    void Insertnonvisiblepagebreak1Click();
    void SpeedButton3Click();
    void CRLFButtonClick();
    void SelectFont();

    // --- marker lookup ----------------------------------------------------------------
    // The template editor's mouse press, after the editor has placed the caret.
    void RichEditEx1MouseDown(Qt::MouseButton button);

    // --- hints and the update check -------------------------------------------------
    void showhint(const QString& longHint);
    void Timer1Timer();
    void checkwebpagefornewversionClick();

    // --- help menu ------------------------------------------------------------------
    // The start sequence's step after the main window: the help window, hidden.
    void CreateHelpWindows();
    void G1Click();
    void Credits1Click();
    void TipoftheDay2Click();
    void About1Click();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override; // FormResize

private:
    void FormCreate();
    void FormDestroy();
    void BuildRecentFiles();
    void BuildLayout();
    void BuildMenus();
    void BuildFileMenu();
    void BuildEditMenu();
    void BuildAssemblyMenu();
    void BuildHelpMenu();
    void BuildSpeedBar();
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut,
                     const QString& hint, void (TMainForm::*handler)());
    QToolButton* AddButton(const char* name, const QString& hint, void (TMainForm::*handler)(),
                           const QIcon& icon = QIcon(), const QString& caption = QString());
    // The enabled or disabled command whose shortcut the pressed key is, if any.
    QAction* CommandOfKey(const QKeyEvent* event) const;
    void ShowOnly(TRichEdit98* editor);
    // Loads a file into the template editor (caret at the start) and shows its formatting.
    void LoadTemplateEditor(const QString& fileName);
    // Runs a file dialog; the chosen path, or an empty string when cancelled.
    QString RunFileDialog(QFileDialog* dialog, const QString& fileNamePattern = QString());
    void SaveEditorTo(TRichEdit98* editor, const QString& fileName);
    void SaveEditorAsHtml(TRichEdit98* editor, const QString& fileName);
    bool ConfirmOverwrite(const QString& fileName);
    class MergeScope;
    // Runs the merge; the caller holds the wait panel up and commands off (MergeScope).
    TMergeResult RunMerge();
    // Merges and loads the result into the template editor; a message or error that
    // ends the merge is shown there and then, and the result is empty.
    std::optional<TMergeResult> MergeAndLoadResult();
    void SetCommandsEnabled(bool enabled);
    void FindInEditor(const Dialogs::TFindDialog& dialog);
    // Writes the text to "$$$" and inserts that file at the template editor's caret.
    void InsertThroughScratchFile(const std::string& text);

    std::unique_ptr<TRichPrinter> FRichPrinter1;
    bool FMerging = false;
    QList<QAction*> FHeldActions; // commands switched off while a merge runs
};
