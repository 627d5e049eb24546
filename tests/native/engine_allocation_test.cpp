// Proof that processing never allocates: every malloc-family call and every
// operator new in this program is counted while a block runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "engine_test_signals.h"

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
bool counting = false;
long allocations = 0;
void note() {
    if (counting) ++allocations;
}
}  // namespace

extern "C" void* malloc(size_t n) {
    note();
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
    note();
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
    note();
    return __libc_realloc(p, n);
}
void* operator new(size_t n) {
    note();
    if (void* p = __libc_malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

TEST(EngineAllocation, ProcessingNeverAllocates) {
    // The counter itself works.
    counting = true;
    void* probe = std::malloc(16);
    counting = false;
    std::free(probe);
    ASSERT_EQ(allocations, 1);
    allocations = 0;

    std::vector<float> l, r, oL(4096), oR(4096);
    makeProgram(l, r, 4096);
    l[100] = std::numeric_limits<float>::quiet_NaN();
    EngineRig rig;
    counting = true;
    for (int pass = 0; pass < 3; ++pass) {
        rig.controls.params[kThreshold] = 0.1f * pass;  // per-block values recomputed
        rig.controls.params[kBassArmor] = pass == 1 ? 0.0f : 0.5f;
        rig.controls.hostBypass = pass == 2;
        for (int32_t block : {1, 7, 512, 4096, 0, -3})
            rig.process(l.data(), r.data(), oL.data(), oR.data(), block);
    }
    counting = false;
    EXPECT_EQ(allocations, 0);
}

}  // namespace
