// The subcommands of the `kelvora` command line. Each takes the words after its
// name and returns the process exit status.
#pragma once
#include "assembly/BatchSources.h"
#include "assembly/MergeEngine.h"

#include <functional>
#include <string>
#include <vector>

using TArgs = std::vector<std::string>;

// Prints a merged document into a PDF file.
using TPdfWriter = std::function<void(const std::string& pdfFile, const std::string& merged)>;

// `kelvora merge`, its information lines read by `readInformation`; `--pdf`
// output through `writePdf` (refused when there is none).
int RunMergeCommand(const TArgs& args, const TInformationReader& readInformation, const TPdfWriter& writePdf = {});
int RunEvalCommand(const TArgs& args);

// `kelvora check`: every problem a merge would meet. Exit 0 when clean, 4 when
// something was found, 1 on a file error.
int RunCheckCommand(const TArgs& args, const TInformationReader& readInformation);
