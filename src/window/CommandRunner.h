// The application's one error handler: a command's uncaught exception is shown in
// the error box and the program keeps running; EAbort ends a command silently.
#pragma once
#include "platform/Errors.h"

#include <exception>
#include <functional>

// A silent abort: the rest of the calling command does not run, nothing is shown.
class EAbort : public Platform::Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// Shows the exception's message in the application's error box.
void ShowException(const std::exception& error);

// Runs a command under the error handler. Returns false when it ended by an exception.
bool RunCommand(const std::function<void()>& command);
