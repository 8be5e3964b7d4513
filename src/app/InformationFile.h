// The information file as the information editor holds it.
#pragma once
#include <string>
#include <vector>

// Loads the file into an information editor (RTF, falling back to plain text) and
// returns its lines, so `kelvora merge` reads exactly what "Do It" reads.
std::vector<std::string> LoadInformationLines(const std::string& fileName);
