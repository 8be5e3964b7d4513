#include "app/InformationFile.h"

#include "richedit/RichEdit98.h"

std::vector<std::string> LoadInformationLines(const std::string& fileName) {
    TRichEdit98 editor;
    TRichEdit98::ConfigureAsInformationEditor(editor);
    editor.Lines().LoadFromFile(fileName);
    std::vector<std::string> lines;
    const int count = editor.Lines().Count();
    lines.reserve(count);
    for (int i = 0; i < count; ++i) lines.push_back(editor.Lines().Get(i));
    return lines;
}
