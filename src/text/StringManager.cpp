#include "text/StringManager.h"

#include "platform/Cp1252.h"

#include <cstring>
#include <stdexcept>

const TStringManager StringManager;

bool TStringManager::IsWordDelimiter(unsigned char c) {
    // 1..47, ':'..'@', '['..'_', 'a'..'~'. Lower-case letters are delimiters and
    // upper-case ones are not: the merge relies on that asymmetry.
    return (c >= 1 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 95) || (c >= 97 && c <= 126);
}

namespace {

using Options = TStringManager::Options;

bool MatchesAt(const std::string& text, size_t b, std::string_view search, bool ignoreCase) {
    if (!ignoreCase) return std::memcmp(text.data() + b, search.data(), search.size()) == 0;
    for (size_t i = 0; i < search.size(); ++i)
        if (Platform::UpperByte(text[b + i]) != Platform::UpperByte(search[i])) return false;
    return true;
}

// The replacement as inserted for the match at `b`: with preserve case, each of its
// first characters takes the case of the matched character at the same offset.
void AdjustCase(const std::string& text, size_t b, std::string_view replacement, size_t searchLen,
                std::string& adjusted) {
    adjusted.assign(replacement);
    const size_t n = std::min(searchLen, replacement.size());
    for (size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(adjusted[i]);
        adjusted[i] = static_cast<char>(Platform::IsUpperLetter(text[b + i]) ? Platform::UpperByte(c)
                                                                              : Platform::LowerByte(c));
    }
}

// One match found by the scan: where it starts in the original text and, with
// preserve case, the replacement as it will be written there.
struct Match {
    size_t at;
    std::string replacement; // empty unless preserve case is on
};

// Finds the matches exactly as a scan over the text being edited would: after a
// replacement the scan resumes behind the inserted text, and the character
// before the next candidate is then the inserted text's last character.
std::vector<Match> FindMatches(const std::string& text, size_t start, std::string_view search,
                               std::string_view replacement, Options opt) {
    std::vector<Match> matches;
    const size_t T = text.size(), F = search.size();
    // The character now standing before position b, and whether b is the text's start.
    unsigned char before = start > 0 ? static_cast<unsigned char>(text[start - 1]) : 0;
    bool atStart = start == 0;
    std::string adjusted;
    const unsigned char first = static_cast<unsigned char>(search[0]);
    const bool caseFold = opt.ignoreCase;
    size_t b = start;
    while (b + F <= T) {
        // Skip quickly to the next possible first character.
        if (!caseFold) {
            const void* hit = std::memchr(text.data() + b, first, T - F + 1 - b);
            if (!hit) break;
            const size_t next = static_cast<const char*>(hit) - text.data();
            if (next > b) {
                before = static_cast<unsigned char>(text[next - 1]);
                atStart = false;
                b = next;
            }
        }
        bool match = MatchesAt(text, b, search, caseFold);
        if (match && opt.wholeWords) {
            const bool okBefore = atStart || TStringManager::IsWordDelimiter(before);
            const bool okAfter = b + F == T || TStringManager::IsWordDelimiter(text[b + F]);
            match = okBefore && okAfter;
        }
        if (!match) {
            before = static_cast<unsigned char>(text[b]);
            atStart = false;
            ++b;
            continue;
        }
        Match m{b, {}};
        if (opt.preserveCase) {
            AdjustCase(text, b, replacement, F, adjusted);
            m.replacement = adjusted;
        }
        if (!replacement.empty()) {
            before = static_cast<unsigned char>(opt.preserveCase ? m.replacement.back() : replacement.back());
            atStart = false;
        }
        matches.push_back(std::move(m));
        b += F;
    }
    return matches;
}

std::string_view ReplacementFor(const Match& m, std::string_view replacement, bool preserveCase) {
    return preserveCase ? std::string_view(m.replacement) : replacement;
}

// Writes the replacements into the text: left to right when the text shrinks or
// keeps its length, right to left after one growth when it gets longer. Either way
// every byte moves at most once.
void ApplyMatches(std::string& text, const std::vector<Match>& matches, size_t F, std::string_view replacement,
                  bool preserveCase) {
    const size_t L = replacement.size();
    const size_t oldSize = text.size();
    if (L <= F) {
        size_t write = 0, read = 0;
        for (const Match& m : matches) {
            if (write != read) std::memmove(&text[write], &text[read], m.at - read);
            write += m.at - read;
            const std::string_view r = ReplacementFor(m, replacement, preserveCase);
            std::memcpy(&text[write], r.data(), L);
            write += L;
            read = m.at + F;
        }
        std::memmove(&text[write], &text[read], oldSize - read);
        text.resize(write + oldSize - read);
        return;
    }
    const size_t newSize = oldSize + matches.size() * (L - F);
    text.resize(newSize);
    size_t read = oldSize, write = newSize;
    for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
        const size_t tail = read - (it->at + F);
        write -= tail;
        std::memmove(&text[write], &text[it->at + F], tail);
        write -= L;
        const std::string_view r = ReplacementFor(*it, replacement, preserveCase);
        std::memcpy(&text[write], r.data(), L);
        read = it->at;
    }
}

} // namespace

int TStringManager::Replace(std::string_view search, std::string_view replacement, std::string& text,
                            Options options, size_t start, std::vector<size_t>* positions) {
    if (positions) positions->clear();
    if (text.empty() || search.empty() || search.size() > text.size()) return 0;
    const std::vector<Match> matches = FindMatches(text, start, search, replacement, options);
    if (matches.empty()) return 0;
    const size_t F = search.size(), L = replacement.size();
    if (L > F && (options.maxLength < text.size() || (options.maxLength - text.size()) / (L - F) < matches.size()))
        throw std::length_error("replacement result too long");
    if (positions)
        for (const Match& m : matches) positions->push_back(m.at);
    ApplyMatches(text, matches, search.size(), replacement, options.preserveCase);
    return static_cast<int>(matches.size());
}

int TStringManager::ReplaceAll(std::string_view search, std::string_view replacement, std::string& text,
                               bool ignoreCase, bool wholeWords, bool preserveCase) const {
    return Replace(search, replacement, text, Options{ignoreCase, wholeWords, preserveCase});
}

void TStringManager::DeleteAll(std::string_view search, const std::string& source, std::string& result) const {
    result = source;
    Replace(search, {}, result, Options{});
}
