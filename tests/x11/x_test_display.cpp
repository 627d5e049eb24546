#include "x_test_display.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <cairo.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

TestDisplay::TestDisplay(int dpi) {
    int fds[2];
    if (pipe(fds) != 0) return;
    if ((server = fork()) == 0) {
        close(fds[0]);
        prctl(PR_SET_PDEATHSIG, SIGTERM);  // a crashed test leaves no server behind
        execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0", "3000x1800x24",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;  // the server writes the number, then a newline
    for (char c; read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
    close(fds[0]);
    if (number.empty()) return;
    setenv("DISPLAY", (":" + number).c_str(), 1);
    display = XOpenDisplay(nullptr);
    if (display && dpi > 0) setDpi(dpi);
}

void TestDisplay::setDpi(int dpi) {
    const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
    XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.c_str()), static_cast<int>(resources.size()));
    settle();
}

TestDisplay::~TestDisplay() {
    if (display) XCloseDisplay(display);
    if (server > 0) kill(server, SIGTERM), waitpid(server, nullptr, 0);
}

Window TestDisplay::makeParent(int width, int height) {
    const Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                                         static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(display, w);
    settle();
    return w;
}

void TestDisplay::settle() {
    XSync(display, False);
    usleep(30000);  // the plug-in's connection has its requests served too
}

std::vector<uint32_t> TestDisplay::capture(Window window, int* width, int* height) {
    XWindowAttributes a;
    std::vector<uint32_t> pixels;
    XImage* image = XGetWindowAttributes(display, window, &a)
                        ? XGetImage(display, window, 0, 0, static_cast<unsigned>(a.width),
                                    static_cast<unsigned>(a.height), AllPlanes, ZPixmap)
                        : nullptr;
    if (!image) return pixels;
    *width = a.width, *height = a.height;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

void TestDisplay::pointer(int x, int y, int button) {
    XTestFakeMotionEvent(display, 0, x, y, CurrentTime);
    if (button >= 0) XTestFakeButtonEvent(display, 1, button == 1, CurrentTime);
    settle();
}

std::pair<int, long> TestDisplay::resources() {
    int count = 0;
    long windows = 0;
    XResClient* clients = nullptr;
    XResQueryClients(display, &count, &clients);
    for (int i = 0; i < count; ++i) {
        int types = 0;
        XResType* kinds = nullptr;
        XResQueryClientResources(display, clients[i].resource_base, &types, &kinds);
        for (int t = 0; t < types; ++t)
            if (kinds[t].resource_type == XInternAtom(display, "WINDOW", False)) windows += kinds[t].count;
        XFree(kinds);
    }
    XFree(clients);
    return {count, windows};
}

std::pair<double, double> differenceFromSaved(const std::vector<uint32_t>& pixels, int width, int height,
                                              const std::string& png) {
    const int stride = width * 4;
    cairo_surface_t* s = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(pixels.data())), CAIRO_FORMAT_RGB24, width, height, stride);
    if (std::getenv("DQ_SAVE_PICTURES")) cairo_surface_write_to_png(s, png.c_str());
    cairo_surface_destroy(s);
    cairo_surface_t* saved = cairo_image_surface_create_from_png(png.c_str());
    double sum = 0.0, over = 0.0, count = static_cast<double>(width) * height;
    const bool comparable = cairo_surface_status(saved) == CAIRO_STATUS_SUCCESS && count > 0 &&
                            cairo_image_surface_get_width(saved) == width && cairo_image_surface_get_height(saved) == height;
    for (int y = 0; comparable && y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(saved) +
                                                            y * cairo_image_surface_get_stride(saved));
        for (int x = 0; x < width; ++x) {
            int worst = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int a = (pixels[static_cast<size_t>(y) * width + x] >> shift) & 255, b = (row[x] >> shift) & 255;
                sum += std::abs(a - b);
                worst = std::max(worst, std::abs(a - b));
            }
            over += worst > 32;
        }
    }
    cairo_surface_destroy(saved);
    return comparable ? std::make_pair(sum / (3.0 * count), over / count) : std::make_pair(255.0, 1.0);
}
