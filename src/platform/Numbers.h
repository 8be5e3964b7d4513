// Number conversions with the platform's accept/reject rules.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Platform {

// Reads a signed 32-bit integer: leading spaces, an optional sign, then decimal
// digits, or "$"/"x"/"X" followed by hexadecimal digits. Nothing may follow the
// digits and the value must fit the signed 32-bit range.
std::optional<int32_t> StrToInt32(std::string_view text);

// The decimal separator that StrToFloat accepts ("." unless set otherwise).
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// Converts an optional sign, digits with the decimal separator and an optional
// exponent ("e"/"E", optional sign, digits) to an extended value. Leading and
// trailing spaces are allowed. Anything else, or a value beyond the extended
// range, raises EConvertError "'text' is not a valid floating point value".
long double StrToFloat(std::string_view text);

// Fixed point, two decimals (ties away from zero), "." always, right-aligned in
// twelve characters; a longer number is not cut.
std::string FormatValue12(long double value);

} // namespace Platform
