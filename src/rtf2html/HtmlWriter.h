// The HTML writer: every piece of body markup passes through EmitHtml, which
// cleans empty tag pairs out, cuts output lines and turns web addresses into links.
#pragma once
#include "rtf2html/RunContext.h"

#include <string>
#include <string_view>
#include <vector>

namespace rtf2html {

void EmitHtml(TRun& run, std::string_view text);
void AddOptimizePattern(TRun& run, std::string pattern);
// Closes the open list item and every open list level.
void CloseOpenLists(TRun& run);

// Removes the run's clean-up patterns until nothing changes.
std::string CleanupMarkup(TRun& run, std::string text);
std::string LinkifyUrls(std::string_view line);

// Every non-overlapping occurrence, left to right; replacements are not rescanned.
std::string ReplaceAllText(std::string_view pattern, std::string_view replacement, std::string_view text);
std::string ReplacePairs(const std::vector<std::string>& patterns,
                         const std::vector<std::string>& replacements, std::string text);

// The fixed lines around the body.
void WritePageHead(TRun& run, const std::string& title);
void WritePageEnd(TRun& run, const format& base);

} // namespace rtf2html
