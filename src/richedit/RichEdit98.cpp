// The rich edit control; its link detection and the link under the mouse are in
// RichEdit98Links.cpp.
#include "richedit/RichEdit98.h"

#include "richedit/ClipboardMime.h"
#include "richedit/KeptDecorations.h"
#include "richedit/LongDocumentLayout.h"
#include "rtf/ListNumbers.h"
#include "rtf/RtfEngine.h"
#include "rtf/RtfKeptObject.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <climits>

namespace {

// Blocks in which a stream-in reports its progress.
constexpr qint64 kStreamBlock = 64 * 1024;

// Width of the selection bar at the left edge, in pixels.
constexpr int kSelectionBarWidth = 8;

QString DecodeUtf16Le(const QByteArray& bytes) {
    qsizetype start = 0;
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) start = 2;
    QString text((bytes.size() - start) / 2, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = start; i + 1 < bytes.size(); i += 2)
        *out++ = QChar(char16_t(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8)));
    return text;
}

QByteArray EncodeUtf16Le(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

bool IsFindWordChar(QChar c) { return c.isLetterOrNumber(); }

bool IsWholeWordAt(const QString& text, qsizetype at, qsizetype length) {
    return (at == 0 || !IsFindWordChar(text[at - 1])) &&
           (at + length >= text.size() || !IsFindWordChar(text[at + length]));
}

} // namespace

// --- construction ------------------------------------------------------------------------

TCustomRichEdit98::TCustomRichEdit98(QWidget* parent)
    : QTextEdit(parent),
      FCustomURLs(TURLCollection::Defaults()),
      FSelectionAttributes(*this, TTextAttributes98::atSelected),
      FDefaultAttributes(*this, TTextAttributes98::atDefaultText),
      FParagraphAttributes(*this),
      FWideLines(*this),
      FLines(*this, FWideLines) {
    setAcceptRichText(true);
    SetLanguage(RichEditText::SystemDefaultLanguage());
    FDefaultAttributes.Assign(font());
    ApplyScrollBars();
    ApplySelectionVisibility(false);

    connect(this, &QTextEdit::textChanged, this, [this] {
        NotifyChange();
        RunPendingLinkScan();
    });
    connect(this, &QTextEdit::cursorPositionChanged, this, [this] { NotifySelectionChange(); });
    connect(this, &QTextEdit::selectionChanged, this, [this] { NotifySelectionChange(); });
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) { NoteContentsChange(position, removed, added); });
    connect(document(), &QTextDocument::documentLayoutChanged, this, [this] { ConnectLayout(); });
    ConnectLayout();
}

void TCustomRichEdit98::ConnectLayout() {
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    connect(layout, &QAbstractTextDocumentLayout::update, this, [this] { InvalidateLines(); });
    connect(layout, &QAbstractTextDocumentLayout::documentSizeChanged, this, [this] { InvalidateLines(); });
}

// --- layout ----------------------------------------------------------------------------------

// A long document of plain paragraphs gets the layout whose edits cost the same wherever
// they are made; anything else, or a document grown short again, Qt's own. A document
// that is long already is looked through only for what the change [from, to] brought in,
// or, under Qt's layout, only at a glance (its table deleted, say).
// Chosen as the document announces the change, before the layout sees it: Qt's layout
// would take a long paste, or the undoing of a long deletion, in one synchronous pass.
void TCustomRichEdit98::ChooseLayout(int from, int to) {
    const QTextDocument& doc = *document();
    const int blocks = doc.blockCount(), blocksBefore = std::exchange(FBlocksAtLayoutChoice, blocks);
    const bool longLayout = qobject_cast<const TLongDocumentLayout*>(doc.documentLayout()) != nullptr;
    if (longLayout) {
        if (blocks < TLongDocumentLayout::kMinimumBlocks / 2 || !TLongDocumentLayout::HoldsOnlyParagraphs(doc, from, to))
            UseLayout(nullptr);
    } else if (blocks >= TLongDocumentLayout::kMinimumBlocks &&
               (blocksBefore < TLongDocumentLayout::kMinimumBlocks ? TLongDocumentLayout::Suits(doc)
                                                                    : TLongDocumentLayout::SurelyOnlyParagraphs(doc))) {
        UseLayout(new TLongDocumentLayout(document()));
    }
}

