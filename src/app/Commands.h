// The subcommands of the `kelvora` command line. Each takes the words after its
// name and returns the process exit status.
#pragma once
#include <string>
#include <vector>

using TArgs = std::vector<std::string>;

int RunMergeCommand(const TArgs& args);
int RunEvalCommand(const TArgs& args);
