// Placing a window on its screen.
#pragma once

class QWidget;

namespace Dialogs {

// Moves the window so that its frame is centred on the free area of its screen (the
// primary screen when it has none yet). Call once its size is known, as it is shown.
void CentreOnScreen(QWidget& window);

} // namespace Dialogs
