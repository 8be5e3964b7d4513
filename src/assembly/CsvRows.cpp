#include "assembly/CsvRows.h"

#include "assembly/InformationText.h"
#include "platform/Cp1252.h"
#include "platform/Errors.h"

#include <algorithm>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Checks UTF-8 block by block; a sequence may cross a block's end.
class TUtf8Check {
public:
    void Feed(std::string_view bytes) {
        for (const unsigned char c : bytes) {
            if (FPending > 0) {
                if ((c & 0xC0) != 0x80) FValid = false;
                else if (--FPending == 0) FMultiByte = true;
                continue;
            }
            if (c < 0x80) continue;
            if (c >= 0xC2 && c <= 0xDF) FPending = 1;
            else if (c >= 0xE0 && c <= 0xEF) FPending = 2;
            else if (c >= 0xF0 && c <= 0xF4) FPending = 3;
            else FValid = false;
        }
    }
    bool IsUtf8() const { return FValid && FPending == 0 && FMultiByte; }

private:
    int FPending = 0;
    bool FValid = true, FMultiByte = false;
};

} // namespace

TCsvFormat ScanCsvFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw Platform::EFOpenError(fileName);
    TCsvFormat format;
    TUtf8Check utf8;
    bool quoted = false, firstRecord = true, bom = false, first = true;
    char previous = 0;
    int64_t commas = 0, tabs = 0;
    std::string block(1 << 16, '\0');
    while (in.read(block.data(), std::streamsize(block.size())) || in.gcount() > 0) {
        std::string_view bytes(block.data(), size_t(in.gcount()));
        if (first && bytes.substr(0, 3) == kBom) {
            bom = true;
            bytes.remove_prefix(3);
        }
        first = false;
        utf8.Feed(bytes);
        for (const char c : bytes) {
            if (c == '"') quoted = !quoted;
            if (!quoted && (c == '\r' || c == '\n')) {
                if (!(c == '\n' && previous == '\r')) firstRecord = false;
            } else {
                if (firstRecord && !quoted) {
                    if (c == ',') ++commas;
                    else if (c == '\t') ++tabs;
                }
            }
            previous = c;
        }
    }
    if (in.bad()) throw Platform::EFOpenError(fileName);
    format.delimiter = tabs > commas ? '\t' : ',';
    format.utf8 = bom || utf8.IsUtf8();
    // Counted by the reader itself, so progress and name padding agree with the rows given.
    TCsvReader counter(fileName, format);
    std::vector<std::string> cells;
    while (counter.ReadRecord(cells)) {
    }
    format.rows = counter.Row(); // an empty line is a row of the spreadsheet too
    return format;
}

TCsvReader::TCsvReader(const std::string& fileName, const TCsvFormat& format)
    : FFileName(fileName), FIn(fileName, std::ios::binary), FFormat(format) {
    if (!FIn) throw Platform::EFOpenError(fileName);
    char bom[3];
    if (FIn.read(bom, 3) && std::string_view(bom, 3) == kBom) {
        FBomLength = 3;
    } else {
        FIn.clear();
        FIn.seekg(0);
    }
}

int TCsvReader::Take() {
    const auto c = FIn.rdbuf()->sbumpc();
    if (c == '\n' || (c == '\r' && FIn.rdbuf()->sgetc() != '\n')) ++FLine;
    ++FOffset;
    return c;
}

bool TCsvReader::ReadRecord(std::vector<std::string>& cells) {
    cells.clear();
    FUtf8Cells.clear();
    FError.clear();
    std::streambuf& in = *FIn.rdbuf();
    using Traits = std::streambuf::traits_type;
    if (Traits::eq_int_type(in.sgetc(), Traits::eof())) return false;
    ++FRow;
    const int64_t startLine = FLine + 1, startOffset = FOffset;
    int64_t quoteLine = 0;
    std::string cell;
    bool quoted = false, wasQuoted = false;
    for (;;) {
        const auto ic = Take();
        if (Traits::eq_int_type(ic, Traits::eof())) break;
        const char c = Traits::to_char_type(ic);
        if (quoted) {
            if (c != '"') cell += c;
            else if (Traits::eq_int_type(in.sgetc(), Traits::to_int_type('"'))) cell += char(Take());
            else quoted = false;
        } else if (c == '"' && cell.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
            quoteLine = FLine + 1;
        } else if (c == FFormat.delimiter) {
            if (FFormat.utf8) FUtf8Cells.push_back(cell);
            cells.push_back(CsvCellText(cell, FFormat.utf8));
            cell.clear();
            wasQuoted = false;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && Traits::eq_int_type(in.sgetc(), Traits::to_int_type('\n'))) Take();
            break;
        } else {
            cell += c; // text after a closing quote is kept, as spreadsheets do
        }
    }
    if (quoted) return Unterminated(cells, quoteLine, startLine, startOffset);
    if (!cells.empty() || !cell.empty() || wasQuoted) {
        if (FFormat.utf8) FUtf8Cells.push_back(cell);
        cells.push_back(CsvCellText(cell, FFormat.utf8));
    }
    return true;
}

