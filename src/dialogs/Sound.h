// The system's sounds for message boxes. The platform has no sound per kind, so every
// sound is the display's beep unless another player is installed (a wave player, or
// something that records what was asked for).
#pragma once
#include <functional>

namespace Dialogs {

// The sound values of the message box kinds.
enum : unsigned {
    MB_ICONHAND = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONASTERISK = 0x40,
    MB_SIMPLEBEEP = 0xFFFF,
};

using SoundPlayer = std::function<void(unsigned sound)>;

// Plays a message box sound through the installed player.
void MessageBeep(unsigned sound);

// Installs the player for MessageBeep and returns the previous one; an empty player
// restores the beep.
SoundPlayer SetSoundPlayer(SoundPlayer player);

} // namespace Dialogs
