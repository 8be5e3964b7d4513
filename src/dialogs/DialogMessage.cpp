#include "dialogs/DialogMessage.h"

#include "dialogs/MessageLayout.h"
#include "dialogs/MessageText.h"
#include "dialogs/Sound.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <memory>

namespace Dialogs {

namespace {

// Settings of every message box, fixed for the run.
struct TDialogSettings {
    QFont FormFont;
    QColor MessageFontColor = Qt::black;
    QColor FormColor = QColor(192, 192, 192);
    QColor ButtonFontColor = Qt::black;
    bool Sound = true;
};

const TDialogSettings& DialogSettings()
{
    static const TDialogSettings settings = [] {
        TDialogSettings s;
        s.FormFont = QFont(QStringLiteral("System"));
        s.FormFont.setPixelSize(11);
        s.FormFont.setBold(true);
        return s;
    }();
    return settings;
}

constexpr int kIconWidth = 32;
constexpr int kFrameWidth = 3;

QRect WorkArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? QRect(QPoint(0, 0), screen->geometry().size()) : QRect(0, 0, 640, 480);
}

// The screen cursor becomes the arrow while the box is up and is given back after,
// also when showing fails.
class ArrowCursorScope {
public:
    ArrowCursorScope() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowCursorScope() { QGuiApplication::restoreOverrideCursor(); }
    ArrowCursorScope(const ArrowCursorScope&) = delete;
    ArrowCursorScope& operator=(const ArrowCursorScope&) = delete;
};

void AddMessageLabel(TDialogForm& form, const QString& message, const QRect& bounds)
{
    auto* label = new QLabel(&form);
    label->setObjectName(QStringLiteral("Message"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(MessageDisplayText(message));
    label->setGeometry(bounds);
}

void AddIcon(TDialogForm& form, QStyle::StandardPixmap icon, QPoint at)
{
    auto* image = new QLabel(&form);
    image->setObjectName(QStringLiteral("Image"));
    image->setPixmap(form.style()->standardIcon(icon, nullptr, &form).pixmap(kIconWidth, kIconWidth));
    image->setGeometry(QRect(at, QSize(kIconWidth, kIconWidth)));
}

void AddButtons(TDialogForm& form, const QStringList& captions, const std::vector<QRect>& bounds)
{
    QPalette palette = form.palette();
    palette.setColor(QPalette::ButtonText, DialogSettings().ButtonFontColor);
    for (qsizetype i = 0; i < captions.size(); ++i) {
        const int result = static_cast<int>(i) + 1;
        auto* button = new QPushButton(captions[i], &form);
        button->setObjectName(QStringLiteral("button%1").arg(result));
        button->setAccessibleName(CaptionWithoutAccelerators(captions[i]));
        button->setPalette(palette);
        button->setGeometry(bounds[static_cast<size_t>(i)]);
        QObject::connect(button, &QPushButton::clicked, &form, [&form, result] { form.done(result); });
    }
}

std::unique_ptr<TDialogForm> BuildDialog(const QString& title, const TMessageKind& kind, const QString& message,
                                         const QStringList& captions)
{
    auto form = std::make_unique<TDialogForm>(title);
    TMessageLayoutInput in;
    in.Font = form->font();
    in.Caption = form->windowTitle();
    in.Message = message;
    in.Buttons = captions;
    in.IconWidth = kind.HasIcon ? kIconWidth : 0;
    in.WorkArea = WorkArea();
    in.FrameWidth = kFrameWidth;
    in.CaptionHeight = in.Caption.isEmpty() ? 0 : form->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const TMessageLayout layout = LayoutMessageDialog(in);

    form->setFixedSize(layout.ClientSize);
    form->move(layout.FormRect.topLeft());
    AddMessageLabel(*form, message, layout.MessageRect);
    if (kind.HasIcon)
        AddIcon(*form, kind.Icon, layout.IconPos);
    AddButtons(*form, captions, layout.ButtonRects);
    return form;
}

} // namespace

TDialogForm::TDialogForm(const QString& caption)
    : QDialog(nullptr)
{
    const TDialogSettings& settings = DialogSettings();
    QString title = caption;
    while (title.startsWith(QChar(' ')))
        title.remove(0, 1);
    setWindowTitle(title);
    // No system menu and no close box; no title bar at all without a caption.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
    flags |= title.isEmpty() ? Qt::FramelessWindowHint : Qt::WindowTitleHint;
    setWindowFlags(flags);
    setModal(true);
    setFont(settings.FormFont);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, settings.FormColor);
    palette.setColor(QPalette::Button, settings.FormColor);
    palette.setColor(QPalette::WindowText, settings.MessageFontColor);
    setPalette(palette);
    setAutoFillBackground(true);
}

void TDialogForm::reject() {}

void TDialogForm::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (!windowTitle().isEmpty())
        return;
    // A window without a title bar draws its own raised dialog frame.
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = 2;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Raised;
    option.frameShape = QFrame::WinPanel;
    style()->drawPrimitive(QStyle::PE_Frame, &option, &painter, this);
}

QChar ShowDialogMessage(const QString& title, QChar kind, const QString& message, const QString& buttons)
{
    ArrowCursorScope cursor;
    const TMessageKind messageKind = MessageKindOf(kind);
    const QStringList captions = ButtonCaptions(buttons);
    std::unique_ptr<TDialogForm> form = BuildDialog(title, messageKind, PrepareMessage(message), captions);
    if (DialogSettings().Sound)
        MessageBeep(messageKind.HasIcon ? messageKind.Sound : MB_SIMPLEBEEP);
    const int result = form->exec();
    if (result < 1 || result > captions.size())
        return QChar();
    return ResultLetter(captions[result - 1]);
}

} // namespace Dialogs
