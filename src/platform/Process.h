// Starting another program from a command line.
#pragma once
#include <string>
#include <vector>

namespace Platform {

// Splits a command line into arguments: blanks separate them, double quotes group
// blanks into one argument, a backslash before a quote keeps the quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Starts the program (looked up on the search path) with the caller's environment and
// current directory. With `wait`, blocks until it has ended. Returns whether it started.
// There are no windows to hide on this platform, so `hidden` only silences the
// program's standard output and error.
bool StartProcess(const std::string& commandLine, bool hidden, bool wait);

} // namespace Platform
