// The editor at the display's scale, run by editor_dpi.sh in a prefix of its
// own at 96, 120, 144 and 192 DPI (DQ_TEST_DPI); Wine's processes are
// per-monitor DPI aware. The host answers audioMasterSizeWindow as told.
// Panels are read as the editor prints them (larger than Xvfb's screen).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>

#include "../../vst2/plugin_instance.h"
#include "editor_test_support.h"
#include "vst_host.h"

namespace {

using Size = std::pair<int, int>;
constexpr Size kAt96{840, 520};
bool hostAgrees = true;
std::vector<Size> asked, heardBack;  // audioMasterSizeWindow; effEditGetRect while it is answered

Size rectOf(AEffect* e) {
    ERect* r = nullptr;
    dispatch(e, effEditGetRect, 0, 0, &r);
    return {r->right, r->bottom};
}

intptr_t sizingAudioMaster(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (opcode != audioMasterSizeWindow) return recordingAudioMaster(e, opcode, index, value, ptr, opt);
    asked.push_back({index, static_cast<int>(value)});
    heardBack.push_back(rectOf(e));
    return hostAgrees;
}

Size clientOf(HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    return {r.right, r.bottom};
}

// A parent window of a host thread that is not DPI aware.
HWND unawareParent() {
    const DPI_AWARENESS_CONTEXT before = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    static HWND frame = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 900, 600, 0, 0, 0, 0);
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 900, 600, frame, 0, 0, 0);
    SetThreadDpiAwarenessContext(before);
    return child;
}

class DpiTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_NE(std::getenv("DQ_TEST_DPI"), nullptr) << "run by editor_dpi.sh";
        dpi = std::atoi(std::getenv("DQ_TEST_DPI"));
        ASSERT_EQ(GetDpiForSystem(), static_cast<UINT>(dpi)) << "the prefix's LogPixels, seen by an aware process";
        plugin = loadPlugin(pluginPathBesideProgram());
        effect = plugin.entry(sizingAudioMaster);
        parent = createChildParent();
        unaware = unawareParent();
        hostAgrees = true;
        asked.clear();
        heardBack.clear();
        recordedHostCalls().clear();
    }
    void TearDown() override {
        for (AEffect* e : {effect, other})
            if (e) closeEffect(e);
        DestroyWindow(parent);
        DestroyWindow(unaware);
        pumpMessages();
        unloadPlugin(plugin);
    }
    HWND open(AEffect* e, HWND in) {
        EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, in), 1);
        pumpMessages();
        return FindWindowExA(in, nullptr, "DorlinQuilletEditorWndClass", nullptr);
    }
    Size atDisplay() const {
        return dpi == 120 ? Size{1050, 650} : dpi == 144 ? Size{1260, 780} : dpi == 192 ? Size{1680, 1040} : kAt96;
    }
    std::vector<Size> unlessAt96(Size s) const { return dpi == 96 ? std::vector<Size>{} : std::vector<Size>{s}; }
    void contentScale(float factor) {
        EXPECT_EQ(dispatch(effect, effVendorSpecific, kVendorPresonus, kVendorContentScale, nullptr, factor), 1);
    }

    int dpi = 0;
    LoadedPlugin plugin;
    AEffect *effect = nullptr, *other = nullptr;
    HWND parent = nullptr, unaware = nullptr;
};

