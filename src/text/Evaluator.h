// Evaluation of an arithmetic expression written as text, on extended precision.
//
// The text is split recursively at operator positions found by plain string
// search, so chains of "-" and "/" group to the right («10-2-3» is 11) and
// operators are only looked for before the first "(" unless the text starts
// with one. These grouping rules are the evaluator's defined behaviour.
#pragma once
#include <string>
#include <string_view>

#include "platform/Errors.h"

class EparserError : public Platform::Exception { using Exception::Exception; };

struct TEvaluationResult {
    long double value = 0; // 0 when the evaluation failed
    std::string error;     // the message of the error that ended it; empty after a success
    bool Ok() const { return error.empty(); }
};

// Evaluates with every bit of state inside the call: any number of threads may
// evaluate at once. Never raises.
TEvaluationResult EvaluateExpression(std::string_view expression);

// Returns the value of the expression, or 0 when it fails; never raises.
long double Evaluate(std::string_view expression);

// The message of the error that ended this thread's last Evaluate, empty after a success.
const std::string& LastErrorText();
