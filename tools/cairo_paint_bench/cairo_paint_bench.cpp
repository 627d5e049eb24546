// What a paint of the Linux panel costs, drawn with Cairo into an image as
// the window's back buffer, at 100 % and 200 %, interleaved so the ratios
// hold whatever the machine's speed:
//  - from scratch (the baseline): every element drawn in order into a frame
//    of its own, with no cached layer, then copied to the target;
//  - per change: the cached fixed layer and the moving parts whose boxes a
//    change reaches, with every value changed, and with only the meter moved
//    (its needle and readout boxes, as a window repaints it);
//  - the first paint of a window, its fixed layer built.
//
//   cairo_paint_bench [ROUNDS]
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "../../editor/panel_drawing.h"
#include "cairo_canvas.h"
#include "cairo_panel.h"

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

PanelValues valuesAt(int i) {
    PanelValues v{};
    for (int p = 0; p < kParamCount; ++p) v.params[p] = static_cast<float>((i * 7 + p * 13) % 101) / 100.0f;
    v.meter = static_cast<float>(i % 37) * 0.5f;
    return v;
}

void paintFromScratch(cairo_t* target, const PanelValues& v, int32_t w, int32_t h, double scale,
                      const char* footer) {
    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(frame);
    const PanelLayout layout = panelLayoutFor(w, h, scale);
    {
        CairoCanvas canvas(cr, layout);
        drawWholePanel(canvas, v, panelFrameOf(layout, w, h), footer);
    }
    cairo_destroy(cr);
    cairo_set_source_surface(target, frame, 0, 0);
    cairo_paint(target);
    cairo_surface_destroy(frame);
}

void benchAt(double scale, int rounds) {
    int32_t w = 0, h = 0;
    panelSizeAt(scale, &w, &h);
    cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* target = cairo_create(window);
    char footer[kFooterChars];
    writeFooterText(footer, "LV2");
    const PanelLayout layout = panelLayoutFor(w, h, scale);
    PanelBox partBoxes[kMeterPart + 1];
    int partCount = 0;
    for (int part = 0; part <= kMeterPart; ++part)
        if (kAllParts & (1u << part)) partBoxes[partCount++] = deviceBoxOf(layout, panelPartBox(part));

    CairoPanel* panel = createCairoPanel("LV2");
    PanelValues shown = valuesAt(0);
    const PanelBox whole{0, 0, w, h};
    for (int i = 0; i < 10; ++i) {  // warm caches: glyphs, the fixed layer
        paintCairoPanel(*panel, target, valuesAt(i), w, h, &whole, 1, scale);
        paintFromScratch(target, valuesAt(i), w, h, scale, footer);
    }
    std::vector<double> scratch, everything, meterOnly;
    for (int i = 1; i <= rounds; ++i) {
        const PanelValues v = valuesAt(i);
        double t = now();
        paintFromScratch(target, v, w, h, scale, footer);
        cairo_surface_flush(window);
        scratch.push_back(now() - t);

        t = now();
        paintCairoPanel(*panel, target, v, w, h, partBoxes, partCount, scale);
        cairo_surface_flush(window);
        everything.push_back(now() - t);

        PanelValues meterMoved = v;
        meterMoved.meter = v.meter < 9.0f ? v.meter + 0.75f : v.meter - 0.75f;
        PanelBox boxes[kMaxMeterChangeBoxes];
        const int n = meterChangeBoxes(meterMoved, v, boxes);
        for (int b = 0; b < n; ++b) boxes[b] = deviceBoxOf(layout, boxes[b]);
        t = now();
        paintCairoPanel(*panel, target, meterMoved, w, h, boxes, n, scale);
        cairo_surface_flush(window);
        meterOnly.push_back(now() - t);
        shown = meterMoved;
    }
    destroyCairoPanel(panel);

    CairoPanel* fresh = createCairoPanel("LV2");
    double t = now();
    paintCairoPanel(*fresh, target, shown, w, h, &whole, 1, scale);
    cairo_surface_flush(window);
    const double first = now() - t;
    destroyCairoPanel(fresh);
    cairo_destroy(target);
    cairo_surface_destroy(window);

    const double base = median(scratch), all = median(everything), meter = median(meterOnly);
    printf("Cairo paint at %.0f %%, %d rounds, %dx%d\n", scale * 100, rounds, w, h);
    printf("  from scratch (baseline)      : median %7.3f ms\n", base * 1e3);
    printf("  per change, every value      : median %7.3f ms  -> %.1fx cheaper\n", all * 1e3, base / all);
    printf("  per change, the meter moved  : median %7.3f ms  -> %.1fx cheaper\n", meter * 1e3, base / meter);
    printf("  first paint, layer built     : %7.3f ms (once per window and size)\n", first * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(10, atoi(argv[1])) : 200;
    for (double scale : {1.0, 2.0}) benchAt(scale, rounds);
    return 0;
}
