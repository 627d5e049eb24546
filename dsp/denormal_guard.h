#pragma once
// Flush-to-zero for a block, the host's control word restored on the way out:
// decaying envelopes and filter states never reach the slow subnormal range.
// x86-64: MXCSR's FTZ and DAZ; aarch64: FPCR's FZ, which flushes subnormal
// inputs and results alike, the same values as FTZ and DAZ together.
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <pmmintrin.h>
#include <xmmintrin.h>
inline uint64_t readFloatControl() { return _mm_getcsr(); }
inline void writeFloatControl(uint64_t word) { _mm_setcsr(static_cast<unsigned int>(word)); }
constexpr uint64_t kFlushToZeroBits = _MM_FLUSH_ZERO_ON | _MM_DENORMALS_ZERO_ON;
#elif defined(__aarch64__)
inline uint64_t readFloatControl() {
    uint64_t word;
    __asm__ __volatile__("mrs %0, fpcr" : "=r"(word));
    return word;
}
inline void writeFloatControl(uint64_t word) { __asm__ __volatile__("msr fpcr, %0" : : "r"(word)); }
constexpr uint64_t kFlushToZeroBits = uint64_t{1} << 24;  // FZ
#else
#error "flush-to-zero is only known for x86-64 and aarch64"
#endif

class DenormalGuard {
public:
    // Many hosts already run their audio thread so; writing the control word
    // costs more than a frame of work, so it is only written when it changes.
    DenormalGuard() : saved_(readFloatControl()), changed_((saved_ & kFlushToZeroBits) != kFlushToZeroBits) {
        if (changed_) writeFloatControl(saved_ | kFlushToZeroBits);
    }
    ~DenormalGuard() {
        if (changed_) writeFloatControl(saved_);
    }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    uint64_t saved_;
    bool changed_;
};
