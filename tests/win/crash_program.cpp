// Crashes on purpose: the rig must report a crashing Windows program as a
// failure, whatever exit status Wine's debugger leaves behind.
#include <cstdio>

int main() {
    std::puts("about to crash");
    std::fflush(stdout);
    volatile int* nowhere = nullptr;
    return *nowhere;
}
