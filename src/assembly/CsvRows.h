// Rows of a spreadsheet (comma- or tab-separated, RFC 4180 quoting, UTF-8 or
// Windows-1252) as information lines: row 1 holds the headings, column N of a
// later row is marker N's value. Read as a stream, so memory does not grow with
// the number of rows.
#pragma once
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

struct TCsvFormat {
    char delimiter = ',';
    bool utf8 = false;  // a byte-order mark, or valid UTF-8 with multi-byte characters
    int64_t rows = 0;   // records, the heading row included
};

// One pass over the file that finds its delimiter (tab when the first row holds
// more tabs than commas), its encoding and its row count. Raises EFOpenError.
TCsvFormat ScanCsvFile(const std::string& fileName);

class TCsvReader {
public:
    TCsvReader(const std::string& fileName, const TCsvFormat& format); // raises EFOpenError
    // The next row's cells as 8-bit text; false at the end. Empty rows are skipped.
    // A row that cannot be read (a quote never closed) comes without cells and
    // with Error() set; the rows after it follow.
    bool Next(std::vector<std::string>& cells);
    // Any record, empty rows included; false at the end.
    bool ReadRecord(std::vector<std::string>& cells);
    // The spreadsheet row number of the row Next gave last (the headings are row 1).
    int64_t Row() const { return FRow; }
    // That row's cells as the file holds them (UTF-8 files only; empty otherwise).
    const std::vector<std::string>& Utf8Cells() const { return FUtf8Cells; }
    // Why that row could not be read; empty when it was.
    const std::string& Error() const { return FError; }

private:
    int Take();
    bool Unterminated(std::vector<std::string>& cells, int64_t quoteLine, int64_t startLine, int64_t startOffset);
    std::string FFileName;
    std::ifstream FIn;
    TCsvFormat FFormat;
    int64_t FRow = 0;
    int64_t FLine = 0;   // line breaks read so far
    int64_t FOffset = 0; // bytes read after the byte-order mark
    int64_t FBomLength = 0;
    std::vector<std::string> FUtf8Cells;
    std::string FError;
};

// A row's information lines: heading and value for each column, as the
// information editor would hold them. A line break inside a cell becomes
// `lineBreak` (no information line can hold one). A row shorter than the headings
// ends with its last cell: the columns it lacks have no value (an empty cell is an
// empty value).
std::vector<std::string> CsvRowLines(const std::vector<std::string>& headings, const std::vector<std::string>& cells,
                                     std::string_view lineBreak);

// The RTF forms of a row's information lines, from its UTF-8 cells: characters
// beyond the code page as "\uN?" escapes, as the information editor gives them;
// empty when every cell fits the code page (the lines themselves are their forms).
std::vector<std::string> CsvRowRtfLines(const std::vector<std::string>& utf8Headings,
                                        const std::vector<std::string>& utf8Cells, std::string_view lineBreak);

// The 8-bit text of a cell read from a file in the given encoding.
std::string CsvCellText(std::string_view raw, bool utf8);
