#include "cli/InformationFile.h"

#include "assembly/InformationText.h"
#include "richedit/RichEdit98.h"

TVectorLines LoadInformationLines(const std::string& fileName) {
    TRichEdit98 editor;
    TRichEdit98::ConfigureAsInformationEditor(editor);
    editor.Lines().LoadFromFile(fileName);
    std::vector<std::string> lines, rtfLines;
    const int count = editor.Lines().Count();
    lines.reserve(count);
    rtfLines.reserve(count);
    for (int i = 0; i < count; ++i) {
        lines.push_back(editor.Lines().Get(i));
        rtfLines.push_back(editor.Lines().GetRtf(i));
    }
    return TVectorLines(std::move(lines), std::move(rtfLines));
}

TVectorLines ReadInformationLines(const std::string& fileName, const std::function<void()>& needEditor) {
    if (auto read = InformationLinesFromFile(fileName))
        return TVectorLines(std::move(read->lines), std::move(read->rtfLines));
    // RTF or an unreadable file: the editor's own reading, errors included.
    needEditor();
    return LoadInformationLines(fileName);
}
