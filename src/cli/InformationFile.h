// The information file as the information editor holds it.
#pragma once
#include "assembly/MergeEngine.h"

#include <string>

// Loads the file into an information editor (RTF, falling back to plain text) and
// returns its lines, so `kelvora merge` reads exactly what "Do It" reads.
TVectorLines LoadInformationLines(const std::string& fileName);
