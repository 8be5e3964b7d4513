// The command-line doors to the rich edit control: `kelvora text FILE` prints the
// document's lines as the template editor holds them, `kelvora convert IN OUT [--plain]`
// loads IN as the editor does and saves OUT as the editor saves. Both need a
// QApplication (the offscreen platform will do).
#pragma once
#include <string>
#include <vector>

// Prints each line of FILE, as the template editor's line list gives it (paragraphs,
// no wrapping), followed by a line feed, in UTF-8. 0 when done, 1 with the message on
// standard error.
int RunTextCommand(const std::vector<std::string>& args);

// Loads IN (RTF, falling back to plain text) and writes OUT as RTF; --plain keeps the
// plain-RTF subset on load and save. 0 when done, 1 with the message on standard error.
int RunConvertCommand(const std::vector<std::string>& args);

// `kelvora print IN -o OUT.pdf`: loads IN as the editor does and prints it into a PDF
// as Ctrl+P prints the template editor. 0 when done, 1 with the message on standard error.
int RunPrintCommand(const std::vector<std::string>& args);
