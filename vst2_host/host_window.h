#pragma once
// What a host needs around a plug-in's editor: a parent window, message
// pumping, a read-back of what a window shows, and PNG files of it.
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
// The whole client area as the window prints it (WM_PRINTCLIENT), also where
// it reaches beyond the screen.
Capture printWindow(HWND window);
bool savePng(const Capture& capture, const std::wstring& path);
