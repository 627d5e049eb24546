// The editor at the display's scale, run by editor_dpi.sh in a prefix of its
// own at each of 96, 120, 144 and 192 DPI (DQ_TEST_DPI); Wine's processes are
// per-monitor DPI aware. The host here answers audioMasterSizeWindow as told.
// Panels are read as the editor prints them: at 192 DPI the panel is larger
// than Xvfb's screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <utility>

#include "../../dsp/parameters.h"
#include "../../vst2/plugin_instance.h"
#include "editor_test_support.h"
#include "vst_host.h"

namespace {

using Size = std::pair<int, int>;

struct SizingHost {
    static inline bool agrees = true;
    static inline std::vector<Size> asked, heardBack;  // sizeWindow calls; effEditGetRect inside them
};

Size rectOf(AEffect* e) {
    ERect* r = nullptr;
    dispatch(e, effEditGetRect, 0, 0, &r);
    return r ? Size{r->right, r->bottom} : Size{-1, -1};
}

intptr_t sizingAudioMaster(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (opcode != audioMasterSizeWindow) return recordingAudioMaster(e, opcode, index, value, ptr, opt);
    SizingHost::asked.push_back({index, static_cast<int>(value)});
    SizingHost::heardBack.push_back(rectOf(e));
    return SizingHost::agrees;
}

Size clientOf(HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    return {r.right, r.bottom};
}

HWND editorIn(HWND parent) { return FindWindowExA(parent, nullptr, "DorlinQuilletEditorWndClass", nullptr); }

// A parent window of a host (or host thread) that is not DPI aware.
HWND unawareParent() {
    const DPI_AWARENESS_CONTEXT before = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    static HWND frame = CreateWindowExA(0, "STATIC", "unaware host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                        0, 900, 600, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "STATIC", "parent", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900, 600,
                                 frame, nullptr, nullptr, nullptr);
    SetThreadDpiAwarenessContext(before);
    return child;
}

class DpiTest : public ::testing::Test {
public:
    void SetUp() override {
        const char* dpiText = std::getenv("DQ_TEST_DPI");
        ASSERT_NE(dpiText, nullptr) << "run by editor_dpi.sh";
        dpi = std::atoi(dpiText);
        ASSERT_EQ(GetDpiForSystem(), static_cast<UINT>(dpi)) << "the prefix's LogPixels, seen by an aware process";
        plugin = loadPlugin(pluginPathBesideProgram());
        ASSERT_NE(plugin.entry, nullptr);
        effect = plugin.entry(sizingAudioMaster);
        parent = createChildParent();
        SizingHost::agrees = true;
        SizingHost::asked.clear();
        SizingHost::heardBack.clear();
        recordedHostCalls().clear();
    }
    void TearDown() override {
        for (AEffect* e : {effect, other})
            if (e) closeEffect(e);
        DestroyWindow(parent);
        pumpMessages();
        unloadPlugin(plugin);
    }
    HWND open(AEffect* e, HWND in) {
        EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, in), 1);
        pumpMessages();
        return editorIn(in);
    }
    // The panel at this prefix's DPI, as the host must be told.
    Size atDisplay() const {
        switch (dpi) {
        case 120: return {1050, 650};
        case 144: return {1260, 780};
        case 192: return {1680, 1040};
        default: return {840, 520};
        }
    }
    std::vector<Size> askedUnlessAt96(Size s) const { return dpi == 96 ? std::vector<Size>{} : std::vector<Size>{s}; }

    int dpi = 0;
    LoadedPlugin plugin;
    AEffect* effect = nullptr;
    AEffect* other = nullptr;
    HWND parent = nullptr;
};

constexpr Size kAt96{840, 520};

