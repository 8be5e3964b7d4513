// kelvora: the editor, or one of its command-line doors.
#include "app/Commands.h"

#include <cstring>
#include <iostream>
#include <map>

namespace {

using TCommand = int (*)(const TArgs&);

const std::map<std::string, TCommand>& CoreCommands() {
    static const std::map<std::string, TCommand> commands = {
        {"merge", RunMergeCommand},
        {"eval", RunEvalCommand},
    };
    return commands;
}

void PrintUsage() {
    std::cerr << "usage: kelvora merge TEMPLATE INFO [--overwrite] [-o OUT.rtf] [--html OUT.html]\n"
                 "       kelvora eval EXPRESSION\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage();
        return 1;
    }
    const TArgs rest(argv + 2, argv + argc);
    const auto core = CoreCommands().find(argv[1]);
    if (core != CoreCommands().end()) return core->second(rest);
    PrintUsage();
    return 1;
}
