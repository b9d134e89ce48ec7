#include "formula/engine/AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Each block carries its size in front, so that delete can count it back.
constexpr size_t kHeader = 16;

std::atomic<long long> g_nHeld{0};
std::atomic<long long> g_nPeak{0};
std::atomic<long long> g_nBase{0};
std::atomic<size_t> g_nFailAbove{0};

void* Allocate(size_t size)
{
    const size_t failAbove = g_nFailAbove.load();
    if (failAbove != 0 && size > failAbove) throw std::bad_alloc();
    void* block = std::malloc(size + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<size_t*>(block) = size;
    const long long held = g_nHeld.fetch_add(static_cast<long long>(size)) + static_cast<long long>(size);
    long long peak = g_nPeak.load();
    while (held > peak && !g_nPeak.compare_exchange_weak(peak, held)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void Release(void* pointer) noexcept
{
    if (!pointer) return;
    void* block = static_cast<char*>(pointer) - kHeader;
    g_nHeld.fetch_sub(static_cast<long long>(*static_cast<size_t*>(block)));
    std::free(block);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, size_t) noexcept { Release(pointer); }

namespace kq::test {

CAllocationProbe::CAllocationProbe(size_t failAbove)
{
    g_nBase = g_nHeld.load();
    g_nPeak = g_nHeld.load();
    g_nFailAbove = failAbove;
}

CAllocationProbe::~CAllocationProbe() { g_nFailAbove = 0; }

size_t CAllocationProbe::PeakBytes() const
{
    const long long peak = g_nPeak.load() - g_nBase.load();
    return peak > 0 ? static_cast<size_t>(peak) : 0;
}

}  // namespace kq::test