TEST_F(DpiTest, SizesFollowTheParentsScaleAndTheHostHearsOfEveryChange) {
    EXPECT_EQ(rectOf(effect), atDisplay()) << "before any editor: the system's scale";
    const DPI_AWARENESS_CONTEXT before = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    other = plugin.entry(sizingAudioMaster);
    EXPECT_EQ(rectOf(other), kAt96) << "a host thread that is not DPI aware sees 96";
    SetThreadDpiAwarenessContext(before);
    EXPECT_EQ(clientOf(open(effect, parent)), atDisplay());
    EXPECT_EQ(rectOf(effect), atDisplay());
    EXPECT_TRUE(asked.empty()) << "the host was told the right size";
    dispatch(effect, effEditClose);
    EXPECT_EQ(rectOf(effect), atDisplay());

    // A parent that is not DPI aware: the host is asked for the 96-DPI size,
    // and hears it when it asks back while answering.
    const Capture panelAt96 = printWindow(open(effect, unaware));
    EXPECT_EQ(Size(panelAt96.width, panelAt96.height), kAt96);
    EXPECT_EQ(asked, unlessAt96(kAt96));
    EXPECT_EQ(heardBack, asked);
    dispatch(effect, effEditClose);
    EXPECT_EQ(rectOf(effect), kAt96) << "after close: the scale last used";

    // A host that refuses keeps its frame: the panel fits it (the 96-DPI
    // panel to the pixel), and the host hears of the size it has.
    hostAgrees = false;
    asked.clear();
    HWND window = open(effect, parent);
    EXPECT_EQ(asked, unlessAt96(atDisplay()));
    EXPECT_EQ(rectOf(effect), kAt96);
    EXPECT_TRUE(printWindow(window).pixels == panelAt96.pixels);
    DestroyWindow(parent);  // before effEditClose
    EXPECT_EQ(rectOf(effect), kAt96);
    EXPECT_EQ(dispatch(effect, effEditClose), 1);
    EXPECT_EQ(rectOf(effect), atDisplay()) << "the editor's scale was the display's";
    parent = createChildParent();
}

TEST_F(DpiTest, ScaleChangesFromTheWindowSystemAndTheHost) {
    HWND window = open(effect, parent);
    enum { kDpiChanged, kNewParent, kContentScale, kOtherVendorCall };
    const struct {
        int kind;
        float value;
        Size size;
    } steps[] = {{kDpiChanged, 144, {1260, 780}},    {kDpiChanged, 0, kAt96},          {kDpiChanged, 400, {2520, 1560}},
                 {kNewParent, 0, kAt96},             {kDpiChanged, 50, kAt96},         {kOtherVendorCall, 2, kAt96},
                 {kContentScale, 1.5f, {1260, 780}}, {kDpiChanged, 192, {1260, 780}}, {kContentScale, NAN, kAt96},
                 {kContentScale, 5, {2520, 1560}},   {kContentScale, 0, kAt96}};
    Size last = clientOf(window);
    for (const auto& s : steps) {
        asked.clear();
        if (s.kind == kDpiChanged) SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(s.value, s.value), 0);
        if (s.kind == kNewParent && SetParent(window, unaware)) SendMessageA(window, WM_DPICHANGED_AFTERPARENT, 0, 0);
        if (s.kind == kContentScale) contentScale(s.value);
        if (s.kind == kOtherVendorCall) {
            EXPECT_EQ(dispatch(effect, effVendorSpecific, kVendorPresonus, 1, nullptr, 2), 0);
        }
        EXPECT_EQ(clientOf(window), s.size) << "step " << &s - steps;
        EXPECT_EQ(rectOf(effect), s.size) << "step " << &s - steps;
        EXPECT_EQ(asked, s.size == last ? std::vector<Size>{} : std::vector<Size>{s.size}) << "step " << &s - steps;
        last = s.size;
    }
    dispatch(effect, effEditClose);
    contentScale(2);
    EXPECT_EQ(rectOf(effect), Size(1680, 1040)) << "a host's scale also sizes the next editor";
}

// Squared steps between neighbours along a box's rows, every channel: about
// twice the 96-DPI panel's for a true rendering at twice the size (twice the
// rows, edges as steep); less for an upscale that smooths.
double edgeEnergy(const Capture& c, RECT box) {
    double sum = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x + 1 < box.right; ++x)
            for (int shift : {0, 8, 16})
                sum += std::pow(int(c.at(x + 1, y) >> shift & 0xFF) - int(c.at(x, y) >> shift & 0xFF), 2);
    return sum;
}

