#include "dialogs/OpenPreview.h"

#include "richedit/RichEdit98.h"
#include "richedit/RichEditStrings98.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>

namespace Dialogs {

namespace {

const QStringList kNoPreviewTexts{
    "Default=No preview",  "0006=Ingen visning",   "0007=Keine Vorschau", "0009=No preview",
    "000C=Rien de montrer", "0013=Geen voorbeeld", "0406=Ingen visning",   "0407=Keine Vorschau",
    "0409=No preview",     "040C=Rien de montrer", "0413=Geen voorbeeld"};
const QStringList kPreviewCaptions{
    "Default=Preview:", "0006=Prøvevisning:", "0007=Vorschau:", "0009=Preview:", "000C=Épreuve:", "0013=Voorbeeld:",
    "0406=Prøvevisning:", "0407=Vorschau:", "0409=Preview:", "040C=Épreuve:", "0413=Voorbeeld:"};
const QStringList kScaleHints{
    "Default=Scale to fit", "0006=Komprimér størrelse", "0007=Größe anpassen", "0009=Scale to fit",
    "000C=Compression",     "0013=Opschalen",           "0406=Komprimér størrelse", "0407=Größe anpassen",
    "0409=Scale to fit",    "040C=Compression",         "0413=Opschalen"};
const QStringList kWordWrapHints{
    "Default=Word-wrap",       "0006=Liniedeling",        "0007=Zeilenumbruch", "0009=Word-wrap",
    "000C=Division de lignes", "0013=Regels afbreken",   "0406=Liniedeling",   "0407=Zeilenumbruch",
    "0409=Word-wrap",          "040C=Division de lignes", "0413=Regels afbreken"};
const QStringList kShowPreviewButtonHints{
    "Default=Show Preview",     "0006=Vis prøve",      "0007=Vorschau", "0009=Show Preview",
    "000C=Montrer l'epreuve",   "0013=Toon Voorbeeld", "0406=Vis prøve", "0407=Vorschau",
    "0409=Show Preview",        "040C=Montrer l'epreuve", "0413=Toon Voorbeeld"};

const QStringList kTextExtensions{"txt", "rtf", "ini", "inf", "tem", "bat", "log", "pas", "dpr", "dpk"};

// The pane's share of the dialog template: 338 - 204 dialog units, a unit being a
// quarter of the font's average character width.
constexpr int kPaneDialogUnits = 338 - 204;

int PaneWidth(const QFontMetrics& metrics) {
    const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int averageCharWidth = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    return kPaneDialogUnits * averageCharWidth / 4;
}

// --- wave files ------------------------------------------------------------------------

// The default player: the system's command-line player, run without waiting. There
// is no sound library in the build; a machine without a player simply stays silent.
class TProcessWavePlayer {
public:
    bool Play(const QString& fileName) {
        Stop();
        QString program;
        for (const char* name : {"aplay", "paplay", "pw-play"})
            if (program = QStandardPaths::findExecutable(name); !program.isEmpty()) break;
        if (program.isEmpty()) return false;
        FProcess = new QProcess;
        QObject::connect(FProcess, &QProcess::finished, FProcess, &QObject::deleteLater);
        FProcess->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess->start(program, program.endsWith("aplay") ? QStringList{"-q", fileName} : QStringList{fileName});
        return true;
    }
    void Stop() {
        if (!FProcess) return;
        QObject::disconnect(FProcess, nullptr, nullptr, nullptr);
        FProcess->kill();
        FProcess->waitForFinished(200);
        delete FProcess.data();
    }

private:
    QPointer<QProcess> FProcess;
};

TWavePlayer& CurrentWavePlayer() {
    static TWavePlayer player;
    return player;
}

TProcessWavePlayer& DefaultWavePlayer() {
    static TProcessWavePlayer player;
    return player;
}

bool PlayWave(const QString& fileName) {
    if (CurrentWavePlayer().Play) return CurrentWavePlayer().Play(fileName);
    return DefaultWavePlayer().Play(fileName);
}

void StopWave() {
    if (CurrentWavePlayer().Stop) CurrentWavePlayer().Stop();
    else DefaultWavePlayer().Stop();
}

// --- file helpers --------------------------------------------------------------------

// The type name the desktop shows for the file; empty when it knows none.
QString TypeDescription(const QString& fileName) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName);
    if (!type.isValid() || type.isDefault()) return {};
    return type.comment();
}

