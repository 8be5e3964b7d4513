// Registers the pictures the dialogs library carries (a static library's resources
// are only linked in when something asks for them).
#pragma once

void InitDialogResources();