// Installs `layout`, or Qt's own for nullptr, keeping what the control set on the old one.
void TCustomRichEdit98::UseLayout(QAbstractTextDocumentLayout* layout) {
    QTextDocument& doc = *document();
    const QVariant cursorWidth = doc.documentLayout()->property("cursorWidth");
    FSwitchingLayout = true;
    if (layout) layout->setPaintDevice(viewport());
    doc.setDocumentLayout(layout);
    QAbstractTextDocumentLayout* installed = doc.documentLayout(); // Qt's own is made on demand
    installed->setPaintDevice(viewport());
    installed->setProperty("cursorWidth", cursorWidth);
    if (!layout) RtfEngine::RegisterKeptObjects(&doc);
    FSwitchingLayout = false;
    InvalidateLines();
}

TCustomRichEdit98::~TCustomRichEdit98() = default;

void TRichEdit98::ConfigureAsTemplateEditor(TRichEdit98& edit) {
    edit.SetLanguage(1033);
    edit.SetIncludeOLE(true);
    edit.SetWordWrap(true);
    edit.SetWantReturns(true);
    edit.SetHideScrollBars(false);
    edit.SetScrollBars(ssVertical);
    edit.SetPlainRTF(false);
}

void TRichEdit98::ConfigureAsInformationEditor(TRichEdit98& edit) {
    edit.SetLanguage(1033);
    edit.SetIncludeOLE(false);
    edit.SetWordWrap(false);
    edit.SetWantReturns(false);
    edit.SetHideScrollBars(true);
    edit.SetScrollBars(ssNone);
    edit.SetPlainRTF(true);
}

// --- properties ----------------------------------------------------------------------------

void TCustomRichEdit98::SetLanguage(int value) {
    FLanguage = value & 0xFFFF;
    FCodePage = RichEditText::CodePageOfLanguage(FLanguage);
}

void TCustomRichEdit98::SetAutoURLDetect(TAutoURLDetect value) {
    if (value == FAutoURLDetect) return;
    FAutoURLDetect = value;
    if (value != adNone) DetectLinks(0, 0);
}

void TCustomRichEdit98::SetShowSelectionBar(bool value) {
    FShowSelectionBar = value;
    ApplyViewportMargins();
}

void TCustomRichEdit98::SetWordWrap(bool value) {
    FWordWrap = value;
    setLineWrapMode(value ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    InvalidateLines();
}

void TCustomRichEdit98::SetHideScrollBars(bool value) {
    FHideScrollBars = value;
    ApplyScrollBars();
}

void TCustomRichEdit98::SetScrollBars(TScrollStyle value) {
    FScrollBars = value;
    ApplyScrollBars();
}

void TCustomRichEdit98::ApplyScrollBars() {
    const auto policy = [this](bool wanted) {
        if (!wanted) return Qt::ScrollBarAlwaysOff;
        return FHideScrollBars ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
    };
    setHorizontalScrollBarPolicy(policy(FScrollBars == ssHorizontal || FScrollBars == ssBoth));
    setVerticalScrollBarPolicy(policy(FScrollBars == ssVertical || FScrollBars == ssBoth));
}

void TCustomRichEdit98::SetHideSelection(bool value) {
    FHideSelection = value;
    ApplySelectionVisibility(hasFocus());
}

void TCustomRichEdit98::ApplySelectionVisibility(bool focused) {
    QPalette current = palette();
    const QPalette standard = QApplication::palette(this);
    const bool hide = FHideSelection && !focused;
    current.setColor(QPalette::Highlight, hide ? current.color(QPalette::Base) : standard.color(QPalette::Highlight));
    current.setColor(QPalette::HighlightedText,
                     hide ? current.color(QPalette::Text) : standard.color(QPalette::HighlightedText));
    setPalette(current);
}

void TCustomRichEdit98::SetFormattingRect(const QRect& rect) {
    // The client area is the viewport with the margins now applied around it.
    const QMargins applied = viewportMargins();
    const int width = viewport()->width() + applied.left() + applied.right();
    const int height = viewport()->height() + applied.top() + applied.bottom();
    FTextMargins = QMargins(std::max(0, rect.left()), std::max(0, rect.top()), std::max(0, width - rect.right()),
                            std::max(0, height - rect.bottom()));
    ApplyViewportMargins();
}

void TCustomRichEdit98::ApplyViewportMargins() {
    QMargins margins = FTextMargins;
    if (FShowSelectionBar) margins.setLeft(margins.left() + kSelectionBarWidth);
    setViewportMargins(margins);
    InvalidateLines();
}

int TCustomRichEdit98::TextLimit() const { return FMaxLength == 0 ? INT_MAX : FMaxLength; }

int TCustomRichEdit98::RoomFor(int replacedLength) const {
    const qint64 room = qint64(TextLimit()) - (qint64(GetTextLen()) - replacedLength);
    return int(std::clamp<qint64>(room, 0, INT_MAX));
}

void TCustomRichEdit98::SetLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    FLines.SetText(text);
}

