#pragma once
// Helpers for the editor's window tests and tools: a host parent window,
// message pumping, screen captures of the editor, PNG files and live-handle
// counts.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A top-level host window, created once per process and reused: closing
// top-level windows is slow under Wine without a window manager.
HWND sharedHostWindow();
// A fresh child of the shared host window, to serve as an editor's parent.
HWND createChildParent();
void pumpMessages();

struct Capture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top-down rows
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Paints the window now and reads back what its client area shows.
Capture captureWindow(HWND window);
// Reads what the client area shows now, without painting.
Capture readWindowPixels(HWND window);
// Writes the capture into <program dir>/editor-captures/<name>.png.
void saveCaptureBesideProgram(const Capture& capture, const std::string& name);
bool savePng(const Capture& capture, const std::wstring& path);

// Channel-wise distance (largest absolute difference) of two RGB colours.
int colourDistance(uint32_t a, uint32_t b);
// How many pixels of a rectangle lie within `tolerance` of `rgb`.
int countPixelsNear(const Capture& c, RECT area, uint32_t rgb, int tolerance);

// Live GDI objects of the process, found by asking for the type of every
// handle index (Wine accepts a handle with no generation in its high word).
int liveGdiObjectCount();
// Windows of this thread, top-level and children.
int liveWindowCount();
// Private bytes of the process.
size_t privateBytes();
