// Where a batch's documents come from: information files, or the rows of a spreadsheet.
// Each hands out one TBatchItem at a time (see BatchMerge.h).
#pragma once
#include "assembly/BatchMerge.h"
#include "assembly/CsvRows.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Reads an information file's lines as the information editor holds them.
using TInformationReader = std::function<TVectorLines(const std::string& fileName)>;

// One item per information file, named after it with `extension`. A file whose lines can
// be had from its bytes is read without `readInformation`; the others through it, on
// the calling thread. `files` and `readInformation` must outlive the source.
TBatchSource InformationFileSource(const std::vector<std::string>& files, const TInformationReader& readInformation,
                                   const std::string& extension);

// The rows of a spreadsheet after its heading row, one item each: named after the cell
// of `nameColumn` (1-based; 0 for none) or the padded row number.
class TSpreadsheetSource {
public:
    TSpreadsheetSource(const std::string& file, const TCsvFormat& format, int nameColumn, std::string lineBreak,
                       std::string extension);
    bool operator()(TBatchItem& item);

private:
    TCsvReader FReader;
    int64_t FLastRow;
    int FNameColumn;
    std::string FLineBreak, FExtension;
    std::vector<std::string> FHeadings, FCells, FUtf8Headings;
};

// A cell's text (UTF-8) as a file name, UTF-8 on disk like every name here: no
// folder separators or control characters, no leading dots, at most
// kMaxCellNameBytes bytes (cut between characters); empty when nothing usable is left.
constexpr size_t kMaxCellNameBytes = 200;
std::string CellFileName(std::string_view utf8Cell);
