#include "dialogs/Sound.h"

#include <QApplication>
#include <utility>

namespace Dialogs {

namespace {

SoundPlayer& CurrentPlayer()
{
    static SoundPlayer player;
    return player;
}

} // namespace

void MessageBeep(unsigned sound)
{
    if (const SoundPlayer& player = CurrentPlayer())
        player(sound);
    else
        QApplication::beep();
}

SoundPlayer SetSoundPlayer(SoundPlayer player)
{
    return std::exchange(CurrentPlayer(), std::move(player));
}

} // namespace Dialogs