// --- text and selection -------------------------------------------------------------------

void TCustomRichEdit98::Clear() {
    // The document's pictures (the embedded objects) go with its text.
    clear();
    // Typing starts again in the default format, as in a new editor: the engine keeps
    // the old text's format when the caret stood at the start.
    QTextCursor cursor = textCursor();
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(QTextCharFormat());
    setTextCursor(cursor);
    setCurrentCharFormat(QTextCharFormat());
    InvalidateLines();
}

std::string TCustomRichEdit98::Text() const {
    return RichEditText::UnicodeToAnsi(RichEditText::FromEngineText(document()->toRawText()), FCodePage);
}

std::string TCustomRichEdit98::TextRange(int start, int end) const {
    const int length = GetTextLen();
    start = std::clamp(start, 0, length);
    end = std::clamp(end < 0 ? length : end, start, length);
    return RichEditText::UnicodeToAnsi(PlainTextOf(start, end, false), FCodePage);
}

QString TCustomRichEdit98::PlainTextOf(int start, int end, bool objectsAsNames) const {
    const QString raw = document()->toRawText().mid(start, end - start);
    if (!objectsAsNames) return RichEditText::FromEngineText(raw);
    QString text;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QChar::ObjectReplacementCharacter) {
            text += raw[i];
            continue;
        }
        QTextCursor at(document());
        at.setPosition(start + int(i) + 1);
        const QString name = at.charFormat().toImageFormat().name();
        text += name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    }
    return RichEditText::FromEngineText(text);
}

int TCustomRichEdit98::GetTextLen() const { return document()->characterCount() - 1; }

int TCustomRichEdit98::SelectionStart() const { return textCursor().selectionStart(); }

int TCustomRichEdit98::SelectionLength() const {
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TCustomRichEdit98::SetSelectionStart(int value) {
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(value, 0, GetTextLen()));
    setTextCursor(cursor);
}

void TCustomRichEdit98::SetSelectionLength(int value) {
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(std::clamp(start + std::max(0, value), start, GetTextLen()), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

std::string TCustomRichEdit98::SelectedText() const {
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) return std::string();
    return RichEditText::UnicodeToAnsi(PlainTextOf(cursor.selectionStart(), cursor.selectionEnd(), false), FCodePage);
}

void TCustomRichEdit98::SetSelectedText(const std::string& text) {
    SetSelectedTextW(RichEditText::AnsiToUnicode(text, FCodePage));
}

void TCustomRichEdit98::SetSelectedTextW(const QString& text) {
    const QTextCursor cursor = textCursor();
    ReplaceRange(cursor.selectionStart(), cursor.selectionEnd(), RichEditText::ToEngineText(text));
}

int TCustomRichEdit98::ReplaceRange(int start, int end, const QString& text) {
    const int length = GetTextLen();
    start = std::clamp(start, 0, length);
    end = std::clamp(end, start, length);
    QString fitting = text.left(RoomFor(end - start));
    if (!fitting.isEmpty() && fitting.back().isHighSurrogate()) fitting.chop(1);
    QTextCursor cursor = textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    if (fitting.isEmpty()) cursor.removeSelectedText();
    else cursor.insertText(fitting);
    cursor.endEditBlock();
    setTextCursor(cursor);
    return cursor.position();
}

bool TCustomRichEdit98::Modified() const { return document()->isModified(); }
void TCustomRichEdit98::SetModified(bool value) { document()->setModified(value); }

// --- lines -------------------------------------------------------------------------------------

const TCustomRichEdit98::TLineMap& TCustomRichEdit98::WrappedLines() const {
    if (FLineMapValid) return FLineMap;
    const QAbstractTextDocumentLayout* documentLayout = document()->documentLayout();
    documentLayout->documentSize(); // Qt's layout lays the whole document out; a long document's lays out none
    FLineMap.starts.clear();
    FLineMap.lengths.clear();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (layout && layout->lineCount() == 0) documentLayout->blockBoundingRect(block); // lays it out
        const int lines = layout ? layout->lineCount() : 0;
        if (lines == 0) {
            FLineMap.starts.push_back(block.position());
            FLineMap.lengths.push_back(block.length() - 1);
            continue;
        }
        for (int i = 0; i < lines; ++i) {
            const QTextLine line = layout->lineAt(i);
            FLineMap.starts.push_back(block.position() + line.textStart());
            FLineMap.lengths.push_back(std::min(line.textLength(), block.length() - 1 - line.textStart()));
        }
    }
    FLineMapValid = true;
    return FLineMap;
}