// A rich text file cut at a paragraph end, with its open groups closed, so the
// reader shows the beginning formatted instead of failing on the cut.
QByteArray CloseRtfPrefix(QByteArray data) {
    const qsizetype par = data.lastIndexOf("\\par");
    if (par > 0) data.truncate(par + 4);
    int depth = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\\') ++i; // an escaped brace or backslash
        else if (c == '{') ++depth;
        else if (c == '}') depth = std::max(0, depth - 1);
    }
    data.append(QByteArray(depth, '}'));
    return data;
}

struct LanguageEntry {
    QLocale::Language language;
    QLocale::Territory territory;
    int id;
};

const LanguageEntry kLanguages[] = {
    {QLocale::Danish, QLocale::Denmark, 0x0406},       {QLocale::German, QLocale::Germany, 0x0407},
    {QLocale::German, QLocale::Switzerland, 0x0807},   {QLocale::German, QLocale::Austria, 0x0C07},
    {QLocale::English, QLocale::UnitedStates, 0x0409}, {QLocale::English, QLocale::UnitedKingdom, 0x0809},
    {QLocale::English, QLocale::Australia, 0x0C09},    {QLocale::English, QLocale::Canada, 0x1009},
    {QLocale::French, QLocale::France, 0x040C},        {QLocale::French, QLocale::Belgium, 0x080C},
    {QLocale::French, QLocale::Canada, 0x0C0C},        {QLocale::French, QLocale::Switzerland, 0x100C},
    {QLocale::Dutch, QLocale::Netherlands, 0x0413},    {QLocale::Dutch, QLocale::Belgium, 0x0813},
};

// A caption panel whose two buttons sit at its edges, vertically centred.
class TCaptionPanel : public QLabel {
public:
    using QLabel::QLabel;
    QToolButton* Left = nullptr;
    QToolButton* Right = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        if (Left) Left->move(0, (height() - Left->height()) / 2);
        if (Right) Right->move(width() - Right->width(), (height() - Right->height()) / 2);
    }
};

} // namespace

TWavePlayer SetWavePlayer(TWavePlayer player) { return std::exchange(CurrentWavePlayer(), std::move(player)); }

QString LanguageIdFor(const QLocale& locale) {
    int id = 0;
    for (const LanguageEntry& entry : kLanguages)
        if (entry.language == locale.language()) {
            if (id == 0) id = entry.id; // the language's first country stands for the others
            if (entry.territory == locale.territory()) {
                id = entry.id;
                break;
            }
        }
    return QString("%1").arg(id, 4, 16, QChar('0')).toUpper();
}

QPixmap PreviewGlyph(const QString& name) {
    QPixmap glyph(16, 16);
    glyph.fill(Qt::transparent);
    QPainter p(&glyph);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(0, 0, 128);
    if (name == "SHOWPREVIEWBUTTON") {
        // A page with a magnifying glass.
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(1, 1, 9, 12);
        p.setPen(Qt::gray);
        for (int y = 4; y <= 10; y += 2) p.drawLine(3, y, 8, y);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(6.5, 6.5, 6, 6));
        p.setPen(QPen(ink, 2.2));
        p.drawLine(QPointF(11.8, 11.8), QPointF(14.5, 14.5));
    } else if (name == "SCALEBUTTON") {
        // A frame with arrows pointing into its corners.
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(1, 1, 13, 13);
        p.setPen(QPen(ink, 1));
        p.drawLine(4, 4, 11, 11);
        p.drawLine(4, 11, 11, 4);
        for (const QPoint& c : {QPoint(3, 3), QPoint(12, 12), QPoint(3, 12), QPoint(12, 3)}) p.drawRect(c.x() - 1, c.y() - 1, 2, 2);
    } else if (name == "WORDWRAPBUTTON") {
        // Lines of text, the last one bent back to the left.
        p.setPen(Qt::black);
        p.drawLine(1, 3, 14, 3);
        p.drawLine(1, 7, 11, 7);
        p.drawLine(11, 7, 13, 7);
        p.drawLine(13, 7, 13, 11);
        p.drawLine(13, 11, 5, 11);
        p.setPen(ink);
        p.setBrush(ink);
        p.drawPolygon(QPolygon({QPoint(2, 11), QPoint(5, 8), QPoint(5, 14)}));
        p.setPen(Qt::black);
        p.drawLine(1, 14, 3, 14);
    }
    return glyph;
}

// --- the dialog ------------------------------------------------------------------------

