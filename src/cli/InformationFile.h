// The information file as the information editor holds it.
#pragma once
#include "assembly/MergeEngine.h"

#include <functional>
#include <string>

// Loads the file into an information editor (RTF, falling back to plain text) and
// returns its lines, so `kelvora merge` reads exactly what "Do It" reads.
TVectorLines LoadInformationLines(const std::string& fileName);

// The same lines, computed from the file's bytes where they can be (plain text in
// the code page or in UTF-8); only RTF goes through the editor, after `needEditor` has
// brought up what it needs. A merge of a plain-text file never starts the GUI library.
TVectorLines ReadInformationLines(const std::string& fileName, const std::function<void()>& needEditor);
