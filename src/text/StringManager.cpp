#include "text/StringManager.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

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

// Calls onMatch(at, replacement as written there) for each match, exactly as a scan
// over the text being edited would find them: after a replacement the scan resumes
// behind the inserted text, and the character before the next candidate is then the
// inserted text's last character. Nothing is stored per match, so a scan over a
// text full of markers costs no memory; onMatch returns false to stop.
template <typename OnMatch>
void ScanMatches(const std::string& text, size_t start, std::string_view search, std::string_view replacement,
                 const Options& opt, OnMatch onMatch) {
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
        std::string_view written = replacement;
        if (opt.preserveCase) {
            AdjustCase(text, b, replacement, F, adjusted);
            written = adjusted;
        }
        if (!written.empty()) {
            before = static_cast<unsigned char>(written.back());
            atStart = false;
        }
        if (!onMatch(b, written)) return;
        b += F;
    }
}

} // namespace

int TStringManager::Replace(std::string_view search, std::string_view replacement, std::string& text,
                            Options options, size_t start, const std::function<void(size_t)>& onMatch) {
    if (text.empty() || search.empty() || search.size() > text.size()) return 0;
    const size_t F = search.size(), L = replacement.size(), T = text.size();
    // First count, stopping as soon as the result would pass the limit: a runaway
    // merge is refused before anything grows.
    size_t count = 0;
    const size_t room = options.maxLength > T ? options.maxLength - T : 0;
    bool tooLong = false;
    ScanMatches(text, start, search, replacement, options, [&](size_t, std::string_view) {
        ++count;
        if (L > F && (options.maxLength < T || room / (L - F) < count)) tooLong = true;
        return !tooLong;
    });
    if (tooLong) throw std::length_error("replacement result too long");
    if (count == 0) return 0;

    const size_t newSize = T - count * F + count * L;
    if (L > F && newSize <= text.capacity() && count <= T / 64) {
        // Room enough and few matches: their positions are cheap to keep, and the
        // text grows where it stands, the tail moved once from the right.
        std::vector<std::pair<size_t, std::string>> matches;
        matches.reserve(count);
        ScanMatches(text, start, search, replacement, options, [&](size_t at, std::string_view written) {
            if (onMatch) onMatch(at);
            matches.emplace_back(at, options.preserveCase ? std::string(written) : std::string());
            return true;
        });
        text.resize(newSize);
        size_t read = T, write = newSize;
        for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
            const size_t tail = read - (it->first + F);
            write -= tail;
            std::memmove(&text[write], &text[it->first + F], tail);
            write -= L;
            std::memcpy(&text[write], options.preserveCase ? it->second.data() : replacement.data(), L);
            read = it->first;
        }
        return static_cast<int>(count);
    }

    // Otherwise the result is built in one pass: in place when it is not longer, else
    // into a new string with a little room to grow, so the peak stays the old text
    // plus the new one.
    std::string out;
    if (L > F) out.reserve(newSize + std::min(newSize / 16, options.maxLength - newSize));
    size_t read = 0, write = 0;
    ScanMatches(text, start, search, replacement, options, [&](size_t at, std::string_view written) {
        if (onMatch) onMatch(at);
        if (L > F) {
            out.append(text, read, at - read);
            out.append(written);
        } else {
            if (write != read) std::memmove(&text[write], &text[read], at - read);
            write += at - read;
            std::memcpy(&text[write], written.data(), L);
            write += L;
        }
        read = at + F;
        return true;
    });
    if (L > F) {
        out.append(text, read, std::string::npos);
        text.swap(out);
    } else {
        std::memmove(&text[write], &text[read], T - read);
        text.resize(write + T - read);
    }
    return static_cast<int>(count);
}

int TStringManager::ReplaceAll(std::string_view search, std::string_view replacement, std::string& text,
                               bool ignoreCase, bool wholeWords, bool preserveCase) const {
    return Replace(search, replacement, text, Options{ignoreCase, wholeWords, preserveCase});
}

void TStringManager::DeleteAll(std::string_view search, const std::string& source, std::string& result) const {
    result = source;
    Replace(search, {}, result, Options{});
}