// Two instances in one state, their editors in one process at 96 and 192 DPI:
// the same picture at twice the size, drawn at that size; then 100 open/close
// cycles at 200 % leave the handle and memory counts flat.
TEST_F(DpiTest, TwiceTheDpiIsTheSamePictureDrawnAtTwiceTheSize) {
    if (dpi != 192) GTEST_SKIP() << "at 192 DPI";
    other = plugin.entry(sizingAudioMaster);
    for (AEffect* e : {effect, other}) {
        for (int i = 0; i < kParamCount; ++i) e->setParameter(e, i, 0.37f + 0.07f * i);
        static_cast<PluginInstance*>(e->object)->core.engine.gainReductionMeter.store(6.3f);
    }
    const Capture small = printWindow(open(other, unaware)), large = printWindow(open(effect, parent));
    saveCaptureBesideProgram(large, "dpi_192");
    ASSERT_EQ(Size(large.width, large.height), Size(1680, 1040));
    // Where the small panel is one colour around a pixel, the large one has
    // it over the pixel's whole 2x2 block; in the subtitle's text, the 2x2
    // blocks are not one colour each (as in a picture with doubled pixels).
    int flat = 0, differing = 0, mixed = 0;
    for (int y = 1; y < 519; ++y)
        for (int x = 1; x < 839; ++x) {
            int spread = 0, off = 0;
            for (int d = 0; d < 9; ++d)
                spread = std::max(spread, colourDistance(small.at(x - 1 + d % 3, y - 1 + d / 3), small.at(x, y)));
            for (int d = 0; d < 4; ++d)
                off = std::max(off, colourDistance(large.at(2 * x + d % 2, 2 * y + d / 2), small.at(x, y)));
            flat += spread <= 2;
            differing += spread <= 2 && off > 6;
            const bool inSubtitle = y >= 44 && y < 60 && x >= 29 && x < 520;
            mixed += inSubtitle && colourDistance(large.at(2 * x, 2 * y), large.at(2 * x + 1, 2 * y + 1)) > 24;
        }
    EXPECT_GT(flat, 300000);
    EXPECT_LT(differing, flat / 200);
    EXPECT_GT(mixed, 700);
    EXPECT_GT(edgeEnergy(large, {58, 88, 1040, 120}), 1.5 * edgeEnergy(small, {29, 44, 520, 60}));

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
    EXPECT_EQ(liveGdiObjectCount(), gdi);
    EXPECT_EQ(liveWindowCount(), windows);
    EXPECT_LT(privateBytes(), bytes + 512 * 1024);
}

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// At 150 % each knob's circle is 1.5 times its radius across, and a drag's
// whole range is 300 pixels (200 panel units); a change of scale mid-drag
// (the host agreeing to the new size) continues from where the drag was.
TEST_F(DpiTest, KnobsHitAndDragInPanelUnits) {
    if (dpi != 144) GTEST_SKIP() << "at 144 DPI";
    HWND window = open(effect, parent);
    for (int32_t i = 0; i < kParamCount; ++i)
        for (int out : {-1, 1}) {
            if (!hasKnob(i)) continue;
            const KnobSpec& k = kParamTable[i].knob;
            recordedHostCalls().clear();
            const int x = static_cast<int>(1.5 * (k.cx + k.radius)) + out, y = static_cast<int>(1.5 * k.cy);
            SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
            SendMessageA(window, WM_LBUTTONUP, 0, 0);
            const bool hit = !recordedHostCalls().empty() && recordedHostCalls()[0].index == i;
            EXPECT_EQ(hit, out < 0) << "knob " << i << ", " << out;
        }
    effect->setParameter(effect, 1, 0.0f);
    recordedHostCalls().clear();
    const int x = static_cast<int>(1.5 * kParamTable[1].knob.cx), y = static_cast<int>(1.5 * kParamTable[1].knob.cy);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
    const struct {
        int up, dpiBefore;
        float value;
    } moves[] = {{150, 0, 0.5f},          {299, 0, 0.99666667f},   {300, 0, 1.0f},          {100, 0, 0.33333334f},
                 {100, 192, 0.33333334f}, {140, 0, 0.43333334f}, {140, 96, 0.43333334f}, {160, 0, 0.53333336f}};
    for (const auto& m : moves) {
        if (m.dpiBefore) SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(m.dpiBefore, m.dpiBefore), 0);
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, at(x, y - m.up));
        EXPECT_FLOAT_EQ(effect->getParameter(effect, 1), m.value) << m.up << " up, dpi " << m.dpiBefore;
    }
    EXPECT_EQ(GetCapture(), window);
    SendMessageA(window, WM_LBUTTONUP, 0, 0);
    dispatch(effect, effEditClose);
    int edges = 0;
    for (const HostCall& c : recordedHostCalls())
        edges += c.opcode == audioMasterBeginEdit || c.opcode == audioMasterEndEdit;
    EXPECT_EQ(edges, 2) << "one begin, one end";
}

}  // namespace
