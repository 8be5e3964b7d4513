#include "platform/Numbers.h"

#include "platform/Errors.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Platform {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Read by every evaluation, on whichever thread merges; set once at start-up (or by tests).
std::atomic<char> gDecimalSeparator{'.'};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::optional<int32_t> StrToInt32(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int base = 10;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        base = 16;
        ++i;
    }
    if (i == s.size()) return std::nullopt;
    const int64_t limit = negative ? int64_t(INT32_MAX) + 1 : INT32_MAX;
    int64_t value = 0;
    for (; i < s.size(); ++i) {
        const int d = base == 16 ? HexDigit(s[i]) : (IsDigit(s[i]) ? s[i] - '0' : -1);
        if (d < 0) return std::nullopt;
        value = value * base + d;
        if (value > limit) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

char DecimalSeparator() { return gDecimalSeparator.load(std::memory_order_relaxed); }
void SetDecimalSeparator(char separator) { gDecimalSeparator.store(separator, std::memory_order_relaxed); }

long double StrToFloat(std::string_view text) {
    auto fail = [&]() -> long double {
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    };
    size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    while (n > i && text[n - 1] == ' ') --n;
    // Rebuild a C-locale form ("." separator) while checking the grammar.
    std::string c;
    if (i < n && (text[i] == '+' || text[i] == '-')) c += text[i++];
    size_t digits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++digits) c += text[i];
    if (i < n && text[i] == DecimalSeparator()) {
        c += '.';
        for (++i; i < n && IsDigit(text[i]); ++i, ++digits) c += text[i];
    }
    if (digits == 0) return fail();
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        c += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) c += text[i++];
        size_t expDigits = 0;
        for (; i < n && IsDigit(text[i]); ++i, ++expDigits) c += text[i];
        if (expDigits == 0) return fail();
    }
    if (i != n) return fail();
    errno = 0;
    const long double value = std::strtold(c.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) return fail(); // beyond the extended range
    return value;
}

std::string FormatValue12(long double value) {
    if (!std::isfinite(value)) {
        char text[32];
        std::snprintf(text, sizeof text, "%12Lf", value);
        return text;
    }
    // Exact decimal digits first, then round half away from zero at two decimals,
    // which is how the platform's formatter rounds (printf would round ties to even).
    const long double magnitude = fabsl(value);
    std::string digits(std::snprintf(nullptr, 0, "%.80Lf", magnitude), '\0');
    std::snprintf(digits.data(), digits.size() + 1, "%.80Lf", magnitude);
    const size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    std::string frac = digits.substr(point + 1, 2);
    const bool roundUp = digits[point + 3] >= '5';
    std::string kept = whole + frac;
    if (roundUp) {
        int k = static_cast<int>(kept.size()) - 1;
        while (k >= 0 && kept[k] == '9') kept[k--] = '0';
        if (k < 0) kept.insert(kept.begin(), '1');
        else ++kept[k];
    }
    std::string out = kept.substr(0, kept.size() - 2) + "." + kept.substr(kept.size() - 2);
    if (std::signbit(value) && kept.find_first_not_of('0') != std::string::npos) out.insert(out.begin(), '-');
    if (out.size() < 12) out.insert(0, 12 - out.size(), ' ');
    return out;
}

} // namespace Platform
