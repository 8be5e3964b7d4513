// The merge behind both doors, "Do It" and `kelvora merge`: read the template
// file's RTF source, then merge the information lines into it.
#pragma once
#include "assembly/MergeEngine.h"

TMergeResult MergeTemplateFile(const std::string& templateFileName, const TMergeLines& lines, TMergeMode mode,
                               const TMergeProgress& progress);
