#include "editor_test_support.h"

#include <psapi.h>

#include <algorithm>
#include <cstdlib>

namespace {
std::string programDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

int channel(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
}  // namespace

void saveCaptureBesideProgram(const Capture& c, const std::string& name) {
    const std::string dir = programDir() + "editor-captures";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\" + name + ".png";
    savePng(c, std::wstring(path.begin(), path.end()));
}

int colourDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16}) worst = std::max(worst, std::abs(channel(a, shift) - channel(b, shift)));
    return worst;
}

int countPixelsNear(const Capture& c, RECT area, uint32_t rgb, int tolerance) {
    int n = 0;
    for (int y = std::max<int>(0, area.top); y < std::min<int>(c.height, area.bottom); ++y)
        for (int x = std::max<int>(0, area.left); x < std::min<int>(c.width, area.right); ++x)
            if (colourDistance(c.at(x, y), rgb) <= tolerance) ++n;
    return n;
}

int liveGdiObjectCount() {
    int n = 0;
    for (uintptr_t index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++n;
    return n;
}

namespace {
BOOL CALLBACK countChild(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}
BOOL CALLBACK countTopLevel(HWND window, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    EnumChildWindows(window, countChild, counter);
    return TRUE;
}
}  // namespace

int liveWindowCount() {
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), countTopLevel, reinterpret_cast<LPARAM>(&n));
    return n;
}

bool processHeapsValid() {
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(256, heaps);
    for (DWORD i = 0; i < count && i < 256; ++i)
        if (!HeapValidate(heaps[i], 0, nullptr)) return false;
    return count > 0;
}

size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}
