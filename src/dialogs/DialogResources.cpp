#include "dialogs/DialogResources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
void InitDialogResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(tails);
        return true;
    }();
    (void)done;
}
