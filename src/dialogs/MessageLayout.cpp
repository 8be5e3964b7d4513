#include "dialogs/MessageLayout.h"

#include "dialogs/MessageText.h"

#include <QFontMetrics>
#include <algorithm>

namespace Dialogs {

namespace {

constexpr int kMeasuredMessageLength = 254;

int IconSpace(int iconWidth) { return iconWidth > 0 ? iconWidth + 10 : 0; }

int MessageWidth(const QFontMetrics& fm, const TMessageLayoutInput& in)
{
    int width = 0;
    for (const QString& line : in.Message.left(kMeasuredMessageLength).split(QChar(';')))
        width = std::max(width, fm.horizontalAdvance(QStringLiteral("  ") + line + QStringLiteral("  ")));
    const int margin = std::min(10 + IconSpace(in.IconWidth) + 10, in.WorkArea.width());
    return std::min(width, in.WorkArea.width() - margin);
}

int ButtonWidth(const QFontMetrics& fm, const QStringList& buttons)
{
    int width = 0;
    for (const QString& caption : buttons)
        width = std::max(width, fm.horizontalAdvance(QStringLiteral("W") + CaptionWithoutAccelerators(caption)
                                                     + QStringLiteral(" ") + QStringLiteral("W")));
    return width;
}

// An outer size capped at the work area, given back as the client size inside it.
int CappedClient(int client, int frame, int limit)
{
    return std::min(client + frame, limit) - frame;
}

} // namespace

TMessageLayout LayoutMessageDialog(const TMessageLayoutInput& in)
{
    const QFontMetrics fm(in.Font);
    TMessageLayout out;
    out.TextWidth = MessageWidth(fm, in);
    out.TextHeight = static_cast<int>(in.Message.count(QChar(';')) + 1) * fm.height();
    out.ButtonWidth = ButtonWidth(fm, in.Buttons);
    out.ButtonRowWidth = (out.ButtonWidth + 10) * static_cast<int>(in.Buttons.size()) - 10;
    out.ButtonHeight = fm.height() + 10;

    const int frameX = 2 * in.FrameWidth;
    const int frameY = 2 * in.FrameWidth + in.CaptionHeight;
    const int W = out.TextWidth;
    const int firstClientWidth = std::max(W + IconSpace(in.IconWidth), fm.horizontalAdvance(in.Caption));
    const int clientWidth = CappedClient(std::max(firstClientWidth + frameX, out.ButtonRowWidth) + 20, frameX,
                                         in.WorkArea.width());

    const int left = std::max(in.IconWidth + 20, (clientWidth - W) / 2);
    out.MessageRect = fm.boundingRect(QRect(left, 10, W, out.TextHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                      MessageDisplayText(in.Message));
    out.MessageRect.moveTopLeft(QPoint(left, 10));
    // Lines that had to wrap (a message wider than the screen) still get their room.
    const int messageHeight = std::max(out.TextHeight, out.MessageRect.height());
    const int clientHeight = CappedClient(std::max(messageHeight, in.IconWidth) + out.ButtonHeight + 30, frameY,
                                          in.WorkArea.height());
    out.ClientSize = QSize(clientWidth, clientHeight);

    const QSize outer(clientWidth + frameX, clientHeight + frameY);
    out.FormRect = QRect(QPoint((in.WorkArea.width() - outer.width()) / 2 + in.WorkArea.left(),
                                (in.WorkArea.height() - outer.height()) / 2 + in.WorkArea.top()),
                         outer);
    out.IconPos = QPoint(10, out.MessageRect.top());

    int x = (clientWidth - out.ButtonRowWidth) / 2;
    const int y = clientHeight - out.ButtonHeight - 10;
    for (qsizetype i = 0; i < in.Buttons.size(); ++i) {
        out.ButtonRects.emplace_back(x, y, out.ButtonWidth, out.ButtonHeight);
        x += out.ButtonWidth + 10;
    }
    return out;
}

} // namespace Dialogs
