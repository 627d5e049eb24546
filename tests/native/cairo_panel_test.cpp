// The Cairo panel's two layers: painting only the boxes of what changed over
// an earlier paint gives the pixels of the whole panel drawn in order from
// scratch, at every scale and in a client too small for the panel.
#include <gtest/gtest.h>

#include <cstring>

#include "../../editor/panel_drawing.h"
#include "cairo_canvas.h"
#include "cairo_panel.h"

namespace {

struct Image {
    cairo_surface_t* surface;
    cairo_t* cr;
    Image(int32_t w, int32_t h)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)), cr(cairo_create(surface)) {}
    ~Image() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
};

int differingPixels(Image& a, Image& b) {
    cairo_surface_flush(a.surface);
    cairo_surface_flush(b.surface);
    const int h = cairo_image_surface_get_height(a.surface), stride = cairo_image_surface_get_stride(a.surface);
    const unsigned char *pa = cairo_image_surface_get_data(a.surface), *pb = cairo_image_surface_get_data(b.surface);
    int differ = 0;
    for (int i = 0; i < h * stride; i += 4) differ += std::memcmp(pa + i, pb + i, 3) != 0;
    return differ;
}

PanelValues valuesAt(int step) {
    PanelValues v{};
    for (int p = 0; p < kParamCount; ++p) v.params[p] = static_cast<float>((step * 7 + p * 13) % 101) / 100.0f;
    v.meter = static_cast<float>(step % 37) * 0.5f;
    return v;
}

}  // namespace

TEST(CairoPanel, PaintOfWhatChangedGivesTheWholePanel) {
    struct Client {
        int32_t w, h;
        double scale;
    };
    for (const Client& c : {Client{840, 520, 1.0}, Client{1260, 780, 1.5}, Client{1680, 1040, 2.0},
                            Client{700, 480, 1.0}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.scale);
        CairoPanel* panel = createCairoPanel("LV2");
        ASSERT_NE(panel, nullptr);
        Image shipped(c.w, c.h);
        const PanelBox whole{0, 0, c.w, c.h};
        PanelValues shown = valuesAt(0);
        EXPECT_EQ(paintCairoPanel(*panel, shipped.cr, shown, c.w, c.h, &whole, 1, c.scale), kAllParts);
        const PanelLayout layout = panelLayoutFor(c.w, c.h, c.scale);
        for (int step = 1; step <= 3; ++step) {
            // Knobs repaint their boxes; the meter only where it changed.
            const PanelValues now = valuesAt(step);
            const uint32_t parts = partsThatDiffer(now, shown, shown);
            PanelBox boxes[kMeterPart + kMaxMeterChangeBoxes], meter[kMaxMeterChangeBoxes];
            int count = 0;
            for (int part = 0; part < kMeterPart; ++part)
                if (parts & (1u << part)) boxes[count++] = deviceBoxOf(layout, panelPartBox(part));
            for (int i = 0, n = meterChangeBoxes(now, shown, meter); i < n; ++i)
                boxes[count++] = deviceBoxOf(layout, meter[i]);
            paintCairoPanel(*panel, shipped.cr, now, c.w, c.h, boxes, count, c.scale);
            shown = now;

            Image reference(c.w, c.h);
            {
                CairoCanvas canvas(reference.cr, layout);
                char footer[kFooterChars];
                writeFooterText(footer, "LV2");
                drawWholePanel(canvas, now, panelFrameOf(layout, c.w, c.h), footer);
            }
            EXPECT_EQ(differingPixels(shipped, reference), 0) << "step " << step;
        }
        destroyCairoPanel(panel);
    }
}
