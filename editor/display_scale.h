#pragma once
// The display's scale as the window system reports it. The DPI functions of
// newer Windows are looked up at run time, so the DLL imports only what every
// Windows it runs on has, and falls back where one is missing.
#include <windows.h>

#include <cstdint>

constexpr double kSmallestScale = 1.0, kLargestScale = 3.0;
constexpr int32_t kBaseDpi = 96;  // a scale of 1

// Any scale into [1, 3]; NaN reads as 1.
double clampScale(double scale);
// A DPI as a scale: dpi / 96 clamped; 0 or negative reads as 1.
double scaleForDpi(int32_t dpi);

// While it lives, the calling thread measures in the DPI awareness of
// `window` (where the system has awareness contexts): sizes handed to the
// window system are then in that window's own pixels, whatever awareness the
// host's thread runs with.
struct ThreadDpiAsWindow {
    explicit ThreadDpiAsWindow(HWND window);
    ~ThreadDpiAsWindow();
    ThreadDpiAsWindow(const ThreadDpiAsWindow&) = delete;
    ThreadDpiAsWindow& operator=(const ThreadDpiAsWindow&) = delete;
    void* previous;  // the thread's context before, null when unchanged
};