int TCustomRichEdit98::LineCount() const {
    if (!FWordWrap) return document()->blockCount();
    return int(WrappedLines().starts.size());
}

int TCustomRichEdit98::LineIndex(int line) const {
    if (line < 0 || line >= LineCount()) return -1;
    if (!FWordWrap) return document()->findBlockByNumber(line).position();
    return WrappedLines().starts[size_t(line)];
}

int TCustomRichEdit98::LineLength(int line) const {
    if (line < 0 || line >= LineCount()) return 0;
    if (!FWordWrap) return document()->findBlockByNumber(line).length() - 1;
    return WrappedLines().lengths[size_t(line)];
}

// --- loading and saving ------------------------------------------------------------------------

void TCustomRichEdit98::ReportLoadProgress(qint64 size) {
    // The engine takes the bytes block by block; each request reports the position first.
    for (qint64 position = 0;; position += kStreamBlock) {
        if (OnLoadProgress) OnLoadProgress(this, std::min(position, size), size);
        if (position >= size) break;
    }
}

QTextCursor TCustomRichEdit98::TargetCursor(bool selection) {
    if (!selection) Clear();
    return textCursor();
}

void TCustomRichEdit98::ReadAsText(const QByteArray& data, TInputFormat format, QTextCursor& cursor) {
    const QString text = format == ifUnicode
                             ? DecodeUtf16Le(data)
                             : RichEditText::PlainTextToUnicode(std::string_view(data.constData(), size_t(data.size())), FCodePage);
    cursor.beginEditBlock();
    cursor.insertText(RichEditText::ToEngineText(text));
    cursor.endEditBlock();
}

namespace {

// A document with a null page size is not laid out as it changes. Without this the
// layout takes every inserted block at the end of the edit in one synchronous pass,
// whose cost grows far faster than the document (minutes at 600,000 paragraphs).
// Given its page size back, the layout starts over lazily, a step at a time from the
// event loop, and only as far as someone looks.
class TLayoutPause {
public:
    explicit TLayoutPause(QTextDocument& document) : FDocument(document), FPageSize(document.pageSize()) {
        FDocument.setPageSize(QSizeF(0, 0));
    }
    ~TLayoutPause() { FDocument.setPageSize(FPageSize); }
    TLayoutPause(const TLayoutPause&) = delete;
    TLayoutPause& operator=(const TLayoutPause&) = delete;

private:
    QTextDocument& FDocument;
    QSizeF FPageSize;
};

} // namespace

// Takes back whatever a failed read put in, so that a retry starts clean.
void TCustomRichEdit98::TakeBackFailedRead(int start, int replaced, int lengthBefore) {
    const int inserted = GetTextLen() - (lengthBefore - replaced);
    if (inserted > 0 || replaced > 0) {
        QTextCursor undo(document());
        undo.setPosition(std::min(start, GetTextLen()));
        undo.setPosition(std::clamp(start + std::max(inserted, 0), 0, GetTextLen()), QTextCursor::KeepAnchor);
        undo.removeSelectedText();
    }
    document()->setUndoRedoEnabled(true);
}

