// kelvora: the editor, or one of its command-line doors.
#include "cli/Commands.h"
#include "window/Editor.h"
#include "cli/HtmlCommand.h"
#include "cli/InformationFile.h"
#include "cli/MergedPdf.h"
#include "cli/TextCommands.h"

#include <QApplication>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>

namespace {

using TCommand = int (*)(const TArgs&);

// Subcommands that need no display and no Qt.
const std::map<std::string, TCommand>& CoreCommands() {
    static const std::map<std::string, TCommand> commands = {
        {"eval", RunEvalCommand},
        {"html", RunHtmlCommand},
    };
    return commands;
}

// Subcommands that load and save through the rich edit control: they need a
// QApplication, but no display.
const std::map<std::string, TCommand>& EditorCommands() {
    static const std::map<std::string, TCommand> commands = {
        {"merge", [](const TArgs& args) { return RunMergeCommand(args, LoadInformationLines, PrintMergedToPdf); }},
        {"check", [](const TArgs& args) { return RunCheckCommand(args, LoadInformationLines); }},
        {"text", RunTextCommand},
        {"convert", RunConvertCommand},
        {"print", RunPrintCommand},
    };
    return commands;
}

// Standard error belongs to the command's own messages; the toolkit's chatter
// about its environment stays out of it.
void KeepToolkitNotesQuiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
}

int RunWithoutDisplay(TCommand command, int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(KeepToolkitNotesQuiet);
    QApplication app(argc, argv);
    return command(TArgs(argv + 2, argv + argc));
}

bool LooksLikeOption(const char* arg) { return arg[0] == '-' && arg[1] != '\0'; }

void PrintUsage(std::ostream& out) {
    out << "usage: kelvora [FILE]\n"
           "       kelvora merge TEMPLATE INFO [--overwrite] [-o OUT.rtf] [--html OUT.html] [--pdf OUT.pdf]\n"
           "       kelvora merge TEMPLATE INFO... -d OUTDIR [--overwrite] [--pdf]\n"
           "       kelvora merge TEMPLATE --data ROWS.csv -d OUTDIR [--name-column N] [--overwrite] [--pdf]\n"
           "       kelvora check TEMPLATE INFO [--overwrite] [--json]\n"
           "       kelvora html IN.rtf OUT.html [--option noFonts|optimize|onlyDefiniteOpt]...\n"
           "       kelvora eval EXPRESSION\n"
           "       kelvora text FILE\n"
           "       kelvora convert IN OUT [--plain]\n"
           "       kelvora print IN -o OUT.pdf\n"
           "       kelvora --help | --version\n";
}

void PrintHelp() {
    std::cout << "Kelvora, a document-assembly editor: merges an information file (.inf) into a\n"
                 "template (.tem) and lets you edit, print and save the result.\n\n";
    PrintUsage(std::cout);
    std::cout << "\n"
                 "  (no command)   open the editor, with FILE loaded when given\n"
                 "  merge          merge as \"Do It\" does; the RTF goes to OUT (standard output\n"
                 "                 without -o); exit 2 for a missing value, 3 for a refused overwrite;\n"
                 "                 with -d, one document per information file or spreadsheet row;\n"
                 "                 --pdf prints the result into OUT.pdf (with -d: PDF files, not RTF)\n"
                 "  check          list every problem a merge would meet, in one run\n"
                 "  html           convert an RTF file into an HTML page\n"
                 "  eval           print an expression's value as the merge inserts it\n"
                 "  text           print a document's lines as the editor holds them\n"
                 "  convert        load as the editor loads, save as the editor saves\n"
                 "  print          print a document as Ctrl+P does, into a PDF file\n"
                 "  --help         show this help and exit\n"
                 "  --version      show the version and exit\n\n"
                 "The full guide is the help page kelvorahelp.htm beside the program\n"
                 "(Help > Contents in the editor); see also kelvora(1).\n";
}

} // namespace

int main(int argc, char** argv) {
    setlocale(LC_CTYPE, ""); // the terminal's encoding, for messages and `text` output
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintHelp();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "kelvora " KELVORA_VERSION "\n";
        return 0;
    }
    if (argc >= 2) {
        const auto core = CoreCommands().find(argv[1]);
        if (core != CoreCommands().end()) return core->second(TArgs(argv + 2, argv + argc));
        const auto editor = EditorCommands().find(argv[1]);
        if (editor != EditorCommands().end()) return RunWithoutDisplay(editor->second, argc, argv);
        if (argc > 2 || LooksLikeOption(argv[1])) {
            PrintUsage(std::cerr);
            return 1;
        }
    }
    return RunEditor(argc, argv, argc == 2 ? argv[1] : nullptr);
}
