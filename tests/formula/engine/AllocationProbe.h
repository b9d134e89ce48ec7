// Watches the heap of the test program: the peak of the bytes held, and
// allocations made to fail above a size, the way a full memory would.
#pragma once

#include <cstddef>

namespace kq::test {

class CAllocationProbe {
public:
    // Starts counting from what is held now; failAbove 0 fails nothing.
    explicit CAllocationProbe(size_t failAbove = 0);
    ~CAllocationProbe();
    CAllocationProbe(const CAllocationProbe&) = delete;
    CAllocationProbe& operator=(const CAllocationProbe&) = delete;

    // Most bytes held at once since the start, beyond what was held then.
    size_t PeakBytes() const;
};

}  // namespace kq::test
