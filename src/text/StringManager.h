// Replacement of every occurrence of a search text in an 8-bit string, in one
// left-to-right pass, with counting, whole-word matching and case options.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TStringManager {
public:
    // Replaces every match of `search` in `text` by `replacement`, in place.
    // Returns the number of replacements.
    int ReplaceAll(std::string_view search, std::string_view replacement, std::string& text,
                   bool ignoreCase, bool wholeWords, bool preserveCase) const;

    // A copy of `source` with every occurrence of `search` removed (case-sensitive).
    void DeleteAll(std::string_view search, const std::string& source, std::string& result) const;

    // Whether the byte may stand directly before or after a whole-word match.
    static bool IsWordDelimiter(unsigned char c);

    // Options of the shared replacement routine.
    struct Options {
        bool ignoreCase = false;
        bool wholeWords = false;
        bool preserveCase = false;
        // Longest result allowed; a call that would pass it changes nothing and
        // raises std::length_error.
        size_t maxLength = static_cast<size_t>(-1);
    };

    // The routine behind both entry points; the scan starts at the 0-based `start`.
    // `onMatch`, when given, is called with the 0-based position of each match in the
    // text as it was before the call, in increasing order. Memory: the old text and
    // the new one, nothing per match.
    static int Replace(std::string_view search, std::string_view replacement, std::string& text,
                       Options options, size_t start = 0, const std::function<void(size_t)>& onMatch = {});
};

// The one shared instance; callers never create their own.
extern const TStringManager StringManager;
