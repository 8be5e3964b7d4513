// kelvora: the editor, or one of its command-line doors.
#include "cli/Commands.h"
#include "window/Editor.h"
#include "cli/HtmlCommand.h"
#include "cli/InformationFile.h"
#include "cli/MergedPdf.h"
#include "cli/TextCommands.h"
#include "platform/Errors.h"

#include <QApplication>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>

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

// The toolkit without a display, brought up on first need: a merge of plain-text
// information never pays for it.
class TOffscreenToolkit {
public:
    TOffscreenToolkit(int& argc, char** argv) : FArgc(argc), FArgv(argv) {}
    void Need() {
        if (FApp) return;
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        qInstallMessageHandler(KeepToolkitNotesQuiet);
        FApp.emplace(FArgc, FArgv);
        // Numbers are read and written in the C form, as before the toolkit took the
        // user's locale: a merge gives the same values with or without it.
        setlocale(LC_NUMERIC, "C");
    }

private:
    int& FArgc;
    char** FArgv;
    std::optional<QApplication> FApp;
};

int RunWithoutDisplay(TCommand command, int argc, char** argv) {
    TOffscreenToolkit toolkit(argc, argv);
    toolkit.Need();
    return command(TArgs(argv + 2, argv + argc));
}

// Merging needs the toolkit only for RTF or UTF-8 information and for PDF output.
int RunMergeOrCheck(const std::string& name, int argc, char** argv) {
    TOffscreenToolkit toolkit(argc, argv);
    const TInformationReader readInformation = [&](const std::string& file) {
        return ReadInformationLines(file, [&] { toolkit.Need(); });
    };
    const TArgs args(argv + 2, argv + argc);
    if (name == "check") return RunCheckCommand(args, readInformation);
    return RunMergeCommand(args, readInformation, [&](const std::string& pdfFile, const std::string& merged) {
        toolkit.Need();
        PrintMergedToPdf(pdfFile, merged);
    });
}

bool LooksLikeOption(const char* arg) { return arg[0] == '-' && arg[1] != '\0'; }

void PrintUsage(std::ostream& out) {
    out << "usage: kelvora [FILE]\n"
           "       kelvora merge TEMPLATE INFO [--overwrite] [-o OUT.rtf] [--html OUT.html] [--pdf OUT.pdf]\n"
           "       kelvora merge TEMPLATE.docx|TEMPLATE.odt INFO -o OUT.docx|OUT.odt\n"
           "       kelvora merge TEMPLATE INFO... -d OUTDIR [--overwrite] [--replace-existing] [--pdf]\n"
           "       kelvora merge TEMPLATE --data ROWS.csv -d OUTDIR [--name-column N] [--overwrite] [--replace-existing] [--pdf]\n"
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
                 "                 --pdf prints the result into OUT.pdf (with -d: PDF files, not RTF);\n"
                 "                 a .docx or .odt TEMPLATE gives .docx or .odt documents, its\n"
                 "                 markers found in the text even where runs split them;\n"
                 "                 --replace-existing lets a batch replace documents already in OUTDIR\n"
                 "  check          list every problem a merge would meet, in one run (also\n"
                 "                 .docx/.odt: lists the markers put together from several runs)\n"
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
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "--version") == 0)) {
        if (argv[1][2] == 'h') PrintHelp();
        else std::cout << "kelvora " KELVORA_VERSION "\n";
        // An answer that never arrived (a full disk behind standard output) is a failure.
        if (std::cout.flush()) return 0;
        std::cerr << Platform::EWriteError().what() << '\n';
        return 1;
    }
    if (argc >= 2) {
        const auto core = CoreCommands().find(argv[1]);
        if (core != CoreCommands().end()) return core->second(TArgs(argv + 2, argv + argc));
        if (std::strcmp(argv[1], "merge") == 0 || std::strcmp(argv[1], "check") == 0)
            return RunMergeOrCheck(argv[1], argc, argv);
        const auto editor = EditorCommands().find(argv[1]);
        if (editor != EditorCommands().end()) return RunWithoutDisplay(editor->second, argc, argv);
        if (argc > 2 || LooksLikeOption(argv[1])) {
            PrintUsage(std::cerr);
            return 1;
        }
    }
    return RunEditor(argc, argv, argc == 2 ? argv[1] : nullptr);
}