bool TCustomRichEdit98::StreamIn(const QByteArray& data, TInputFormat format, bool selection, bool plain) {
    FRtfRefusal.clear();
    try {
        ReportLoadProgress(data.size());
    } catch (...) {
        return false; // a failing callback ends the transfer with an error
    }
    QTextCursor cursor = TargetCursor(selection);
    const int lengthBefore = GetTextLen();
    const int start = cursor.selectionStart();
    const int replaced = cursor.selectionEnd() - start;
    // Placing the caret asks for its block's position on screen, which would lay out
    // everything before it at once: that too waits for the layout's own lazy pass.
    const TLayoutPause pause(*document());
    // A freshly loaded document has no history: record none while loading it.
    if (!selection) document()->setUndoRedoEnabled(false);
    try {
        if (format == ifRTF) RtfEngine::ReadRtf(data, cursor, RtfEngine::ReadOptions{plain});
        else ReadAsText(data, format, cursor);
    } catch (const RtfEngine::ERtfError& error) {
        FRtfRefusal = error.what();
        TakeBackFailedRead(start, replaced, lengthBefore);
        return false;
    } catch (...) {
        TakeBackFailedRead(start, replaced, lengthBefore);
        return false;
    }
    if (!selection) {
        document()->setUndoRedoEnabled(true);
        document()->setModified(false); // and no changes
        cursor.setPosition(0);
    }
    setTextCursor(cursor);
    InvalidateLines();
    return true;
}

void TCustomRichEdit98::StreamInRtfOrText(const QByteArray& data, bool selection, bool plain) {
    if (StreamIn(data, ifRTF, selection, plain)) return;
    if (!FRtfRefusal.empty()) throw EOutOfResources("Failed to Load Stream: " + FRtfRefusal);
    if (!StreamIn(data, ifText, selection, plain)) throw EOutOfResources("Failed to Load Stream");
}

QByteArray TCustomRichEdit98::StreamOut(TOutputFormat format, bool selection, bool plain) const {
    const QTextCursor cursor = textCursor();
    const int start = selection ? cursor.selectionStart() : 0;
    const int end = selection ? cursor.selectionEnd() : GetTextLen();
    try {
        switch (format) {
        case ofRTF:
        case ofRTFNoObjs:
            return RtfEngine::WriteRtf(*document(), start, selection ? end : -1,
                                       RtfEngine::WriteOptions{plain, format == ofRTF});
        case ofUnicode: return EncodeUtf16Le(PlainTextOf(start, end, false));
        case ofText:
        case ofTextized: {
            const std::string text = RichEditText::UnicodeToAnsi(PlainTextOf(start, end, format == ofTextized), FCodePage);
            return QByteArray(text.data(), qsizetype(text.size()));
        }
        }
    } catch (...) {
    }
    throw EOutOfResources("Failed to Save Stream");
}

void TCustomRichEdit98::InsertFromFile(const std::string& fileName) {
    struct TFlag {
        bool& flag;
        explicit TFlag(bool& f) : flag(f) { flag = true; }
        ~TFlag() { flag = false; }
    } inserting(FInsertAtSelection);
    FLines.LoadFromFile(fileName);
}

// --- search ------------------------------------------------------------------------------------

int TCustomRichEdit98::FindText(const std::string& searchText, int start, int length, TFindOptions98 options) const {
    return FindTextW(RichEditText::AnsiToUnicode(searchText, FCodePage), start, length, options);
}

int TCustomRichEdit98::FindTextW(const QString& searchText, int start, int length, TFindOptions98 options) const {
    const QString needle = RichEditText::ToEngineText(searchText);
    const int textLength = GetTextLen();
    if (needle.isEmpty() || start < 0) return -1;
    const bool backward = options & foBackward;
    const bool wholeWord = options & foWholeWord;
    const Qt::CaseSensitivity sensitivity = (options & foMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const int from = std::clamp(backward ? (length > 0 ? start - length : 0) : start, 0, textLength);
    const int to = std::clamp(backward ? start : (length > 0 ? start + length : textLength), 0, textLength);
    const int n = int(needle.size());
    if (to - from < n) return -1;

    if (!backward) {
        for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to - n;
             block = block.next()) {
            const QString text = block.text();
            const int base = block.position();
            for (qsizetype at = text.indexOf(needle, std::max(0, from - base), sensitivity); at >= 0;
                 at = text.indexOf(needle, at + 1, sensitivity)) {
                if (base + at + n > to) return -1;
                if (!wholeWord || IsWholeWordAt(text, at, n)) return base + int(at);
            }
        }
        return -1;
    }
    for (QTextBlock block = document()->findBlock(to); block.isValid() && block.position() + block.length() > from;
         block = block.previous()) {
        const QString text = block.text();
        const int base = block.position();
        const qsizetype last = std::min<qsizetype>(text.size() - n, to - base - n);
        for (qsizetype at = last >= 0 ? text.lastIndexOf(needle, last, sensitivity) : -1; at >= 0;
             at = at > 0 ? text.lastIndexOf(needle, at - 1, sensitivity) : -1) {
            if (base + at < from) return -1;
            if (!wholeWord || IsWholeWordAt(text, at, n)) return base + int(at);
        }
    }
    return -1;
}