TEST_F(DpiTest, SizesFollowTheParentsScaleAndTheHostHearsOfEveryChange) {
    EXPECT_EQ(rectOf(effect), atDisplay()) << "before any editor: the system's scale";
    const DPI_AWARENESS_CONTEXT before = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    other = plugin.entry(sizingAudioMaster);
    EXPECT_EQ(rectOf(other), kAt96) << "a host thread that is not DPI aware sees 96";
    SetThreadDpiAwarenessContext(before);

    EXPECT_EQ(clientOf(open(effect, parent)), atDisplay());
    EXPECT_EQ(rectOf(effect), atDisplay());
    EXPECT_TRUE(SizingHost::asked.empty()) << "the host was told the right size";
    dispatch(effect, effEditClose);
    EXPECT_EQ(rectOf(effect), atDisplay());

    // A parent that is not DPI aware: the host hears of the 96-DPI size, also
    // when it asks back while answering.
    HWND unaware = unawareParent();
    const Capture panelAt96 = printWindow(open(effect, unaware));
    EXPECT_EQ(clientOf(editorIn(unaware)), kAt96);
    EXPECT_EQ(SizingHost::asked, askedUnlessAt96(kAt96));
    EXPECT_EQ(SizingHost::heardBack, SizingHost::asked);
    dispatch(effect, effEditClose);
    EXPECT_EQ(rectOf(effect), kAt96) << "after close: the scale last used";

    // A host that refuses keeps its frame: the panel fits it, the 96-DPI panel
    // to the pixel, and the host is told what it has.
    SizingHost::agrees = false;
    SizingHost::asked.clear();
    HWND window = open(effect, parent);
    EXPECT_EQ(SizingHost::asked, askedUnlessAt96(atDisplay()));
    EXPECT_EQ(clientOf(window), kAt96);
    EXPECT_EQ(rectOf(effect), kAt96);
    EXPECT_TRUE(printWindow(window).pixels == panelAt96.pixels);

    // The parent destroyed before effEditClose.
    DestroyWindow(parent);
    parent = createChildParent();
    EXPECT_EQ(rectOf(effect), kAt96);
    EXPECT_EQ(dispatch(effect, effEditClose), 1);
    EXPECT_EQ(rectOf(effect), atDisplay()) << "the editor's scale was the display's";
    DestroyWindow(unaware);
}

TEST_F(DpiTest, ScaleChangesFromTheWindowSystemAndTheHost) {
    HWND window = open(effect, parent), unaware = unawareParent();
    auto dpiChanged = [&](int to) { SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(to, to), 0); };
    struct Step {
        const char* what;
        std::function<void()> act;
        Size size;
    };
    const Step steps[] = {
        {"WM_DPICHANGED to 144", [&] { dpiChanged(144); }, {1260, 780}},
        {"DPI 0", [&] { dpiChanged(0); }, kAt96},
        {"DPI 400", [&] { dpiChanged(400); }, {2520, 1560}},
        {"a parent of another DPI",
         [&] {
             SetParent(window, unaware);
             SendMessageA(window, WM_DPICHANGED_AFTERPARENT, 0, 0);
         },
         kAt96},
        {"DPI 50", [&] { dpiChanged(50); }, kAt96},
        {"another vendor call", [&] { EXPECT_EQ(dispatch(effect, effVendorSpecific, 0x50726553, 1, nullptr, 2), 0); },
         kAt96},
        {"content scale 1.5", [&] { EXPECT_EQ(dispatch(effect, effVendorSpecific, 0x50726553, 0x41654373, nullptr, 1.5f), 1); },
         {1260, 780}},
        {"the display changes under a host's scale", [&] { dpiChanged(192); }, {1260, 780}},
        {"content scale NaN", [&] { dispatch(effect, effVendorSpecific, 0x50726553, 0x41654373, nullptr, NAN); }, kAt96},
        {"content scale 5", [&] { dispatch(effect, effVendorSpecific, 0x50726553, 0x41654373, nullptr, 5); },
         {2520, 1560}},
        {"content scale 0", [&] { dispatch(effect, effVendorSpecific, 0x50726553, 0x41654373, nullptr, 0); }, kAt96},
    };
    Size last = atDisplay();
    for (const Step& s : steps) {
        SizingHost::asked.clear();
        s.act();
        EXPECT_EQ(clientOf(window), s.size) << s.what;
        EXPECT_EQ(rectOf(effect), s.size) << s.what;
        EXPECT_EQ(SizingHost::asked, s.size == last ? std::vector<Size>{} : std::vector<Size>{s.size}) << s.what;
        last = s.size;
    }
    dispatch(effect, effEditClose);
    dispatch(effect, effVendorSpecific, 0x50726553, 0x41654373, nullptr, 2);
    EXPECT_EQ(rectOf(effect), Size(1680, 1040)) << "a host's scale also sizes the next editor";
    DestroyWindow(unaware);
}

