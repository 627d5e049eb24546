#include "cairo_panel.h"

#include <new>

struct CairoPanel {
    char formatName[16];
};

CairoPanel* createCairoPanel(const char* formatName) {
    CairoPanel* panel = new (std::nothrow) CairoPanel{};
    if (panel && formatName)
        for (int i = 0; i + 1 < static_cast<int>(sizeof panel->formatName) && formatName[i]; ++i)
            panel->formatName[i] = formatName[i];
    return panel;
}

void destroyCairoPanel(CairoPanel* panel) { delete panel; }

// Placeholder until the panel's drawing lands: the areas in plain grey.
uint32_t paintCairoPanel(CairoPanel&, cairo_t* target, const PanelValues&, int32_t width, int32_t height,
                         const PanelBox* areas, int areaCount, double) {
    if (!target || width <= 0 || height <= 0) return 0;
    cairo_save(target);
    cairo_set_source_rgb(target, 0.5, 0.5, 0.5);
    for (int i = 0; i < areaCount; ++i)
        cairo_rectangle(target, areas[i].left, areas[i].top, areas[i].right - areas[i].left,
                        areas[i].bottom - areas[i].top);
    cairo_fill(target);
    cairo_restore(target);
    return kAllParts;
}
