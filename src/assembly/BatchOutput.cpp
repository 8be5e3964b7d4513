#include "assembly/BatchOutput.h"

#include "platform/Errors.h"
#include "platform/SafeWrite.h"

#include <algorithm>
#include <sys/stat.h>

TBatchOutput::TBatchOutput(const std::vector<std::string>& inputs, bool replaceExisting)
    : FReplaceExisting(replaceExisting) {
    for (const std::string& input : inputs) {
        struct stat st;
        if (::stat(input.c_str(), &st) == 0) FInputs.emplace_back(st.st_dev, st.st_ino);
    }
}

bool TBatchOutput::IsInput(const std::string& fileName) const {
    struct stat st;
    return ::stat(fileName.c_str(), &st) == 0 &&
           std::find(FInputs.begin(), FInputs.end(), std::pair(st.st_dev, st.st_ino)) != FInputs.end();
}

void TBatchOutput::Refuse(const std::string& fileName) const {
    if (IsInput(fileName)) throw Platform::Exception(fileName + " is an input of this batch; it is kept");
    throw Platform::Exception(fileName + " exists already; it is kept (--replace-existing replaces it)");
}

void TBatchOutput::CheckTarget(const std::string& fileName) const {
    struct stat st;
    const bool exists = ::lstat(fileName.c_str(), &st) == 0;
    if (exists && (!FReplaceExisting || IsInput(fileName))) Refuse(fileName);
}

void TBatchOutput::Write(const std::string& fileName, const std::string& merged) const {
    // Kept files need no look beforehand: the document is only ever created, atomically.
    if (FReplaceExisting && IsInput(fileName)) Refuse(fileName);
    try {
        Platform::SaveFileSafely(fileName, merged, {.replaceExisting = FReplaceExisting, .syncNow = false});
    } catch (const Platform::EFileExistsError&) {
        Refuse(fileName);
    }
}

void TBatchOutput::Sync(const std::string& outDir) { Platform::SyncFileSystem(outDir); }
