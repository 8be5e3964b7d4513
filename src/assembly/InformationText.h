// Information lines without the information editor: what the editor holds after
// loading a plain-text information file, computed from the file's bytes, so that
// merges can run away from the GUI thread and many at a time.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The lines of a plain-text information file as the information editor shows
// them: breaks at CR LF, CR or LF, no final empty line, byte 0 dropped, a line
// cut at the editor's longest line and a final vertical tab dropped. Nothing for
// a file that the editor would read as RTF or as UTF-8: that one must go through
// the editor.
std::optional<std::vector<std::string>> InformationLinesFromText(std::string_view bytes);

// The same for a file; nothing also when it is no file that can be read (the editor
// reports that).
std::optional<std::vector<std::string>> InformationLinesFromFile(const std::string& fileName);

// One value as the information editor would hold it on a line of its own (the
// text holds no line break).
std::string InformationLine(std::string_view text);

// Whether the editor reads these bytes as RTF ("{\rtf" after blanks).
bool InformationLooksLikeRtf(std::string_view bytes);
