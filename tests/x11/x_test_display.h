#pragma once
// An X server of the test's own (Xvfb on a free display, DISPLAY set for the
// plug-in), and what a host does there: a parent window, a capture, a drag
// by XTest, a count of the server's resources.
#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct TestDisplay {
    explicit TestDisplay(int dpi = 0);  // an Xft.dpi resource when dpi > 0
    ~TestDisplay();
    TestDisplay(const TestDisplay&) = delete;
    Window makeParent(int width, int height);  // mapped, top-level at (0, 0)
    void settle();                             // the server has done everything asked of it so far
    // The window's pixels as 0xRRGGBB; empty when it cannot be read.
    std::vector<uint32_t> capture(Window window, int* width, int* height);
    void press(int x, int y);
    void moveTo(int x, int y);
    void release();
    // Clients, their windows and pixmap bytes, over the whole server.
    struct Resources {
        int clients;
        long windows;
        unsigned long pixmapBytes;
        bool operator==(const Resources& o) const {
            return clients == o.clients && windows == o.windows && pixmapBytes == o.pixmapBytes;
        }
    };
    Resources resources();

    pid_t server = 0;
    Display* display = nullptr;
};

// How far a capture is from a saved PNG: the mean difference per channel in
// levels and the share of pixels differing by more than 32 in any channel;
// a picture of another size differs entirely. With DQ_SAVE_PICTURES set, the
// capture replaces the saved picture first.
struct PictureDifference {
    double mean, shareOver32;
};
PictureDifference differenceFromSaved(const std::vector<uint32_t>& pixels, int width, int height,
                                      const std::string& png);
// The process's resident size in bytes.
long residentBytes();