// --- painting lock -------------------------------------------------------------------------------

void TCustomRichEdit98::BeginUpdate() {
    if (FUpdateCount++ > 0) return;
    viewport()->setUpdatesEnabled(false);
    FSavedSelStart = SelectionStart();
    FSavedSelLength = SelectionLength();
    FSavedScroll = verticalScrollBar()->value();
}

void TCustomRichEdit98::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0) return;
    // An untouched selection stays as it is, typing format included.
    if (SelectionStart() != FSavedSelStart || SelectionLength() != FSavedSelLength) {
        QTextCursor cursor = textCursor();
        const int length = GetTextLen();
        cursor.setPosition(std::clamp(FSavedSelStart, 0, length));
        cursor.setPosition(std::clamp(FSavedSelStart + FSavedSelLength, 0, length), QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
    // The scroll bar stops at its end when the saved line is no longer reachable.
    verticalScrollBar()->setValue(FSavedScroll);
    viewport()->setUpdatesEnabled(true);
    viewport()->update();
}

// --- notifications -----------------------------------------------------------------------------

void TCustomRichEdit98::HoldChangeNotifications(bool hold) {
    if (hold) ++FHoldChange;
    else if (FHoldChange > 0) --FHoldChange;
}

void TCustomRichEdit98::NotifyChange() {
    if (FHoldChange == 0 && OnChange) OnChange(this);
}

void TCustomRichEdit98::NotifySelectionChange() {
    const int start = SelectionStart(), length = SelectionLength();
    if (start == FLastSelStart && length == FLastSelLength) return;
    FLastSelStart = start;
    FLastSelLength = length;
    if (FHoldChange == 0 && OnSelectionChange) OnSelectionChange(this);
}

void TCustomRichEdit98::NoteContentsChange(int position, int /*removed*/, int added) {
    InvalidateLines();
    if (FSwitchingLayout) return; // the same text, laid out anew
    ChooseLayout(position, position + added);
    if (FScanningLinks) return;
    const int end = position + added;
    FPendingLinkStart = FPendingLinkStart < 0 ? position : std::min(FPendingLinkStart, position);
    FPendingLinkEnd = std::max(FPendingLinkEnd, end);
}

void TCustomRichEdit98::RunPendingLinkScan() {
    if (FScanningLinks || FPendingLinkStart < 0) return;
    const int start = FPendingLinkStart, end = FPendingLinkEnd;
    if (FAutoURLDetect != adNone && (FUpdateCount > 0 || FInsertAtSelection)) return; // scanned later
    FPendingLinkStart = FPendingLinkEnd = -1;
    if (FAutoURLDetect == adNone) return;
    DetectLinks(start, std::max(end, start + 1));
}

// --- keys, focus and other events ---------------------------------------------------------------

void TCustomRichEdit98::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !FWantReturns) {
        if (!(event->modifiers() & Qt::ControlModifier)) {
            event->ignore(); // the Enter key belongs to the window
            return;
        }
        QKeyEvent plainEnter(event->type(), event->key(), Qt::NoModifier, event->text());
        QTextEdit::keyPressEvent(&plainEnter);
        return;
    }
    const bool typing = !event->text().isEmpty() && (event->text()[0].isPrint() || enter) &&
                        !(event->modifiers() & Qt::ControlModifier);
    if (typing && !isReadOnly() && RoomFor(SelectionLength()) < 1) {
        QApplication::beep();
        event->accept();
        return;
    }
    if (typing && !enter) TypeBesideFieldEnd();
    QTextEdit::keyPressEvent(event);
}

// Text typed at the end of a field's result goes beside the field, not into the result,
// which a word processor replaces when it updates the field.
void TCustomRichEdit98::TypeBesideFieldEnd() {
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) return;
    QTextCharFormat format = cursor.charFormat();
    const QVariantList fields = format.property(RtfEngine::kFieldsProperty).toList();
    if (fields.isEmpty()) return;
    QVariantList after;
    if (!cursor.atBlockEnd()) {
        QTextCursor next = cursor;
        next.movePosition(QTextCursor::NextCharacter);
        after = next.charFormat().property(RtfEngine::kFieldsProperty).toList();
    }
    qsizetype shared = 0;
    while (shared < fields.size() && shared < after.size() && fields[shared] == after[shared]) ++shared;
    if (shared == fields.size()) return; // inside the result: typing edits it
    if (shared == 0) format.clearProperty(RtfEngine::kFieldsProperty);
    else format.setProperty(RtfEngine::kFieldsProperty, fields.mid(0, shared));
    setCurrentCharFormat(format);
}

