// TRichEdit98: the editing control of both editors. A QTextEdit whose document is the
// engine, with an 8-bit interface (code page of `Language`), a line model that follows
// word wrap, RTF-then-text loading, saving by OutputFormat, text search, a painting lock,
// character/paragraph attribute objects, link detection and embedded pictures.
//
// Events are std::function members (OnChange, OnSelectionChange, ...) whose first
// argument is the sending control; an empty member means "not assigned".
#pragma once
#include "platform/Errors.h"
#include "richedit/EmbeddedObjects.h"
#include "richedit/ParaAttributes98.h"
#include "richedit/RichEditStrings98.h"
#include "richedit/TextAttributes98.h"
#include "richedit/UrlDetection.h"

#include <QMargins>
#include <QTextBlock>
#include <QTextEdit>
#include <utility>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TInputFormat { ifText, ifRTF, ifUnicode };
enum TOutputFormat { ofText, ofRTF, ofRTFNoObjs, ofTextized, ofUnicode };
enum TAutoURLDetect { adNone, adDefault, adExtended };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// TLangOptions: a set of these bits.
enum TLangOption : unsigned { loAutoKeyboard = 1, loAutoFont = 2, loIMECancelComplete = 4, loIMEAlwaysSendNotify = 8 };
using TLangOptions = unsigned;

// TFindOptions98: a set of these bits.
enum TFindOption98 : unsigned { foBackward = 1, foWholeWord = 2, foMatchCase = 4 };
using TFindOptions98 = unsigned;

// "Failed to Load Stream", "Failed to Save Stream", "RichEdit line insertion error".
class EOutOfResources : public Platform::Exception {
    using Exception::Exception;
};

