// Small helpers the main window's command groups share.
#pragma once
#include "platform/FileNames.h"

#include <QCoreApplication>

// Lets pending window messages run (repaints, and user input at the merge's pauses).
inline void ProcessPendingMessages() { QCoreApplication::processEvents(); }