void TCustomRichEdit98::contextMenuEvent(QContextMenuEvent* event) {
    // Pictures have no verbs: a selected object has no context menu at all.
    if (FAutoVerbMenu && ObjectSelected()) {
        event->accept();
        return;
    }
    QTextEdit::contextMenuEvent(event);
}

void TCustomRichEdit98::changeEvent(QEvent* event) {
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FDefaultAttributes.Assign(font());
        InvalidateLines();
    }
}

void TCustomRichEdit98::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    // Lists that start elsewhere than 1 have numbers the toolkit does not draw.
    QPainter painter(viewport());
    const QPointF scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scrolled);
    const QRectF clip = QRectF(event->rect()).translated(scrolled);
    RtfEngine::DrawListNumbers(painter, *document(), clip, palette().text());
    RtfEngine::DrawKeptDecorations(painter, *document(), clip, palette().text());
}

void TCustomRichEdit98::resizeEvent(QResizeEvent* event) {
    QTextEdit::resizeEvent(event);
    InvalidateLines();
}

bool TCustomRichEdit98::event(QEvent* event) {
    // A press in the selection bar selects the line beside it.
    if (FShowSelectionBar && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QRect area = viewport()->geometry();
        const QPoint at = mouse->position().toPoint();
        if (mouse->button() == Qt::LeftButton && at.x() < area.left() && at.y() >= area.top() &&
            at.y() < area.bottom()) {
            QTextCursor line = cursorForPosition(QPoint(0, at.y() - area.top()));
            line.movePosition(QTextCursor::StartOfLine);
            line.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
            if (line.atBlockEnd()) line.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
            setTextCursor(line);
            setFocus(Qt::MouseFocusReason);
            return true;
        }
    }
    return QTextEdit::event(event);
}

void TCustomRichEdit98::focusInEvent(QFocusEvent* event) {
    ApplySelectionVisibility(true);
    QTextEdit::focusInEvent(event);
}

void TCustomRichEdit98::SetFocus() {
    setFocus();
    if (window()->focusWidget() == this) ApplySelectionVisibility(true);
}

void TCustomRichEdit98::focusOutEvent(QFocusEvent* event) {
    QTextEdit::focusOutEvent(event);
    // Another window or a menu became active: the focus stays here within the window,
    // and the selection stays visible (what Find Next just selected, for one).
    const bool keptInWindow = event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
    ApplySelectionVisibility(keptInWindow);
}

// --- embedded objects ------------------------------------------------------------------------------

void TCustomRichEdit98::InsertObject() {
    if (!FIncludeOLE) return;
    const QString fileName = QFileDialog::getOpenFileName(this, QStringLiteral("Insert Object"));
    if (fileName.isEmpty()) return;
    InsertObjectFromFile(fileName);
}

void TCustomRichEdit98::InsertObjectFromFile(const QString& fileName) {
    if (!FIncludeOLE) return;
    QTextCursor cursor = textCursor();
    FObjects.Embed(cursor, fileName);
    setTextCursor(cursor);
}

bool TCustomRichEdit98::ObjectSelected() const {
    return FIncludeOLE && TEmbeddedObjects::SelectionIsObject(textCursor());
}

// --- clipboard ---------------------------------------------------------------------------------------

bool TCustomRichEdit98::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasFormat(QStringLiteral("text/rtf")) || source->hasFormat(QStringLiteral("application/rtf")) ||
           QTextEdit::canInsertFromMimeData(source);
}

QMimeData* TCustomRichEdit98::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    return RtfEngine::MakeClipboardData(*document(), cursor.selectionStart(), cursor.selectionEnd());
}

void TCustomRichEdit98::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !source) return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    const bool inserted = RtfEngine::InsertClipboardData(source, cursor);
    cursor.endEditBlock();
    if (!inserted) return;
    if (GetTextLen() > TextLimit()) {
        document()->undo(); // the paste does not fit: refused as a whole
        QApplication::beep();
        return;
    }
    setTextCursor(cursor);
    ensureCursorVisible();
}
