#include "PeakMemory.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> gLive{0}, gPeak{0};
constexpr size_t kHeader = alignof(std::max_align_t);

void* Allocate(size_t n) {
    void* block = std::malloc(n + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<size_t*>(block) = n;
    const size_t live = gLive += n;
    size_t peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void Release(void* p) noexcept {
    if (!p) return;
    char* block = static_cast<char*>(p) - kHeader;
    gLive -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}

} // namespace

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace PeakMemory {
size_t Live() { return gLive.load(); }
size_t Peak() { return gPeak.load(); }
void ResetPeak() { gPeak.store(gLive.load()); }
} // namespace PeakMemory
