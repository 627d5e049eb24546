#pragma once
// The display's scale as the window system reports it. The DPI functions of
// newer Windows are looked up at run time, so the DLL imports only what every
// Windows it runs on has, and falls back where one is missing.
#include <windows.h>

#include <cstdint>

#include "panel_layout.h"  // the scale's range, clampScale, scaleForDpi

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
