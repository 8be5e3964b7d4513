// ThreadSanitizer brings its own operator new, so the heap count of the plain test build
// cannot be had here; the one test that reads it runs in the plain build only.
#include "PeakMemory.h"

#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void Unavailable() {
    std::fputs("peak memory is measured in the plain test build only\n", stderr);
    std::abort();
}
} // namespace

namespace PeakMemory {
size_t Live() { Unavailable(); }
size_t Peak() { Unavailable(); }
void ResetPeak() { Unavailable(); }
} // namespace PeakMemory