// Sum of the squared steps between neighbours across a box, every channel:
// a true rendering at twice the size has about twice a panel's (twice the
// rows, edges as steep), an upscale that smooths has less.
double edgeEnergy(const Capture& c, RECT box) {
    double sum = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x + 1 < box.right; ++x)
            for (int shift : {0, 8, 16}) {
                const double step = static_cast<int>((c.at(x + 1, y) >> shift) & 0xFF) -
                                    static_cast<int>((c.at(x, y) >> shift) & 0xFF);
                sum += step * step;
            }
    return sum;
}

// Share of the 2x2 blocks of a box that hold more than one colour: none in a
// picture whose pixels were doubled.
double mixedBlocks(const Capture& c, RECT box) {
    int mixed = 0, all = 0;
    for (int y = box.top; y + 1 < box.bottom; y += 2)
        for (int x = box.left; x + 1 < box.right; x += 2, ++all)
            for (uint32_t p : {c.at(x + 1, y), c.at(x, y + 1), c.at(x + 1, y + 1)})
                if (colourDistance(p, c.at(x, y)) > 24) {
                    ++mixed;
                    break;
                }
    return static_cast<double>(mixed) / all;
}

// Two instances in one state, their editors in one process at 96 and 192 DPI.
TEST_F(DpiTest, TwiceTheDpiIsTheSamePictureDrawnAtTwiceTheSize) {
    if (dpi != 192) GTEST_SKIP() << "at 192 DPI";
    other = plugin.entry(sizingAudioMaster);
    for (AEffect* e : {effect, other}) {
        for (int i = 0; i < kParamCount; ++i) e->setParameter(e, i, 0.37f + 0.07f * i);
        static_cast<PluginInstance*>(e->object)->core.engine.gainReductionMeter.store(6.3f);
    }
    HWND unaware = unawareParent();
    const Capture small = printWindow(open(other, unaware)), large = printWindow(open(effect, parent));
    saveCaptureBesideProgram(small, "dpi_96");
    saveCaptureBesideProgram(large, "dpi_192");
    ASSERT_EQ(Size(large.width, large.height), Size(1680, 1040));
    // Where the small panel is one colour around a pixel, the large one has
    // that colour over the pixel's whole 2x2 block.
    int flat = 0, differing = 0;
    for (int y = 1; y < 519; ++y)
        for (int x = 1; x < 839; ++x) {
            bool uniform = true;
            for (int d = 0; d < 9 && uniform; ++d)
                uniform = colourDistance(small.at(x - 1 + d % 3, y - 1 + d / 3), small.at(x, y)) <= 2;
            if (!uniform) continue;
            ++flat;
            for (int d = 0; d < 4; ++d)
                if (colourDistance(large.at(2 * x + d % 2, 2 * y + d / 2), small.at(x, y)) > 6) {
                    ++differing;
                    break;
                }
        }
    EXPECT_GT(flat, 300000);
    EXPECT_LT(differing, flat / 200);
    // The subtitle's text, drawn at the size it is shown.
    const RECT text{29, 44, 520, 60}, twice{58, 88, 1040, 120};
    EXPECT_GT(edgeEnergy(large, twice), 1.5 * edgeEnergy(small, text));
    EXPECT_GT(mixedBlocks(large, twice), 0.1);
    DestroyWindow(unaware);
}

LPARAM at(double x, double y) { return MAKELPARAM(static_cast<WORD>(std::lround(x)), static_cast<WORD>(std::lround(y))); }

// The parameter whose edit the host saw begin last; -1 for none.
int32_t lastBegunEdit() {
    int32_t param = -1;
    for (const HostCall& c : recordedHostCalls())
        if (c.opcode == audioMasterBeginEdit) param = c.index;
    return param;
}

