#include "cli/Commands.h"

#include "platform/Cp1252.h"
#include "platform/Numbers.h"
#include "text/Evaluator.h"

#include <iostream>

// kelvora eval EXPRESSION: the value as the merge formats it, or the evaluator's error.
int RunEvalCommand(const TArgs& args) {
    if (args.size() != 1) {
        std::cerr << "usage: kelvora eval EXPRESSION\n";
        return 1;
    }
    const long double value = Evaluate(args[0]);
    if (!LastErrorText().empty()) {
        std::cerr << Platform::ToTerminal(LastErrorText()) << '\n';
        return 1;
    }
    std::cout << Platform::FormatValue12(value) << '\n' << std::flush;
    if (!std::cout) {
        std::cerr << "Stream write error\n";
        return 1;
    }
    return 0;
}
