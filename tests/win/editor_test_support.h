#pragma once
// Helpers for the editor's window tests: the host library's window and
// capture helpers, captures saved beside the program, colour checks and
// live-handle counts.
#include <windows.h>

#include <string>

#include "host_window.h"

// Writes the capture into <program dir>/editor-captures/<name>.png.
void saveCaptureBesideProgram(const Capture& capture, const std::string& name);

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

// Whether every heap of the process is sound. Under the heap's free check
// (heap_checked_test in CMake) it also finds memory written after it was freed.
bool processHeapsValid();
