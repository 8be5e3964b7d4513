// Splits RTF bytes into groups, control words, control symbols, text runs, hex bytes
// and binary data. One pass, no backtracking: linear in the input size.
#pragma once
#include <cstdint>
#include <string_view>

namespace RtfEngine {

struct RtfToken {
    enum Kind { GroupOpen, GroupClose, Word, Symbol, Text, HexByte, Binary, End };
    Kind kind = End;
    std::string_view word; // control word name (letters only)
    bool hasParam = false;
    int param = 0;
    char symbol = 0;       // control symbol character; '\n' for a backslash before a line end
    unsigned char byte = 0;
    std::string_view data; // text run or binary data
};

class RtfTokenizer {
public:
    explicit RtfTokenizer(std::string_view input) : FInput(input) {}
    RtfToken Next();
    std::size_t Position() const { return FPos; }

private:
    RtfToken ReadControl();
    RtfToken ReadWord();
    RtfToken ReadHex();
    RtfToken ReadText();
    RtfToken ReadBinary(int count);

    std::string_view FInput;
    std::size_t FPos = 0;
};

} // namespace RtfEngine
