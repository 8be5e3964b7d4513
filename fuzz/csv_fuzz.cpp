// The spreadsheet reader must end for any file, give every row once, count the
// rows as it reads them, and turn each row into information lines.
#include "assembly/CsvRows.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/kelvora-csv-fuzz-" + std::to_string(::getpid()) + ".csv";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    const TCsvFormat format = ScanCsvFile(path);
    TCsvReader reader(path, format);
    std::vector<std::string> headings, cells;
    int64_t last = 0;
    bool first = true;
    while (reader.Next(cells)) {
        // Rows come in order, and never past the count the scan gave.
        if (reader.Row() <= last || reader.Row() > format.rows) __builtin_trap();
        last = reader.Row();
        if (!reader.Error().empty() && !cells.empty()) __builtin_trap();
        if (format.utf8 && reader.Error().empty() && reader.Utf8Cells().size() != cells.size()) __builtin_trap();
        if (first) {
            headings = cells;
            first = false;
            continue;
        }
        const std::vector<std::string> lines = CsvRowLines(headings, cells, "\\line ");
        for (const std::string& line : lines)
            if (line.find_first_of("\r\n") != std::string::npos || line.size() > 4096) __builtin_trap();
        CsvRowRtfLines(headings, reader.Utf8Cells(), "\\line ");
    }
    std::vector<std::string> all;
    TCsvReader counter(path, format);
    while (counter.ReadRecord(all)) {
    }
    if (counter.Row() != format.rows) __builtin_trap();
    return 0;
}
