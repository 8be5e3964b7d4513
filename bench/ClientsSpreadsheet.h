// A spreadsheet of clients like the sample letter's information file, for the
// batch benchmarks.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

// Writes `rows` clients into DIR/clients.csv; `addressBreak` stands between the
// two lines of each address (inside a quoted cell).
inline std::string MakeClientsSpreadsheet(const std::filesystem::path& dir, int64_t rows, const char* addressBreak) {
    const std::string file = (dir / "clients.csv").string();
    std::ofstream out(file, std::ios::binary);
    out << "Client name,Client address,Date of letter,Matter,Hourly rate (GBP),Estimated hours,"
           "Estimated fee,Payment on account,Partner\r\n";
    for (int64_t i = 1; i <= rows; ++i)
        out << "Client " << i << ",\"" << i << " Orchard Lane" << addressBreak << "Topsham\",10 December 2026,"
            << "the purchase of " << i << " Quay Cottages," << 200 + i % 50 << "," << 1 + i % 12 << ","
            << 200 + i % 50 << "*" << 1 + i % 12 << "," << 200 + i % 50 << "*" << 1 + i % 12 << "/2,Thomas Harrow\r\n";
    return file;
}
