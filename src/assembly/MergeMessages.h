// The texts the merge shows the user, shared by "Do It" and `kelvora merge`.
// Lines of a message are separated by ";".
#pragma once
#include <string>

#include "assembly/MergeEngine.h"

struct TMergeMessage {
    std::string title;
    char kind = 'I'; // "!" exclamation, "H" stop, "I" information
    std::string text;
};

// The message that ends a merge run, for every outcome.
TMergeMessage MergeOutcomeMessage(const TMergeResult& result);

// The wait panel's caption after each marker: «2  replacements  ».
std::string ProgressCaption(int count);

// "Do It" with fewer than two lines in the template editor.
TMergeMessage NoTemplateMessage();

// A newly selected information file with an odd number of lines.
TMergeMessage OddLinesMessage();