TOpenPreviewDialog::TOpenPreviewDialog(QWidget* parent)
    : QFileDialog(parent),
      NoPreviewTexts(kNoPreviewTexts),
      PreviewCaptions(kPreviewCaptions),
      ScaleHints(kScaleHints),
      WordWrapHints(kWordWrapHints),
      ShowPreviewButtonHints(kShowPreviewButtonHints) {
    setOption(QFileDialog::DontUseNativeDialog); // the pane lives inside the dialog
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);

    FLangId = LanguageIdFor(QLocale());
    FPrimaryLangId = QString("%1").arg(FLangId.toInt(nullptr, 16) & 0x3FF, 4, 16, QChar('0')).toUpper();

    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString ext = QString::fromLatin1(format).toLower();
        if (!FPictureExtensions.contains(ext)) FPictureExtensions << ext;
    }
    FKnownExtensions = FPictureExtensions;
    FKnownExtensions << kTextExtensions << "wav";

    BuildPane();
    resize(std::max(width(), 820), std::max(height(), 460)); // room for the list beside the pane
    FPreviewTimer = new QTimer(this);
    FPreviewTimer->setSingleShot(true);
    FPreviewTimer->setInterval(kPreviewDelayMs);
    connect(FPreviewTimer, &QTimer::timeout, this, &TOpenPreviewDialog::UpdatePreview);
    connect(this, &QFileDialog::currentChanged, this, &TOpenPreviewDialog::SetPreviewFileName);
}

TOpenPreviewDialog::~TOpenPreviewDialog() { StopSound(); }

void TOpenPreviewDialog::BuildPane() {
    FPane = new QWidget(this);
    FPane->setObjectName("PreviewPane");
    // A fixed place and size: nothing the pane shows (a large picture, a long centred
    // message) may take room from the file list or the "Look in" row.
    FPane->setFixedWidth(PaneWidth(fontMetrics()));
    FPane->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    auto* column = new QVBoxLayout(FPane);
    column->setContentsMargins(8, 0, 8, 8);
    column->setSpacing(1);

    auto* panel = new TCaptionPanel(FPane);
    FCaptionPanel = panel;
    FCaptionPanel->setObjectName("CaptionPanel");
    FCaptionPanel->setAlignment(Qt::AlignCenter);
    FCaptionPanel->setFixedHeight(32);
    FCaptionPanel->setText(LocalText(PreviewCaptions));

    auto makeButton = [&](const char* name) {
        auto* button = new QToolButton(FCaptionPanel);
        button->setObjectName(name);
        button->setFixedSize(22, 22);
        button->setCheckable(true);
        button->setAutoRaise(false);
        return button;
    };
    FShowPreviewButton = makeButton("FShowPreviewButton");
    FShowPreviewButton->setIcon(PreviewGlyph("SHOWPREVIEWBUTTON"));
    FShowPreviewButton->setProperty("Glyph", "SHOWPREVIEWBUTTON");
    FShowPreviewButton->setChecked(FShowPreview);
    FShowPreviewButton->setToolTip(LocalText(ShowPreviewButtonHints));
    connect(FShowPreviewButton, &QToolButton::clicked, this, [this] {
        FShowPreview = FShowPreviewButton->isChecked();
        UpdatePreview();
    });
    FWordWrapButton = makeButton("FWordWrapButton");
    FWordWrapButton->setIcon(PreviewGlyph("WORDWRAPBUTTON"));
    FWordWrapButton->setProperty("Glyph", "WORDWRAPBUTTON");
    FWordWrapButton->setChecked(FWordWrapAndScale);
    FWordWrapButton->setToolTip(LocalText(WordWrapHints));
    connect(FWordWrapButton, &QToolButton::clicked, this, [this] { ApplyWrapScale(); });
    panel->Left = FShowPreviewButton;
    panel->Right = FWordWrapButton;
    column->addWidget(FCaptionPanel);

    FPreviewBox = new QScrollArea(FPane);
    FPreviewBox->setObjectName("PreviewBox");
    FPreviewBox->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    FPreviewBox->setBackgroundRole(QPalette::Button);
    FPreviewBox->setAlignment(Qt::AlignCenter);
    FPreviewBox->setWidgetResizable(true);
    FPreviewBox->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    column->addWidget(FPreviewBox, 1);

    FPreviewText = new TRichEdit98;
    FPreviewText->setObjectName("FPreviewText");
    FPreviewText->SetLanguage(1033); // its plain text is read as code page 1252, as the editors read it
    FPreviewText->SetScrollBars(ssBoth);
    FPreviewText->setFrameStyle(QFrame::NoFrame);
    FPreviewText->SetReadOnly(true);
    FPreviewBox->setWidget(FPreviewText);

    if (auto* grid = qobject_cast<QGridLayout*>(layout())) grid->addWidget(FPane, 0, grid->columnCount(), grid->rowCount(), 1);
    else layout()->addWidget(FPane);
}

