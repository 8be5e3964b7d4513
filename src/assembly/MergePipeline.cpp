#include "assembly/MergePipeline.h"

#include "text/TextFiles.h"

TMergeResult MergeTemplateFile(const std::string& templateFileName, const TMergeLines& lines, TMergeMode mode,
                               const TMergeProgress& progress) {
    return MergeTemplate(LoadTextFile(templateFileName), lines, mode, progress);
}
