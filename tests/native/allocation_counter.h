#pragma once
// Counts every malloc-family call and operator new in the program (shared
// libraries it loads included) while `counting` is set. Include it in one
// source file of a test program only: it replaces the allocator's entries.
#include <cstdlib>
#include <new>

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

inline bool counting = false;
inline long allocations = 0;
namespace {
inline void note() {
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
