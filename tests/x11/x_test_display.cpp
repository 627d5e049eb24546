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

#include <cstdio>
#include <cstdlib>
#include <cstring>

TestDisplay::TestDisplay(int dpi) {
    int fds[2];
    if (pipe(fds) != 0) return;
    server = fork();
    if (server == 0) {
        const std::string fd = std::to_string(fds[1]);
        close(fds[0]);
        prctl(PR_SET_PDEATHSIG, SIGTERM);  // a crashed test leaves no server behind
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "3000x1800x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;  // the server writes the number, then a newline
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return;
    setenv("DISPLAY", (":" + std::to_string(std::atoi(number.c_str()))).c_str(), 1);
    display = XOpenDisplay(nullptr);
    if (display && dpi > 0) {
        const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
        XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(resources.c_str()), static_cast<int>(resources.size()));
        settle();
    }
}

TestDisplay::~TestDisplay() {
    if (display) XCloseDisplay(display);
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
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
    if (!XGetWindowAttributes(display, window, &a)) return pixels;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                              AllPlanes, ZPixmap);
    if (!image) return pixels;
    *width = a.width;
    *height = a.height;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

void TestDisplay::press(int x, int y) {
    moveTo(x, y);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    settle();
}

void TestDisplay::moveTo(int x, int y) {
    XTestFakeMotionEvent(display, 0, x, y, CurrentTime);
    settle();
}

void TestDisplay::release() {
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    settle();
}

TestDisplay::Resources TestDisplay::resources() {
    Resources r{0, 0, 0};
    XResClient* clients = nullptr;
    XResQueryClients(display, &r.clients, &clients);
    for (int i = 0; i < r.clients; ++i) {
        unsigned long bytes = 0;
        XResQueryClientPixmapBytes(display, clients[i].resource_base, &bytes);
        r.pixmapBytes += bytes;
        int types = 0;
        XResType* counts = nullptr;
        XResQueryClientResources(display, clients[i].resource_base, &types, &counts);
        for (int t = 0; t < types; ++t)
            if (counts[t].resource_type == XInternAtom(display, "WINDOW", False)) r.windows += counts[t].count;
        XFree(counts);
    }
    XFree(clients);
    return r;
}

PictureDifference differenceFromSaved(const std::vector<uint32_t>& pixels, int width, int height,
                                      const std::string& png) {
    if (std::getenv("DQ_SAVE_PICTURES")) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        for (int y = 0; y < height; ++y)
            std::memcpy(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s),
                        &pixels[static_cast<size_t>(y) * width], static_cast<size_t>(width) * 4);
        cairo_surface_mark_dirty(s);
        cairo_surface_write_to_png(s, png.c_str());
        cairo_surface_destroy(s);
    }
    cairo_surface_t* saved = cairo_image_surface_create_from_png(png.c_str());
    PictureDifference d{255.0, 1.0};
    if (cairo_surface_status(saved) == CAIRO_STATUS_SUCCESS && cairo_image_surface_get_width(saved) == width &&
        cairo_image_surface_get_height(saved) == height && !pixels.empty()) {
        double sum = 0.0;
        long over = 0;
        for (int y = 0; y < height; ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(saved) +
                                                                    y * cairo_image_surface_get_stride(saved));
            for (int x = 0; x < width; ++x) {
                const uint32_t a = pixels[static_cast<size_t>(y) * width + x], b = row[x];
                int worst = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int diff = std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255));
                    sum += diff;
                    worst = diff > worst ? diff : worst;
                }
                over += worst > 32;
            }
        }
        const double count = static_cast<double>(width) * height;
        d = {sum / (3.0 * count), over / count};
    }
    cairo_surface_destroy(saved);
    return d;
}

long residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}
