// Where a batch's documents go: written safely, never over one of the batch's own
// inputs, never over an existing document unless told to, and made durable once
// for the whole batch.
#pragma once
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

class TBatchOutput {
public:
    // `inputs`: the template, information files or spreadsheet, known by identity
    // (device and inode), so no other name or link for them is written over.
    TBatchOutput(const std::vector<std::string>& inputs, bool replaceExisting);

    // Writes one document (any thread). Raises Platform::Exception with the reason
    // when the name is an input or an existing document that is kept.
    void Write(const std::string& fileName, const std::string& merged) const;
    // The same checks for a writer of its own (the PDF printer), before it writes.
    void CheckTarget(const std::string& fileName) const;
    // Makes every document written so far durable (one sync of the file system);
    // a batch claims success only after this.
    static void Sync(const std::string& outDir);

private:
    bool IsInput(const std::string& fileName) const;
    [[noreturn]] void Refuse(const std::string& fileName) const;

    std::vector<std::pair<dev_t, ino_t>> FInputs;
    bool FReplaceExisting;
};
