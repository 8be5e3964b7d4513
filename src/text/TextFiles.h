// Whole-string and whole-file helpers on 8-bit text.
#pragma once
#include "platform/SafeWrite.h"

#include <functional>
#include <string>
#include <string_view>

std::string TrimLeftChar(std::string_view s, char c);
std::string TrimRightChar(std::string_view s, char c);

// The string without spaces (character 32 only) at either end.
std::string TrimBlanks(std::string_view s);

// The last `count` characters, or the whole string when count is not less than its length.
std::string RightChars(std::string_view s, long count);

// The file's text with every line ending in CR LF (the last one included).
// A byte 0 ends the text. Raises EFOpenError when the file cannot be read.
std::string LoadTextFile(const std::string& fileName);

// The file holds exactly the string's bytes afterwards, written through the one
// safe-write helper (platform/SafeWrite.h). Raises EFCreateError or EWriteError.
void SaveTextFile(const std::string& fileName, std::string_view text);

// The safe-write helper under its older names; see platform/SafeWrite.h.
using Platform::WriteFileSafely;
inline void SaveTextFileSafely(const std::string& fileName, std::string_view text) { SaveTextFile(fileName, text); }

// Calls `onLine` with each line of the text: a line ends at CR LF, CR or LF
// (LF CR is two breaks), and a final empty line is not counted.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine onLine);


// Starts a program; with `wait`, blocks until it has ended. Whether it started.
bool RunProgram(const std::string& commandLine, bool hidden, bool wait);

template <typename OnLine>
void ForEachLine(std::string_view text, OnLine onLine) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        onLine(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) onLine(text.substr(start));
}
