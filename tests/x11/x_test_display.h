#pragma once
// An X server of the test's own (Xvfb on a free display, DISPLAY set for the
// plug-in), and what a host does there: a parent window, a capture, the
// pointer by XTest, a count of the server's resources.
#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct TestDisplay {
    explicit TestDisplay(int dpi = 0);  // an Xft.dpi resource when dpi > 0
    ~TestDisplay();
    void setDpi(int dpi);  // the desktop's Xft.dpi resource
    Window makeParent(int width, int height);  // mapped, top-level at (0, 0)
    void settle();  // the server has done what this and the plug-in's connection asked
    // The window's pixels as 0xRRGGBB, row after row.
    std::vector<uint32_t> capture(Window window, int* width, int* height);
    // Moves the pointer there, then presses (1) or releases (0) the left button, or neither (-1).
    void pointer(int x, int y, int button = -1);
    // The server's clients, and their windows.
    std::pair<int, long> resources();

    pid_t server = 0;
    Display* display = nullptr;
};

// How far a capture is from a saved PNG: the mean difference per channel in
// levels and the share of pixels off by more than 32 in a channel (a picture
// of another size differs entirely). With DQ_SAVE_PICTURES set, the capture
// is saved as that picture first.
std::pair<double, double> differenceFromSaved(const std::vector<uint32_t>& pixels, int width, int height,
                                              const std::string& png);
