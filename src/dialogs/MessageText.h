// The text rules of the program's message box: message clean-up, button captions,
// the result letter and the kind codes.
#pragma once
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStyle>

namespace Dialogs {

// What a one-letter kind code stands for.
struct TMessageKind {
    bool HasIcon = false;
    QStyle::StandardPixmap Icon = QStyle::SP_CustomBase;
    unsigned Sound = 0xFFFF;
};

// Kind codes compare in upper case; unknown or empty codes have no icon.
TMessageKind MessageKindOf(QChar kind);

// Removes a " CENTERTEXT" marker (any case) and turns every line break into ";".
QString PrepareMessage(const QString& message);

// The message as shown: one line per ";"-separated part.
QString MessageDisplayText(const QString& message);

// The button captions: the words of the buttons text, "&OK" when it is blank.
QStringList ButtonCaptions(const QString& buttons);

// A caption without its "&" accelerator marks.
QString CaptionWithoutAccelerators(const QString& caption);

// The upper-case letter after the first "&", else the caption's first character.
QChar ResultLetter(const QString& caption);

} // namespace Dialogs