void TOpenPreviewDialog::SetShowPreview(bool value) {
    FShowPreview = value;
    FShowPreviewButton->setChecked(value);
}

void TOpenPreviewDialog::SetWordWrapAndScale(bool value) {
    FWordWrapAndScale = value;
    FWordWrapButton->setChecked(value);
}

QString TOpenPreviewDialog::LocalText(const QStringList& list) const {
    if (list.isEmpty()) return {};
    auto valueOf = [&list](const QString& key) -> std::optional<QString> {
        for (const QString& entry : list) {
            const int eq = entry.indexOf('=');
            const QString name = eq < 0 ? entry : entry.left(eq);
            if (name.compare(key, Qt::CaseInsensitive) == 0) return eq < 0 ? QString() : entry.mid(eq + 1);
        }
        return std::nullopt;
    };
    for (const QString& key : {FLangId, FPrimaryLangId, QString("Default")})
        if (const auto value = valueOf(key)) return *value;
    const QString& first = list.constFirst();
    return first.contains('=') ? first.mid(first.indexOf('=') + 1) : QString();
}

bool TOpenPreviewDialog::Execute() {
    setOption(QFileDialog::DontUseNativeDialog);
    // The last run's file is no choice of this one: the pane starts at "No preview".
    FPreviewFile.clear();
    if (auto* edit = findChild<QLineEdit*>("fileNameEdit")) edit->clear();
    if (const QString title = LocalText(Titles); !title.isEmpty()) setWindowTitle(title);
    return exec() == QDialog::Accepted;
}

QString TOpenPreviewDialog::FileName() const { return selectedFiles().value(0); }

void TOpenPreviewDialog::showEvent(QShowEvent* event) {
    QFileDialog::showEvent(event);
    FShowPreviewButton->setChecked(FShowPreview);
    FWordWrapButton->setChecked(FWordWrapAndScale);
    FShowPreviewButton->setToolTip(LocalText(ShowPreviewButtonHints));
    UpdatePreview();
}

void TOpenPreviewDialog::resizeEvent(QResizeEvent* event) {
    QFileDialog::resizeEvent(event);
    if (FPreviewImage && !TextShown()) ApplyWrapScale();
}

void TOpenPreviewDialog::done(int result) {
    QToolTip::hideText();
    StopSound();
    FPreviewTimer->stop();
    QFileDialog::done(result);
}

void TOpenPreviewDialog::SetPreviewFileName(const QString& path) {
    FPreviewFile = path;
    FPreviewTimer->start();
}

bool TOpenPreviewDialog::PreviewPending() const { return FPreviewTimer->isActive(); }

void TOpenPreviewDialog::StopSound() {
    if (!FSoundPlaying) return;
    FSoundPlaying = false;
    StopWave();
}

bool TOpenPreviewDialog::TextShown() const { return FPreviewBox->widget() == FPreviewText; }

bool TOpenPreviewDialog::LoadPicture(const QString& fileName) {
    QImageReader reader(fileName);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels) {
        // Too big to decode quickly: read reduced where the format can (JPEG), else no
        // preview rather than a stalled dialog.
        if (!reader.supportsOption(QImageIOHandler::ScaledSize)) return false;
        const double shrink = std::sqrt(double(kMaxPicturePixels) / (double(size.width()) * size.height()));
        reader.setScaledSize(QSize(std::max(1, int(size.width() * shrink)), std::max(1, int(size.height() * shrink))));
    }
    QImage picture = reader.read();
    if (picture.isNull()) return false;
    FPicture = picture;
    return true;
}

void TOpenPreviewDialog::LoadText(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("unreadable");
    QByteArray data = file.read(kMaxTextBytes);
    if (file.size() > data.size()) {
        // Only the beginning fits the pane anyway.
        if (data.startsWith("{\\rtf")) {
            data = CloseRtfPrefix(data);
        } else if (const qsizetype lf = data.lastIndexOf('\n'); lf > 0) {
            data.truncate(lf + 1);
        }
    }
    FPreviewText->Lines().LoadFromStream(data);
}

void TOpenPreviewDialog::ShowCentredMessage(const QString& message) {
    FPreviewText->SetWordWrap(true);
    const int lineHeight = std::max(1, QFontMetrics(FPreviewText->font()).height());
    const int visibleLines = (FPreviewBox->viewport()->height() - 4) / lineHeight;
    QTextCursor cursor(FPreviewText->document());
    cursor.movePosition(QTextCursor::End);
    if (!FPreviewText->document()->isEmpty()) cursor.insertBlock();
    cursor.insertText(QString(std::max(0, visibleLines / 2), QChar('\n')) + message);
    cursor.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(centred);
}