// A quote that never closes would swallow every later row into one cell: the row
// is an error instead, and reading goes on after the line it starts on.
bool TCsvReader::Unterminated(std::vector<std::string>& cells, int64_t quoteLine, int64_t startLine,
                              int64_t startOffset) {
    cells.clear();
    FUtf8Cells.clear();
    FError = "a quoted cell opened on line " + std::to_string(quoteLine) + " is never closed";
    FIn.clear();
    FIn.seekg(startOffset + FBomLength);
    if (!FIn) throw Platform::EFOpenError(FFileName);
    FLine = startLine - 1;
    FOffset = startOffset;
    using Traits = std::streambuf::traits_type;
    for (auto c = Take(); !Traits::eq_int_type(c, Traits::eof()); c = Take()) {
        if (c == '\r' && FIn.rdbuf()->sgetc() == '\n') Take();
        if (c == '\r' || c == '\n') break;
    }
    return true;
}

bool TCsvReader::Next(std::vector<std::string>& cells) {
    while (ReadRecord(cells))
        if (!cells.empty() || !FError.empty()) return true;
    return false;
}

std::string CsvCellText(std::string_view raw, bool utf8) {
    return utf8 ? Platform::Utf8ToCp1252(raw) : std::string(raw);
}

std::vector<std::string> CsvRowLines(const std::vector<std::string>& headings, const std::vector<std::string>& cells,
                                     std::string_view lineBreak) {
    // A row's information ends with its last cell: a marker of a column the row lacks
    // has no value, as one beyond the end of an information file.
    const size_t columns = cells.size();
    std::vector<std::string> lines;
    lines.reserve(2 * columns);
    auto line = [&](const std::vector<std::string>& row, size_t i) {
        if (i >= row.size()) return std::string();
        const std::string& text = row[i];
        if (text.find_first_of("\r\n") == std::string::npos) return InformationLine(text);
        std::string joined;
        for (size_t k = 0; k < text.size(); ++k) {
            if (text[k] != '\r' && text[k] != '\n') {
                joined += text[k];
                continue;
            }
            if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
            joined += lineBreak;
        }
        return InformationLine(joined);
    };
    for (size_t i = 0; i < columns; ++i) {
        lines.push_back(line(headings, i));
        lines.push_back(line(cells, i));
    }
    return lines;
}

namespace {

// UTF-8 (checked valid by the scan) to UTF-16.
std::u16string Utf16Of(std::string_view utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t u = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) u = (u << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += size_t(extra) + 1;
        if (u >= 0x10000) {
            out += char16_t(0xD800 + ((u - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((u - 0x10000) & 0x3FF));
        } else {
            out += char16_t(u);
        }
    }
    return out;
}

// A cell's RTF form as an information line holds it (see CsvRowLines).
std::string RtfLine(std::string_view utf8, std::string_view lineBreak) {
    const std::u16string text = Utf16Of(utf8);
    std::u16string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == 0) continue;
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            line.append(lineBreak.begin(), lineBreak.end());
            continue;
        }
        line += c;
    }
    if (line.size() > 4096) line.resize(4096);
    if (!line.empty() && line.back() == u'\v') line.pop_back();
    return Platform::Utf16ToRtfAnsi(line);
}

bool FitsCodePage(std::string_view utf8) { return Platform::Cp1252ToUtf8(Platform::Utf8ToCp1252(utf8, 0)) == utf8; }

} // namespace

std::vector<std::string> CsvRowRtfLines(const std::vector<std::string>& utf8Headings,
                                        const std::vector<std::string>& utf8Cells, std::string_view lineBreak) {
    const auto fits = [](const std::vector<std::string>& row) {
        return std::all_of(row.begin(), row.end(), [](const std::string& cell) { return FitsCodePage(cell); });
    };
    if (fits(utf8Headings) && fits(utf8Cells)) return {};
    const size_t columns = utf8Cells.size(); // as CsvRowLines
    std::vector<std::string> lines;
    lines.reserve(2 * columns);
    for (size_t i = 0; i < columns; ++i) {
        lines.push_back(i < utf8Headings.size() ? RtfLine(utf8Headings[i], lineBreak) : std::string());
        lines.push_back(i < utf8Cells.size() ? RtfLine(utf8Cells[i], lineBreak) : std::string());
    }
    return lines;
}
