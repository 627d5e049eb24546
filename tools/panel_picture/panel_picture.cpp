// The Linux panel as a PNG, drawn with Cairo as the Linux modules draw it, in
// the state the Windows editor picture shows: default parameters, after half
// a second of a loud 100 Hz tone at 44.1 kHz so the meter shows a reading.
//
//   panel_picture --out PICTURE.png [--scale S] [--format NAME]
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "../../core/plugin_core.h"
#include "cairo_panel.h"

namespace {

PanelValues valuesAfterLoudTone() {
    auto core = std::make_unique<PluginCore>();
    initCore(*core);
    setSampleRate(*core, 44100.0f);
    startOver(*core);
    const int block = 512;
    std::vector<float> left(block), right(block);
    const float* in[2] = {left.data(), right.data()};
    float* out[2] = {left.data(), right.data()};
    const double step = 2.0 * 3.141592653589793 * 100.0 / 44100.0;
    for (int b = 0, n = 0; b < 43; ++b) {
        for (int i = 0; i < block; ++i, ++n) left[i] = right[i] = static_cast<float>(0.9 * std::sin(step * n));
        processCore(*core, in, out, block);
    }
    PanelValues v{};
    for (int32_t i = 0; i < kParamCount; ++i) v.params[i] = parameter(*core, i);
    v.meter = gainReductionMeter(*core);
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    const char* out = nullptr;
    const char* format = "LV2";
    double scale = 1.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--out")) out = argv[i + 1];
        else if (!std::strcmp(argv[i], "--scale")) scale = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--format")) format = argv[i + 1];
    }
    if (!out) {
        fprintf(stderr, "usage: panel_picture --out PICTURE.png [--scale S] [--format NAME]\n");
        return 2;
    }
    int32_t w = 0, h = 0;
    panelSizeAt(scale, &w, &h);
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(image);
    CairoPanel* panel = createCairoPanel(format);
    const PanelBox whole{0, 0, w, h};
    const bool drawn = panel && paintCairoPanel(*panel, cr, valuesAfterLoudTone(), w, h, &whole, 1, scale) != 0;
    destroyCairoPanel(panel);
    cairo_destroy(cr);
    const bool written = drawn && cairo_surface_write_to_png(image, out) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    if (!written) fprintf(stderr, "panel_picture: could not draw or write %s\n", out);
    return written ? 0 : 1;
}