void TOpenPreviewDialog::UpdatePreview() {
    FPreviewTimer->stop();
    StopSound();

    // A fresh picture control and an empty text view.
    if (FPreviewBox->widget() != FPreviewText) {
        FPreviewBox->takeWidget();
        delete FPreviewImage.data();
        FPreviewBox->setWidget(FPreviewText);
    } else {
        delete FPreviewImage.data();
    }
    FPreviewImage = new QLabel;
    FPreviewImage->setObjectName("FPreviewImage");
    FPreviewImage->setAlignment(Qt::AlignCenter);
    FPreviewImage->setBackgroundRole(QPalette::Base);
    FPreviewImage->setAutoFillBackground(true);
    FPreviewImage->hide();
    FPicture = QImage();
    FPreviewBox->setWidgetResizable(true);
    FPreviewText->Clear();
    // Clearing keeps the typing format; a plain file after a rich one must not inherit it.
    FPreviewText->setCurrentCharFormat(QTextCharFormat());
    QTextCursor reset(FPreviewText->document());
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);
    reset.setBlockFormat(left);

    const QFileInfo info(FPreviewFile);
    const QString ext = info.suffix().toLower();
    bool previewed = false;
    if (info.isFile() && FShowPreviewButton->isChecked()) {
        try {
            if (CustomPreviewExtensions.contains(ext) && OnPreview) {
                OnPreview(this, ext);
                previewed = true;
            } else if (!FKnownExtensions.contains(ext)) {
                if (const QString description = TypeDescription(FPreviewFile).trimmed(); !description.isEmpty()) {
                    ShowCentredMessage(description);
                    previewed = true;
                }
            } else if (FPictureExtensions.contains(ext)) {
                previewed = LoadPicture(FPreviewFile);
            } else if (kTextExtensions.contains(ext)) {
                LoadText(FPreviewFile);
                previewed = true;
            } else if (ext == "wav") {
                ShowCentredMessage(TypeDescription(FPreviewFile));
                // A sound that cannot be played is skipped; the description stays.
                FSoundPlaying = PlayWave(FPreviewFile);
                previewed = true;
            }
        } catch (...) {
            previewed = false;
        }
    }
    if (!previewed) {
        FPreviewText->Clear();
        FPicture = QImage();
        ShowCentredMessage(LocalText(NoPreviewTexts));
    }

    if (FPreviewText->document()->isEmpty()) {
        FPreviewBox->takeWidget();
        FPreviewImage->show();
        FPreviewBox->setWidget(FPreviewImage);
        FWordWrapButton->setToolTip(LocalText(ScaleHints));
        FWordWrapButton->setIcon(PreviewGlyph("SCALEBUTTON"));
        FWordWrapButton->setProperty("Glyph", "SCALEBUTTON");
    } else {
        FWordWrapButton->setToolTip(LocalText(WordWrapHints));
        FWordWrapButton->setIcon(PreviewGlyph("WORDWRAPBUTTON"));
        FWordWrapButton->setProperty("Glyph", "WORDWRAPBUTTON");
    }
    ApplyWrapScale();
    FPreviewBox->update();
    FCaptionPanel->setText(LocalText(PreviewCaptions));
}

void TOpenPreviewDialog::ApplyWrapScale() {
    FWordWrapAndScale = FWordWrapButton->isChecked();
    if (TextShown()) {
        FPreviewText->SetWordWrap(FWordWrapAndScale);
        return;
    }
    if (!FPreviewImage) return;
    const QSize box = FPreviewBox->maximumViewportSize();
    const int pw = FPicture.width(), ph = FPicture.height();
    const int bw = std::max(1, box.width()), bh = std::max(1, box.height());
    const bool larger = pw > bw || ph > bh;
    FPreviewBox->setWidgetResizable(FWordWrapAndScale || !larger);
    if (FPicture.isNull()) {
        FPreviewImage->setPixmap(QPixmap());
    } else if (!FWordWrapAndScale || pw == 0 || !larger) {
        FPreviewImage->setPixmap(QPixmap::fromImage(FPicture));
        if (!FWordWrapAndScale && larger) FPreviewImage->resize(FPicture.size()); // the box scrolls
    } else {
        const double r = double(ph) / pw;
        int w = bw, h = bh;
        if (r >= double(bh) / bw) w = int(std::trunc(bh / r));
        else h = int(std::trunc(r * bw));
        FPreviewImage->setPixmap(
            QPixmap::fromImage(FPicture.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    }
}

} // namespace Dialogs
