// TOpenPreviewDialog: the open-file dialog with a preview pane on the right that
// shows the file under the cursor — its picture, its text (rich text formatted),
// its type's description or "No preview" — and plays wave files.
#pragma once
#include <QFileDialog>
#include <QImage>
#include <QLocale>
#include <QPointer>
#include <QStringList>
#include <functional>

#include <QLabel>
class QScrollArea;
class QTimer;
class QToolButton;
class TRichEdit98;

namespace Dialogs {

using TPreviewNotify = std::function<void(QObject* sender, const QString& ext)>;

// Plays a wave file without waiting and stops it; Play returns false when the file
// cannot be played.
struct TWavePlayer {
    std::function<bool(const QString& fileName)> Play;
    std::function<void()> Stop;
};

// Installs the preview's wave player and returns the previous one; an empty one
// restores the default (the system's command-line player when there is one).
TWavePlayer SetWavePlayer(TWavePlayer player);

// The dialog's glyphs: "SHOWPREVIEWBUTTON", "SCALEBUTTON", "WORDWRAPBUTTON".
QPixmap PreviewGlyph(const QString& name);

// The user-interface language as a four-digit hexadecimal language identifier
// ("0407" for German), "0000" when none of ours.
QString LanguageIdFor(const QLocale& locale);

class TOpenPreviewDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TOpenPreviewDialog(QWidget* parent = nullptr);
    ~TOpenPreviewDialog() override;

    bool ShowPreview() const { return FShowPreview; }
    void SetShowPreview(bool value);
    bool WordWrapAndScale() const { return FWordWrapAndScale; }
    void SetWordWrapAndScale(bool value);

    // language identifier = text
    QStringList Titles{"Default="};
    QStringList NoPreviewTexts;
    QStringList PreviewCaptions;
    QStringList ScaleHints;
    QStringList WordWrapHints;
    QStringList ShowPreviewButtonHints;
    // Lower case, without the dot: previewed by OnPreview.
    QStringList CustomPreviewExtensions;
    TPreviewNotify OnPreview;

    bool Execute();
    // The chosen file, empty when none.
    QString FileName() const;

    // The text for the user's language, else its primary language, else "Default",
    // else the first entry's.
    QString LocalText(const QStringList& list) const;
    QString LangId() const { return FLangId; }
    QString PrimaryLangId() const { return FPrimaryLangId; }
    const QStringList& KnownExtensions() const { return FKnownExtensions; }

    // The file the pane shows; changing it updates the pane after a short pause, so
    // moving quickly through a folder previews only where the cursor rests.
    QString PreviewFileName() const { return FPreviewFile; }
    // Points the pane at a file, as moving the cursor in the file list does.
    void SetPreviewFileName(const QString& fileName);
    // A change the pane has not followed yet.
    bool PreviewPending() const;
    // Shows the file at once.
    void UpdatePreview();

    // The pane, for OnPreview handlers.
    QScrollArea* PreviewBox() const { return FPreviewBox; }
    TRichEdit98* PreviewText() const { return FPreviewText; }
    QLabel* PreviewImage() const { return FPreviewImage; }
    // The picture the pane shows (null when none).
    QImage Picture() const { return FPicture; }
    void SetPicture(const QImage& picture) { FPicture = picture; }
    QToolButton* ShowPreviewButton() const { return FShowPreviewButton; }
    QToolButton* WordWrapButton() const { return FWordWrapButton; }

    // Largest part of a text or rich text file the pane loads, and the largest picture
    // (in pixels) it decodes.
    // Both keep one preview well under 100 ms of the GUI thread (see the benchmark).
    static constexpr qint64 kMaxTextBytes = 64 * 1024;
    static constexpr qint64 kMaxPicturePixels = 4'000'000;
    // Pause after a change of the current file before the pane follows it.
    static constexpr int kPreviewDelayMs = 60;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildPane();
    void ApplyWrapScale();
    void ShowCentredMessage(const QString& message);
    bool LoadPicture(const QString& fileName);
    void LoadText(const QString& fileName);
    void StopSound();
    bool TextShown() const;

    bool FShowPreview = true;
    bool FWordWrapAndScale = true;
    QString FLangId;
    QString FPrimaryLangId;
    QStringList FKnownExtensions;
    QStringList FPictureExtensions;
    QString FPreviewFile;
    QImage FPicture;
    bool FSoundPlaying = false;

    QWidget* FPane = nullptr;
    QLabel* FCaptionPanel = nullptr;
    QToolButton* FShowPreviewButton = nullptr;
    QToolButton* FWordWrapButton = nullptr;
    QScrollArea* FPreviewBox = nullptr;
    TRichEdit98* FPreviewText = nullptr;
    QPointer<QLabel> FPreviewImage;
    QTimer* FPreviewTimer = nullptr;
};

} // namespace Dialogs
