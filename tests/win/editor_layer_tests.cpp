// The panel from its cached fixed layer must give exactly the pixels of the
// panel drawn from scratch, element after element (the editor's uncached
// paint), in every state.
#include <cmath>
#include <random>

#include "../../editor/panel.h"
#include "editor_fixture.h"

namespace {

struct PanelState {
    float params[9];
    float meter;
};

PanelState randomState(std::mt19937& rng) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    PanelState s{};
    for (float& v : s.params) {
        const float r = unit(rng);
        v = r < 0.1f ? 0.0f : r > 0.9f ? 1.0f : unit(rng);
    }
    const float meters[] = {NAN, -1.0f, 0.0f, 1e-30f, 18.0f, 40.0f};
    s.meter = unit(rng) < 0.3f ? meters[rng() % 6] : 20.0f * unit(rng);
    return s;
}

// A 32-bit top-down DIB selected into a memory device context.
struct Dib {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    uint32_t* bits;
    Dib(int w, int h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        previous = SelectObject(dc, bitmap);
    }
    ~Dib() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Capture capture(int w, int h) const {
        GdiFlush();
        Capture c;
        c.width = w;
        c.height = h;
        c.pixels.assign(bits, bits + static_cast<size_t>(w) * h);
        for (uint32_t& px : c.pixels) px &= 0xFFFFFF;
        return c;
    }
};

// Where two captures differ: the count, and the first such pixel.
std::string differences(const Capture& a, const Capture& b) {
    if (a.width != b.width || a.height != b.height) return "sizes differ";
    int n = 0, first = -1;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        if (a.pixels[i] != b.pixels[i]) {
            ++n;
            if (first < 0) first = static_cast<int>(i);
        }
    if (n == 0) return "";
    return std::to_string(n) + " pixels, first at (" + std::to_string(first % a.width) + ", " +
           std::to_string(first / a.width) + ")";
}

using EditorLayerTest = EditorTest;

TEST_F(EditorLayerTest, CachedLayerPaintsExactlyTheFullPanelInEveryState) {
    openEditor();
    std::mt19937 rng(20261207);
    const SIZE sizes[] = {{840, 520}, {700, 450}, {900, 600}};
    pumpMessages();
    PanelResources resources = createPanelResources(GetModuleHandleA(nullptr));
    PanelState s = randomState(rng);
    for (int round = 0; round < 130; ++round) {
        // Mostly what a host does between two idle calls: the meter moves,
        // or one or two knobs, or everything; now and then a new size. Then
        // the needle sweeps the whole scale in half decibels.
        const PanelState next = randomState(rng);
        const int kind = round < 90 ? round % 4 : 4;
        if (kind == 4) s.meter = 0.5f * static_cast<float>(round - 90);
        if (kind == 0) s.meter = next.meter;
        if (kind == 1) s.params[rng() % 7] = next.params[0];
        if (kind == 2) s.params[rng() % 7] = next.params[1], s.params[4] = next.params[4];
        if (kind == 3) s = next;
        for (int i = 0; i < 9; ++i) effect->setParameter(effect, i, s.params[i]);
        setMeter(s.meter);
        float stored[9];
        for (int i = 0; i < 9; ++i) stored[i] = effect->getParameter(effect, i);
        const SIZE size = sizes[round < 60 || round >= 90 ? 0 : 1 + round % 2];
        RECT client;
        GetClientRect(editor(), &client);
        if (client.right != size.cx || client.bottom != size.cy) MoveWindow(editor(), 0, 0, size.cx, size.cy, TRUE);

        // The editor's own repaint of what changed, then the whole panel
        // painted from scratch into the same window device context, both read
        // back from the screen.
        dispatch(effect, effEditIdle);
        UpdateWindow(editor());
        const Capture shipped = readWindowPixels(editor());
        PanelValues values{};
        for (int i = 0; i < 9; ++i) values.params[i] = stored[i];
        values.meter = s.meter;
        HDC windowDc = GetDC(editor());
        paintWholePanel(resources, values, windowDc, size.cx, size.cy);
        ReleaseDC(editor(), windowDc);
        const Capture reference = readWindowPixels(editor());
        ASSERT_EQ(differences(shipped, reference), "") << "round " << round << ", meter " << s.meter;
    }
    releasePanelResources(resources);
}

