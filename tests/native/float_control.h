#pragma once
// The floating-point control word as the tests see a host's: the engine's
// read and write (denormal_guard.h), the word a host runs with by default,
// and which of its bits are control rather than sticky status flags.
#include "denormal_guard.h"

#if defined(__x86_64__) || defined(__i386__)
constexpr uint64_t kHostDefaultControl = 0x1f80;  // MXCSR: exceptions masked, round to nearest
constexpr uint64_t kControlBits = ~uint64_t{0x3f};  // the low six are status flags
#else
constexpr uint64_t kHostDefaultControl = 0;  // FPCR: status lives in FPSR
constexpr uint64_t kControlBits = ~uint64_t{0};
#endif
