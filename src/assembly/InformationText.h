// Information lines without the information editor: what the editor holds after
// loading a plain-text information file, computed from the file's bytes, so that
// merges can run away from the GUI thread and many at a time.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TInformationLines {
    std::vector<std::string> lines;
    std::vector<std::string> rtfLines; // the lines' RTF forms (UTF-8 files), or empty
};

// The lines of a plain-text information file as the information editor shows
// them: breaks at CR LF, CR or LF, no final empty line, byte 0 dropped, a line
// cut at the editor's longest line and a final vertical tab dropped. A UTF-8 file
// also gives the lines' RTF forms (names beyond the code page as escapes). Nothing
// for a file that the editor would read as RTF: that one must go through the editor.
std::optional<TInformationLines> InformationLinesFromText(std::string_view bytes);

// The same for a file, read block by block: a line is cut as it is read, so a
// value of any length costs no more than the part kept. Nothing also when it is no
// file that can be read (the editor reports that).
std::optional<TInformationLines> InformationLinesFromFile(const std::string& fileName);

// One value as the information editor would hold it on a line of its own (the
// text holds no line break).
std::string InformationLine(std::string_view text);

// Whether the editor reads these bytes as RTF ("{\rtf" after blanks).
bool InformationLooksLikeRtf(std::string_view bytes);