// When the cache cannot be made, the paint draws everything itself: the
// pixels of the cached paint again, never a blank or half-drawn panel.
TEST_F(EditorLayerTest, WithoutTheCacheThePanelIsDrawnInFull) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    PanelResources resources = createPanelResources(GetModuleHandleA(nullptr));
    std::mt19937 rng(7);
    for (int round = 0; round < 8; ++round) {
        const PanelState s = randomState(rng);
        PanelValues values{};
        for (int i = 0; i < 9; ++i) values.params[i] = s.params[i];
        values.meter = s.meter;
        PanelCache failed{};  // this size's bitmaps could not be made
        failed.width = 840;
        failed.height = 520;
        failed.layout = panelLayoutFor(840, 520, 1.0);
        PanelCache cached{};
        Dib shipped(840, 520), reference(840, 520);
        const RECT whole{0, 0, 840, 520};
        paintPanel(failed, resources, values, shipped.dc, 840, 520, &whole, 1);
        paintPanel(cached, resources, values, reference.dc, 840, 520, &whole, 1);
        ASSERT_TRUE(cached.layerReady);
        releasePanelCache(cached);
        ASSERT_EQ(differences(shipped.capture(840, 520), reference.capture(840, 520)), "") << "round " << round;
    }
    releasePanelResources(resources);
    Gdiplus::GdiplusShutdown(token);
}

// At other scales, and fitted into a client too small for its scale, the
// editor's repaint of what changed (the boxes in device pixels) over the last
// picture gives exactly the panel painted from scratch.
TEST_F(EditorLayerTest, AtEveryScaleTheChangedPartsRepaintExactly) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    PanelResources resources = createPanelResources(GetModuleHandleA(nullptr));
    const struct {
        double scale;
        int w, h;
    } cases[] = {{1.25, 1050, 650}, {1.5, 1260, 780}, {2.0, 1680, 1040}, {3.0, 2520, 1560}, {2.0, 1000, 700}};
    std::mt19937 rng(11);
    for (const auto& c : cases) {
        PanelCache cache{};
        Dib shipped(c.w, c.h), reference(c.w, c.h);
        const PanelLayout layout = panelLayoutFor(c.w, c.h, c.scale);
        PanelValues shown{};
        const RECT whole{0, 0, c.w, c.h};
        paintPanel(cache, resources, shown, shipped.dc, c.w, c.h, &whole, 1, c.scale);
        for (int round = 0; round < 6; ++round) {
            const PanelState s = randomState(rng);
            PanelValues now{};
            for (int i = 0; i < 9; ++i) now.params[i] = round % 2 ? s.params[i] : shown.params[i];
            now.meter = s.meter;
            // As the editor invalidates: the knobs' boxes, where the meter changed.
            RECT boxes[kMeterPart + kMaxMeterChangeBoxes];
            PanelBox meter[kMaxMeterChangeBoxes];
            int count = 0;
            const uint32_t parts = partsThatDiffer(now, shown, shown);
            for (int part = 0; part < kMeterPart; ++part)
                if (parts & (1u << part)) boxes[count++] = rectOf(deviceBoxOf(layout, panelPartBox(part)));
            for (int i = 0, n = meterChangeBoxes(now, shown, meter); i < n; ++i)
                boxes[count++] = rectOf(deviceBoxOf(layout, meter[i]));
            paintPanel(cache, resources, now, shipped.dc, c.w, c.h, boxes, count, c.scale);
            paintWholePanel(resources, now, reference.dc, c.w, c.h, c.scale);
            ASSERT_EQ(differences(shipped.capture(c.w, c.h), reference.capture(c.w, c.h)), "")
                << "scale " << c.scale << ", " << c.w << "x" << c.h << ", round " << round;
            shown = now;
        }
        releasePanelCache(cache);
    }
    releasePanelResources(resources);
    Gdiplus::GdiplusShutdown(token);
}

}  // namespace
