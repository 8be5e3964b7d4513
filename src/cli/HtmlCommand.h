// "kelvora html IN.rtf OUT.html [--option NAME]...": the converter from the command line.
#pragma once
#include <string>
#include <vector>

// `args` are the words after "html". Returns the exit status: 0 when the page is
// written, 1 on a usage error or a conversion error (its message on standard error).
int RunHtmlCommand(const std::vector<std::string>& args);
