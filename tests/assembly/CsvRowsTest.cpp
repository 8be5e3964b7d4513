#include "assembly/CsvRows.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Tests run side by side (and other checkouts' runs share the temporary folder):
// each process writes its own file.
std::string WriteTemp(const std::string& name, const std::string& bytes) {
    const std::string path = testing::TempDir() + std::to_string(::getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Every row the reader gives, each with its spreadsheet row number in front.
Rows ReadAll(const std::string& bytes, TCsvFormat* formatOut = nullptr) {
    const std::string path = WriteTemp("rows.csv", bytes);
    const TCsvFormat format = ScanCsvFile(path);
    if (formatOut) *formatOut = format;
    TCsvReader reader(path, format);
    Rows rows;
    std::vector<std::string> cells;
    while (reader.Next(cells)) {
        if (!reader.Error().empty()) cells = {"error: " + reader.Error()};
        cells.insert(cells.begin(), std::to_string(reader.Row()));
        rows.push_back(cells);
    }
    return rows;
}

TEST(CsvReader, QuotingAndRows) {
    struct Case {
        const char* name;
        std::string bytes;
        Rows rows;
    };
    const Case cases[] = {
        {"plain, CR LF", "a,b\r\n1,2\r\n", {{"1", "a", "b"}, {"2", "1", "2"}}},
        {"LF and no final break", "a,b\n1,2", {{"1", "a", "b"}, {"2", "1", "2"}}},
        {"comma, quote and line breaks in a cell", "h\r\n\"Smith, J.\",\"say \"\"hi\"\"\",\"22 Lane\r\nTopsham\nEX3\"\r\n",
         {{"1", "h"}, {"2", "Smith, J.", "say \"hi\"", "22 Lane\r\nTopsham\nEX3"}}},
        {"empty cells are empty values", ",x,,\r\n\"\",,\r\n", {{"1", "", "x", "", ""}, {"2", "", "", ""}}},
        {"empty lines are rows without documents", "h\r\n\r\nv\r\n\n", {{"1", "h"}, {"3", "v"}}},
        {"quote inside an unquoted cell stays", "5\" disk,\"a\"b\r\n", {{"1", "5\" disk", "ab"}}},
        {"byte-order mark", "\xEF\xBB\xBFh,\xC3\xA9\r\n", {{"1", "h", "\xE9"}}},
        {"tab-separated", "a\tb\tc,d\r\n1\t2\t3,4\r\n", {{"1", "a", "b", "c,d"}, {"2", "1", "2", "3,4"}}},
        {"tab-separated, commas in quoted headings", "\"Name, full\"\t\"Town, region\"\nSmith, J.\tExeter\n",
         {{"1", "Name, full", "Town, region"}, {"2", "Smith, J.", "Exeter"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadAll(c.bytes), c.rows) << c.name;
}

// A quote that never closes is an error of its row; the rows after its line are
// still read, and the row count is the reader's own.
TEST(CsvReader, AnUnterminatedQuoteIsAnErrorOfItsRow) {
    struct Case {
        const char* name;
        std::string bytes;
        Rows rows;
    };
    const Case cases[] = {
        {"later rows survive", "h,v\r\n1,\"open \xE9\r\n2,b\r\n\r\n3,\x80\r\n",
         {{"1", "h", "v"}, {"2", "error: a quoted cell opened on line 2 is never closed"}, {"3", "2", "b"},
          {"5", "3", "\x80"}}},
        {"after a cell with a quoted break", "h\n\"a\nb\"\n\"never\nx,y\n",
         {{"1", "h"}, {"2", "a\nb"}, {"3", "error: a quoted cell opened on line 4 is never closed"}, {"4", "x", "y"}}},
        {"at the very end", "h\n\"", {{"1", "h"}, {"2", "error: a quoted cell opened on line 2 is never closed"}}},
        {"with a byte-order mark", "\xEF\xBB\xBF\"h\r\nb\xC3\xA9\r\n",
         {{"1", "error: a quoted cell opened on line 1 is never closed"}, {"2", "b\xE9"}}},
    };
    for (const Case& c : cases) {
        TCsvFormat format;
        const Rows rows = ReadAll(c.bytes, &format);
        EXPECT_EQ(rows, c.rows) << c.name;
        EXPECT_EQ(format.rows, std::stoll(c.rows.back()[0])) << c.name;
    }
    // A quote inside an unquoted cell opens nothing: every line is a row.
    TCsvFormat format;
    EXPECT_EQ(ReadAll("h\r\n5\"\r\n6\"\n7\r\n", &format).size(), 4u);
    EXPECT_EQ(format.rows, 4);
}

TEST(CsvReader, EncodingDelimiterAndRowCount) {
    struct Case {
        std::string bytes;
        char delimiter;
        bool utf8;
        int64_t rows;
    };
    const Case cases[] = {
        {"Name\nM\xC3\xBCller G\xC3\xB6rg\n", ',', true, 2},   // UTF-8
        {"Name\nM\xFCller\n", ',', false, 2},                   // Windows-1252
        {"Name\nplain\n", ',', false, 2},                       // nothing multi-byte: either reads the same
        {"a\tb\tc,d\n\"x\ny\"\t2\n\n3", '\t', false, 4},       // a quoted break is not a row
        {"Name\nM\xC3\xBC\xFC\n", ',', false, 2},               // not valid UTF-8 as a whole
        {"\"Name, full\"\t\"Town, region\"\nSmith, J.\tExeter\n", '\t', false, 2}, // commas in quotes don't count
    };
    for (const Case& c : cases) {
        TCsvFormat format;
        ReadAll(c.bytes, &format);
        EXPECT_EQ(format.delimiter, c.delimiter) << c.bytes;
        EXPECT_EQ(format.utf8, c.utf8) << c.bytes;
        EXPECT_EQ(format.rows, c.rows) << c.bytes;
    }
    EXPECT_EQ(ReadAll("Name\r\nM\xC3\xBCller\r\n")[1][1], "M\xFCller");
    EXPECT_EQ(ReadAll("Name\r\nM\xFCller\r\n")[1][1], "M\xFCller");
    EXPECT_THROW(ScanCsvFile(testing::TempDir() + "no-such.csv"), std::exception);
}

TEST(CsvRowLines, HeadingsAndValuesInPairs) {
    const std::vector<std::string> headings = {"Client", "Address", "Fee"};
    EXPECT_EQ(CsvRowLines(headings, {"Smith", "22 Lane\r\nTopsham\nEX3", ""}, "\\line "),
              (std::vector<std::string>{"Client", "Smith", "Address", "22 Lane\\line Topsham\\line EX3", "Fee", ""}));
    // A short row ends with its last cell: the column it lacks has no value at all.
    EXPECT_EQ(CsvRowLines(headings, {"Smith", ""}, " "), (std::vector<std::string>{"Client", "Smith", "Address", ""}));
    EXPECT_EQ(CsvRowRtfLines({"Client", "\xC5\x81ukasz", "Fee"}, {"Smith", ""}, " ").size(), 4u);
    // Extra cells keep their column; a cell is held as an information line would be.
    EXPECT_EQ(CsvRowLines({"A"}, {"1", std::string("x\0y", 3) + "\v", std::string(5000, 'z')}, " "),
              (std::vector<std::string>{"A", "1", "", "xy", "", std::string(4096, 'z')}));
}

} // namespace
