#pragma once
// Flush-to-zero and denormals-are-zero for a block, the host's control word
// restored on the way out: decaying envelopes and filter states never reach
// the slow subnormal range.
#include <pmmintrin.h>
#include <xmmintrin.h>

class DenormalGuard {
public:
    // Many hosts already run their audio thread so; writing the control word
    // costs more than a frame of work, so it is only written when it changes.
    DenormalGuard() : saved_(_mm_getcsr()), changed_((saved_ & kFlush) != kFlush) {
        if (changed_) _mm_setcsr(saved_ | kFlush);
    }
    ~DenormalGuard() {
        if (changed_) _mm_setcsr(saved_);
    }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    static constexpr unsigned int kFlush = _MM_FLUSH_ZERO_ON | _MM_DENORMALS_ZERO_ON;
    unsigned int saved_;
    bool changed_;
};
