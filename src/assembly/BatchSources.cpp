#include "assembly/BatchSources.h"

#include "assembly/InformationText.h"
#include "platform/Cp1252.h"
#include "platform/Errors.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace {

// The information file's name with its extension replaced.
std::string DocumentName(const std::string& infoFile, const std::string& extension) {
    return std::filesystem::path(infoFile).filename().replace_extension(extension).string();
}

std::string PaddedRow(int64_t row, int64_t lastRow) {
    const size_t width = std::max<size_t>(4, std::to_string(lastRow).size());
    const std::string digits = std::to_string(row);
    return std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits;
}

} // namespace

std::string CellFileName(std::string_view utf8Cell) {
    std::string name;
    for (const char c : utf8Cell) {
        const auto u = static_cast<unsigned char>(c);
        name += u < 32 || u == 127 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos ? '_' : c;
    }
    const size_t first = name.find_first_not_of(" .");
    name = first == std::string::npos ? std::string() : name.substr(first);
    // Measured in the bytes written to disk, cut between characters.
    if (name.size() > kMaxCellNameBytes) {
        size_t end = kMaxCellNameBytes;
        while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
        name.resize(end);
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
    return name;
}

// Information files, read without the information editor where the editor's
// lines can be had from the bytes, through it (on this thread) where not.
TBatchSource InformationFileSource(const std::vector<std::string>& files, const TInformationReader& readInformation,
                              const std::string& extension) {
    return [&files, &readInformation, extension, next = size_t(0)](TBatchItem& item) mutable {
        if (next == files.size()) return false;
        const std::string& file = files[next++];
        item.label = file;
        item.outputName = DocumentName(file, extension);
        try {
            if (auto plain = InformationLinesFromFile(file)) {
                item.lines = std::move(plain->lines);
                item.rtfLines = std::move(plain->rtfLines);
            } else {
                const TVectorLines read = readInformation(file);
                for (int64_t i = 0; i < read.Count(); ++i) {
                    item.lines.push_back(read.Get(i));
                    item.rtfLines.push_back(read.GetRtf(i));
                }
            }
        } catch (const std::exception& e) {
            item.error = e.what();
        }
        return true;
    };
}

TSpreadsheetSource::TSpreadsheetSource(const std::string& file, const TCsvFormat& format, int nameColumn,
                                       std::string lineBreak, std::string extension)
    : FReader(file, format), FLastRow(format.rows), FNameColumn(nameColumn), FLineBreak(std::move(lineBreak)),
      FExtension(std::move(extension)) {
    FReader.Next(FHeadings);
    if (!FReader.Error().empty()) throw Platform::Exception("row 1 (the headings): " + FReader.Error());
    FUtf8Headings = FReader.Utf8Cells();
}

bool TSpreadsheetSource::operator()(TBatchItem& item) {
    if (!FReader.Next(FCells)) return false;
    const int64_t row = FReader.Row();
    item.label = "row " + std::to_string(row);
    if (!FReader.Error().empty()) {
        item.error = FReader.Error();
        return true;
    }
    std::string name;
    if (FNameColumn > 0 && size_t(FNameColumn) <= FCells.size()) {
        // The cell as the file holds it: letters of any script stay.
        const std::vector<std::string>& utf8 = FReader.Utf8Cells();
        name = CellFileName(utf8.empty() ? Platform::Cp1252ToUtf8(FCells[FNameColumn - 1]) : utf8[FNameColumn - 1]);
    }
    item.outputName = (name.empty() ? PaddedRow(row, FLastRow) : name) + FExtension;
    item.lines = CsvRowLines(FHeadings, FCells, FLineBreak);
    // Names beyond the code page go in as RTF escapes, as from a UTF-8 information file.
    item.rtfLines = CsvRowRtfLines(FUtf8Headings, FReader.Utf8Cells(), FLineBreak);
    return true;
}
