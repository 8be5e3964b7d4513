// Evaluate must return for any text: a value, or 0 with an error text.
#include "text/Evaluator.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const long double v = Evaluate(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!LastErrorText().empty() && v != 0) __builtin_trap(); // a failure always answers 0
    return 0;
}
