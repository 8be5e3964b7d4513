#include "dialogs/MessageText.h"

#include "dialogs/Sound.h"

namespace Dialogs {

TMessageKind MessageKindOf(QChar kind)
{
    switch (kind.toUpper().unicode()) {
    case '!': return {true, QStyle::SP_MessageBoxWarning, MB_ICONEXCLAMATION};
    case '?': return {true, QStyle::SP_MessageBoxQuestion, MB_ICONQUESTION};
    case 'A': return {true, QStyle::SP_DesktopIcon, MB_SIMPLEBEEP};
    case 'H': return {true, QStyle::SP_MessageBoxCritical, MB_ICONHAND};
    case 'I': return {true, QStyle::SP_MessageBoxInformation, MB_ICONASTERISK};
    default: return {};
    }
}

QString PrepareMessage(const QString& message)
{
    static const QString marker = QStringLiteral(" CENTERTEXT");
    QString text = message;
    const qsizetype at = text.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at >= 0)
        text.remove(at, marker.size());
    text.replace(QStringLiteral("\r\n"), QStringLiteral(";"));
    text.replace(QStringLiteral("\n\r"), QStringLiteral(";"));
    text.replace(QChar('\n'), QChar(';'));
    text.replace(QChar('\r'), QChar(';'));
    return text;
}

QString MessageDisplayText(const QString& message)
{
    QString text = message;
    return text.replace(QChar(';'), QChar('\n'));
}

QStringList ButtonCaptions(const QString& buttons)
{
    QString text = buttons;
    while (text.endsWith(QChar(' ')))
        text.chop(1);
    if (text.isEmpty())
        return {QStringLiteral("&OK")};
    while (text.contains(QStringLiteral("  ")))
        text.replace(QStringLiteral("  "), QStringLiteral(" "));
    return text.trimmed().split(QChar(' '), Qt::SkipEmptyParts);
}

QString CaptionWithoutAccelerators(const QString& caption)
{
    QString text = caption;
    return text.remove(QChar('&'));
}

QChar ResultLetter(const QString& caption)
{
    const qsizetype amp = caption.indexOf(QChar('&'));
    if (amp >= 0 && amp + 1 < caption.size())
        return caption.at(amp + 1).toUpper();
    return caption.isEmpty() ? QChar() : caption.at(0).toUpper();
}

} // namespace Dialogs