class TCustomRichEdit98;
using TNotifyEvent = std::function<void(TCustomRichEdit98* Sender)>;
using TRichEditProgressEvent = std::function<void(TCustomRichEdit98* Sender, qint64 Pos, qint64 Size)>;
using TURLEvent = std::function<void(TCustomRichEdit98* Sender, const std::string& URL)>;
// Button, modifier keys and the position in the control's viewport.
using TMouseEvent = std::function<void(TCustomRichEdit98* Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;

class TCustomRichEdit98 : public QTextEdit {
    Q_OBJECT
public:
    explicit TCustomRichEdit98(QWidget* parent = nullptr);
    ~TCustomRichEdit98() override;

    // --- format and behaviour properties ---------------------------------------------
    TInputFormat InputFormat() const { return FInputFormat; }
    void SetInputFormat(TInputFormat value) { FInputFormat = value; }
    TOutputFormat OutputFormat() const { return FOutputFormat; }
    void SetOutputFormat(TOutputFormat value) { FOutputFormat = value; }
    bool SelectedInOut() const { return FSelectedInOut; }
    void SetSelectedInOut(bool value) { FSelectedInOut = value; }
    bool PlainRTF() const { return FPlainRTF; }
    void SetPlainRTF(bool value) { FPlainRTF = value; }
    // Stored only: the document's undo history has no depth to set, so undo works at 0.
    int UndoLimit() const { return FUndoLimit; }
    void SetUndoLimit(int value) { FUndoLimit = value; }
    bool IncludeOLE() const { return FIncludeOLE; }
    void SetIncludeOLE(bool value) { FIncludeOLE = value; }
    // Stored only: pictures are never activated in place.
    bool AllowInPlace() const { return FAllowInPlace; }
    void SetAllowInPlace(bool value) { FAllowInPlace = value; }
    bool AutoVerbMenu() const { return FAutoVerbMenu; }
    void SetAutoVerbMenu(bool value) { FAutoVerbMenu = value; }
    TAutoURLDetect AutoURLDetect() const { return FAutoURLDetect; }
    void SetAutoURLDetect(TAutoURLDetect value);
    const TURLCollection& CustomURLs() const { return FCustomURLs; }
    TURLCollection& CustomURLs() { return FCustomURLs; }
    void SetCustomURLs(const TURLCollection& value) { FCustomURLs.Assign(value); }
    TColor URLColor() const { return FURLColor; }
    void SetURLColor(const TColor& value) { FURLColor = value; }
    TCursor URLCursor() const { return FURLCursor; }
    void SetURLCursor(TCursor value) { FURLCursor = value; }
    int Language() const { return FLanguage; }
    void SetLanguage(int value);
    int CodePage() const { return FCodePage; }
    // Stored only: keyboard and input-method switching are the toolkit's.
    TLangOptions LangOptions() const { return FLangOptions; }
    void SetLangOptions(TLangOptions value) { FLangOptions = value; }
    bool ShowSelectionBar() const { return FShowSelectionBar; }
    void SetShowSelectionBar(bool value);
    bool WordFormatting() const { return FWordFormatting; }
    void SetWordFormatting(bool value) { FWordFormatting = value; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool value) { FWantReturns = value; }
    bool HideScrollBars() const { return FHideScrollBars; }
    void SetHideScrollBars(bool value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool value);
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool value) { setReadOnly(value); }
    // 0 means 2147483647 characters.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value) { FMaxLength = value < 0 ? 0 : value; }
    int TextLimit() const;

    TRichEditStrings98& Lines() { return FLines; }
    const TRichEditStrings98& Lines() const { return FLines; }
    void SetLines(const std::vector<std::string>& lines);
    TWideRichEditStrings98& WideLines() { return FWideLines; }

    // --- attribute objects -----------------------------------------------------------
    TTextAttributes98& SelectionAttributes() { return FSelectionAttributes; }
    TTextAttributes98& DefaultAttributes() { return FDefaultAttributes; }
    TParaAttributes98& ParagraphAttributes() { return FParagraphAttributes; }

    // --- text and selection (positions from 0, a paragraph break counts one) ----------
    void Clear();
    // The whole text; a paragraph break is CR LF here but one position elsewhere.
    std::string Text() const;
    void SetText(const std::string& text) { FLines.SetText(text); }
    int GetTextLen() const;
    int SelectionStart() const;
    void SetSelectionStart(int value);
    int SelectionLength() const;
    void SetSelectionLength(int value);
    std::string SelectedText() const;
    void SetSelectedText(const std::string& text);
    // Unicode forms, for text that comes from the toolkit's own dialogs: characters the
    // code page lacks are searched and inserted as they are.
    void SetSelectedTextW(const QString& text);
    void SelectAll() { selectAll(); }
    void CopyToClipboard() { copy(); }
    void CutToClipboard() { cut(); }
    void PasteFromClipboard() { paste(); }
    bool Modified() const;
    void SetModified(bool value);
    // Focus within the window; the selection shows even while another window (a
    // modeless find dialog) is active.
    void SetFocus();
    // The 8-bit text of [start, end) of the document.
    std::string TextRange(int start, int end) const;

    void InsertFromFile(const std::string& fileName);
    // Position of the first character of the match, or -1.
    int FindText(const std::string& searchText, int start, int length, TFindOptions98 options) const;
    int FindTextW(const QString& searchText, int start, int length, TFindOptions98 options) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // --- embedded objects -----------------------------------------------------------
    // Offers a file chooser and embeds the chosen file at the caret: a picture as
    // itself, any other file as an icon with its name.
    void InsertObject();
    // Embeds the file as InsertObject does; nothing when embedding is off.
    void InsertObjectFromFile(const QString& fileName);
    bool ObjectSelected() const;

    // --- engine operations (the window messages other parts send) --------------------
    // Number of engine lines (an empty document has one line).
    int LineCount() const;
    // First position of a line, or -1 when there is no such line.
    int LineIndex(int line) const;
    int LineLength(int line) const;
    // Stream-in of a whole buffer in a format; false when the engine reports an error.
    bool StreamIn(const QByteArray& data, TInputFormat format, bool selection, bool plain);
    // Why the last failed stream-in refused RTF it recognised (empty when the input was
    // no RTF at all, so that reading it as text makes sense).
    const std::string& RtfRefusal() const { return FRtfRefusal; }
    // Stream-in as RTF; what is no RTF at all goes in as text. Throws
    // EOutOfResources("Failed to Load Stream…") when neither succeeds, so RTF the
    // reader refuses is reported rather than shown as its source.
    void StreamInRtfOrText(const QByteArray& data, bool selection, bool plain);
    // Stream-out; throws EOutOfResources("Failed to Save Stream") on failure.
    QByteArray StreamOut(TOutputFormat format, bool selection, bool plain) const;
    // The text area inside the control (left, top, right, bottom in viewport pixels).
    void SetFormattingRect(const QRect& rect);
    // Replace [start, end) by Unicode text as one step and leave the caret after it;
    // returns the caret position. The text limit cuts what does not fit.
    int ReplaceRange(int start, int end, const QString& text);
    // Scan [start, end) for links as the link detection does (whole text when empty).
    void DetectLinks(int start, int end);

    // --- events ---------------------------------------------------------------------
    TNotifyEvent OnChange;
    TNotifyEvent OnSelectionChange;
    TRichEditProgressEvent OnLoadProgress;
    TRichEditProgressEvent OnSaveProgress;
    TURLEvent OnURLClick;
    TURLEvent OnURLMove;
    // After the control has handled a press itself, so the caret is already placed.
    TMouseEvent OnMouseDown;

    // True while a line-list bulk change or link scan holds change notifications back.
    bool ChangeNotificationsHeld() const { return FHoldChange > 0; }
    void HoldChangeNotifications(bool hold);

    // Whether the next stream-in replaces only the selection (InsertFromFile).
    bool InsertingAtSelection() const { return FInsertAtSelection; }

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct TLineMap {
        std::vector<int> starts;
        std::vector<int> lengths;
    };
    const TLineMap& WrappedLines() const;
    void InvalidateLines() { FLineMapValid = false; }
    void ConnectLayout();
    void ChooseLayout(int from, int to);
    void UseLayout(QAbstractTextDocumentLayout* layout);
    void ApplyScrollBars();
    void ApplySelectionVisibility(bool focused);
    void ApplyViewportMargins();
    void NotifyChange();
    void NotifySelectionChange();
    void NoteContentsChange(int position, int removed, int added);
    void RunPendingLinkScan();
    void ReadAsText(const QByteArray& data, TInputFormat format, QTextCursor& cursor);
    void TakeBackFailedRead(int start, int replaced, int lengthBefore);
    void ReportLoadProgress(qint64 size);
    QString PlainTextOf(int start, int end, bool objectsAsNames) const;
    QString LinkTextAt(const QPoint& viewportPos) const;
    void MarkLinksInBlock(const QTextBlock& block, int start, int end, const TURLCollection& schemes);
    QTextCursor TargetCursor(bool selection);
    int RoomFor(int replacedLength) const;
    void TypeBesideFieldEnd();

    friend class TRichEditStrings98;

    TInputFormat FInputFormat = ifRTF;
    TOutputFormat FOutputFormat = ofRTF;
    bool FSelectedInOut = false;
    bool FPlainRTF = false;
    int FUndoLimit = 0;
    bool FIncludeOLE = false;
    bool FAllowInPlace = false;
    bool FAutoVerbMenu = true;
    TAutoURLDetect FAutoURLDetect = adNone;
    TURLCollection FCustomURLs;
    TColor FURLColor = clBlue;
    TCursor FURLCursor = crHandPoint;
    int FLanguage = 1033;
    int FCodePage = 1252;
    TLangOptions FLangOptions = loAutoFont;
    bool FShowSelectionBar = false;
    bool FWordFormatting = true;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FHideScrollBars = true;
    TScrollStyle FScrollBars = ssNone;
    bool FHideSelection = true;
    int FMaxLength = 0;

    bool FInsertAtSelection = false;
    int FUpdateCount = 0;
    int FSavedSelStart = 0;
    int FSavedSelLength = 0;
    int FSavedScroll = 0;
    int FHoldChange = 0;
    bool FScanningLinks = false;
    int FPendingLinkStart = -1;
    int FPendingLinkEnd = -1;
    int FBlocksAtLayoutChoice = 1;
    bool FSwitchingLayout = false;
    std::string FRtfRefusal;
    int FLastSelStart = -1;
    int FLastSelLength = -1;
    QString FHoverLink;
    QMargins FTextMargins;

    mutable TLineMap FLineMap;
    mutable bool FLineMapValid = false;

    TTextAttributes98 FSelectionAttributes;
    TTextAttributes98 FDefaultAttributes;
    TParaAttributes98 FParagraphAttributes;
    TWideRichEditStrings98 FWideLines;
    TRichEditStrings98 FLines;
    TEmbeddedObjects FObjects;
};

// Publishes the properties; no behaviour of its own.
class TRichEdit98 : public TCustomRichEdit98 {
    Q_OBJECT
public:
    explicit TRichEdit98(QWidget* parent = nullptr) : TCustomRichEdit98(parent) {}

    // The main window's two editors: RichEditEx1 (template editor: vertical scroll
    // bar, embedding on, word wrap) and RichEditEx2 (information editor: no wrap, no
    // Enter key, plain RTF). Both get Language 1033.
    static void ConfigureAsTemplateEditor(TRichEdit98& edit);
    static void ConfigureAsInformationEditor(TRichEdit98& edit);
};