TEST_F(DpiTest, KnobsHitAndDragInPanelUnits) {
    if (dpi != 144) GTEST_SKIP() << "at 144 DPI";
    HWND window = open(effect, parent);
    // Each knob's circle, 1.5 times its radius across: a pixel in, a pixel out.
    for (int32_t i = 0; i < kParamCount; ++i) {
        if (!hasKnob(i)) continue;
        const KnobSpec& k = kParamTable[i].knob;
        for (double out : {-1.0, 1.0}) {
            recordedHostCalls().clear();
            SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at(1.5 * (k.cx + k.radius) + out, 1.5 * k.cy));
            SendMessageA(window, WM_LBUTTONUP, 0, 0);
            EXPECT_EQ(lastBegunEdit(), out < 0 ? i : -1) << "knob " << i << ", " << out;
        }
    }
    // The whole range is 300 pixels here, 200 panel units; a change of scale
    // mid-drag (the host agrees to the new size) continues from where it was.
    effect->setParameter(effect, 1, 0.0f);
    recordedHostCalls().clear();
    const int x = static_cast<int>(1.5 * kParamTable[1].knob.cx), y = static_cast<int>(1.5 * kParamTable[1].knob.cy);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
    const struct {
        int up, dpiBefore;
        float value;
    } moves[] = {{150, 0, 0.5f},   {299, 0, 0.99666667f}, {300, 0, 1.0f},       {100, 0, 0.33333334f},
                 {100, 192, 0.33333334f}, {140, 0, 0.43333334f}, {140, 96, 0.43333334f}, {160, 0, 0.53333336f}};
    for (const auto& m : moves) {
        if (m.dpiBefore) SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(m.dpiBefore, m.dpiBefore), 0);
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, at(x, y - m.up));
        EXPECT_FLOAT_EQ(effect->getParameter(effect, 1), m.value) << m.up << " up, dpi " << m.dpiBefore;
    }
    EXPECT_EQ(GetCapture(), window);
    SendMessageA(window, WM_LBUTTONUP, 0, at(x, y - 160));
    dispatch(effect, effEditClose);
    int begins = 0, ends = 0;
    for (const HostCall& c : recordedHostCalls()) {
        begins += c.opcode == audioMasterBeginEdit;
        ends += c.opcode == audioMasterEndEdit;
    }
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
}

// Two editors of different scale in one process each drag their own knob in
// their own pixels; 100 open/close cycles at 200 % leave the counts flat.
TEST_F(DpiTest, EditorsAtTwoScalesAndOpenCloseCyclesAtTwice) {
    if (dpi != 192) GTEST_SKIP() << "at 192 DPI";
    other = plugin.entry(sizingAudioMaster);
    HWND unaware = unawareParent();
    const std::pair<AEffect*, HWND> editors[] = {{other, open(other, unaware)}, {effect, open(effect, parent)}};
    for (int n = 0; n < 2; ++n) {
        const auto [e, window] = editors[n];
        const int scale = n + 1, x = scale * kParamTable[kAttack].knob.cx, y = scale * kParamTable[kAttack].knob.cy;
        e->setParameter(e, kAttack, 0.5f);
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, at(x, y - 20 * scale));
        SendMessageA(window, WM_LBUTTONUP, 0, 0);
        EXPECT_FLOAT_EQ(e->getParameter(e, kAttack), 0.6f) << "scale " << scale;
    }
    EXPECT_FLOAT_EQ(other->getParameter(other, kAttack), 0.6f) << "each drag moved its own instance only";

    auto cycles = [&](int n) {
        for (int i = 0; i < n; ++i) {
            dispatch(effect, effEditClose);
            printWindow(open(effect, parent));
        }
        pumpMessages();
    };
    cycles(10);  // Wine makes some objects lazily
    const int gdi = liveGdiObjectCount(), windows = liveWindowCount();
    const size_t bytes = privateBytes();
    cycles(100);
    EXPECT_EQ(clientOf(editorIn(parent)), Size(1680, 1040));
    EXPECT_EQ(liveGdiObjectCount(), gdi);
    EXPECT_EQ(liveWindowCount(), windows);
    EXPECT_LT(privateBytes(), bytes + 512 * 1024);
    DestroyWindow(unaware);
}

}  // namespace
