// Live and peak bytes of the program's heap, counted by this test binary's own
// operator new and delete.
#pragma once
#include <cstddef>

namespace PeakMemory {
size_t Live();
size_t Peak();
void ResetPeak(); // the peak starts again from what is live now
} // namespace PeakMemory
