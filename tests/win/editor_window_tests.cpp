// The editor window as a host drives it: knob dragging with automation,
// opening and closing, repaint requests, bad input and resource use.
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "editor_fixture.h"

#include <gdiplus.h>

#include "../../editor/editor.h"

namespace {

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class EditorWindowTest : public EditorTest {
public:
    void press(int x, int y) { SendMessageA(editor(), WM_LBUTTONDOWN, MK_LBUTTON, at(x, y)); }
    void moveHeld(int x, int y) { SendMessageA(editor(), WM_MOUSEMOVE, MK_LBUTTON, at(x, y)); }
    void release(int x, int y) { SendMessageA(editor(), WM_LBUTTONUP, 0, at(x, y)); }
    float param(int i) const { return effect->getParameter(effect, i); }
    bool updatePending() const {
        RECT r;
        return GetUpdateRect(editor(), &r, FALSE) != 0;
    }
    // The knob being dragged, as the host sees it: the edit begun last and not
    // ended yet; -1 when none is open. An edit begun over an open one, or an
    // end that matches no open edit, gives -2.
    int32_t editedParam() const {
        int32_t open = -1;
        for (const HostCall& c : recordedHostCalls()) {
            if (c.effect != effect) continue;
            if (c.opcode == audioMasterBeginEdit) {
                if (open >= 0) return -2;
                open = c.index;
            } else if (c.opcode == audioMasterEndEdit) {
                if (c.index != open) return -2;
                open = -1;
            }
        }
        return open;
    }
    // Brings the window up to date: any pending paint happens now.
    void validate() {
        UpdateWindow(editor());
        ASSERT_FALSE(updatePending());
    }
};

int editorWindowsIn(HWND parent) {
    int n = 0;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(w, name, sizeof name);
        if (strcmp(name, "DorlinQuilletEditorWndClass") == 0) ++n;
    }
    return n;
}

TEST_F(EditorWindowTest, HitTestIncludesTheCircleBorderOnly) {
    openEditor();
    struct Case {
        int x, y, param;
    };
    for (const Case& k : {Case{176, 165, 0}, Case{177, 165, -1}, Case{130, 415, 2}, Case{130, 416, -1},
                          Case{710, 119, 1}, Case{565, 375, 5}, Case{420, 230, -1}}) {
        press(k.x, k.y);
        EXPECT_EQ(editedParam(), k.param) << k.x << "," << k.y;
        EXPECT_EQ(GetCapture(), k.param >= 0 ? editor() : nullptr);
        release(k.x, k.y);
        EXPECT_EQ(editedParam(), -1);
        EXPECT_EQ(GetCapture(), nullptr);
    }
    EXPECT_TRUE(automationCalls().empty()) << "presses and releases alone automate nothing";
}

TEST_F(EditorWindowTest, DragFollowsTheStartAndAutomatesEveryMove) {
    openEditor();
    effect->setParameter(effect, 0, 0.5f);
    press(130, 165);
    EXPECT_EQ(param(0), 0.5f) << "a press changes nothing yet";
    const struct {
        int y;
        float value;
        bool changes;
    } moves[] = {{65, 1.0f, true}, {15, 1.0f, false}, {215, 0.25f, true}, {265, 0.0f, true}, {-35, 1.0f, true}};
    for (const auto& m : moves) {
        recordedHostCalls().clear();
        validate();
        moveHeld(130, m.y);  // y = -35 lies outside the window: the capture still holds
        EXPECT_EQ(param(0), m.value) << "y " << m.y;
        const std::vector<HostCall> calls = automationCalls();
        ASSERT_EQ(calls.size(), 1u) << "y " << m.y;
        EXPECT_EQ(calls[0].effect, effect);
        EXPECT_EQ(calls[0].index, 0);
        EXPECT_EQ(calls[0].value, 0);
        EXPECT_EQ(calls[0].ptr, nullptr);
        EXPECT_EQ(calls[0].opt, m.value);
        EXPECT_EQ(updatePending(), m.changes) << "a drag step repaints when the knob moved, y " << m.y;
    }
    release(130, -35);
    EXPECT_EQ(GetCapture(), nullptr);
    recordedHostCalls().clear();
    moveHeld(130, 165);
    EXPECT_EQ(param(0), 1.0f) << "after the release, moves change nothing";
    EXPECT_TRUE(automationCalls().empty());
}

TEST_F(EditorWindowTest, MovesWithoutADragChangeAndCallNothing) {
    openEditor();
    float before[9];
    for (int i = 0; i < 9; ++i) before[i] = param(i);
    press(420, 230);  // misses every knob
    for (int y : {0, 100, 375, 519}) moveHeld(420, y);
    SendMessageA(editor(), WM_MOUSEMOVE, 0, at(130, 100));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(param(i), before[i]);
    EXPECT_TRUE(automationCalls().empty());
}

TEST_F(EditorWindowTest, SecondPressRestartsOnAHitAndIsIgnoredOnAMiss) {
    openEditor();
    effect->setParameter(effect, 0, 0.5f);
    effect->setParameter(effect, 3, 0.2f);
    press(130, 165);
    press(275, 375);  // Release knob: the drag restarts there
    EXPECT_EQ(editedParam(), 3);
    moveHeld(275, 335);
    EXPECT_FLOAT_EQ(param(3), 0.4f);
    EXPECT_EQ(param(0), 0.5f);
    press(420, 230);  // a miss leaves the running drag
    EXPECT_EQ(editedParam(), 3);
    moveHeld(275, 315);
    EXPECT_FLOAT_EQ(param(3), 0.5f) << "still measured from the press at y 375";
    const std::vector<HostCall> calls = automationCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].index, 3);
    EXPECT_EQ(calls[1].index, 3);
}

TEST_F(EditorWindowTest, ReleaseWithoutADragLeavesTheCaptureAlone) {
    openEditor();
    SetCapture(parent);
    release(130, 165);
    EXPECT_EQ(GetCapture(), parent);
    ReleaseCapture();
}

// A drag whose button release went elsewhere (capture taken by a dialog or a
// task switch) must not keep following the pointer.
TEST_F(EditorWindowTest, MoveWithoutTheButtonEndsADragUnchanged) {
    openEditor();
    effect->setParameter(effect, 1, 0.5f);
    press(710, 165);
    moveHeld(710, 145);
    EXPECT_FLOAT_EQ(param(1), 0.6f);
    SetCapture(parent);  // the capture is lost
    const size_t automatedBefore = automationCalls().size();
    SendMessageA(editor(), WM_MOUSEMOVE, 0, at(710, 65));
    EXPECT_FLOAT_EQ(param(1), 0.6f);
    EXPECT_EQ(editedParam(), -1);
    EXPECT_EQ(GetCapture(), parent) << "the capture belongs to someone else now";
    moveHeld(710, 15);
    EXPECT_FLOAT_EQ(param(1), 0.6f) << "the drag is over";
    EXPECT_EQ(automationCalls().size(), automatedBefore);
    release(710, 15);
    EXPECT_EQ(GetCapture(), parent) << "no drag: the release leaves the capture";
    ReleaseCapture();
}

TEST_F(EditorWindowTest, MixAndBypassHaveNoKnob) {
    openEditor();
    for (int y = 0; y < 520; y += 4)
        for (int x = 0; x < 840; x += 4) {
            press(x, y);
            ASSERT_TRUE(editedParam() >= -1 && editedParam() < 7) << x << "," << y;
            release(x, y);
        }
}

TEST_F(EditorWindowTest, MouseCoordinatesAtTheInt16LimitsHitNothing) {
    openEditor();
    const int limits[] = {-32768, -32767, -1, 32767};
    for (int x : limits)
        for (int y : limits) {
            press(x, y);
            EXPECT_EQ(editedParam(), -1) << x << "," << y;
        }
    effect->setParameter(effect, 6, 0.5f);
    press(710, 375);
    moveHeld(-32768, -32768);
    EXPECT_EQ(param(6), 1.0f);
    moveHeld(32767, 32767);
    EXPECT_EQ(param(6), 0.0f);
    release(0, 0);
}

TEST_F(EditorWindowTest, OpenCreatesAFixedChildAndCloseDestroysIt) {
    openEditor();
    HWND first = editor();
    EXPECT_EQ(GetParent(first), parent);
    RECT r;
    GetWindowRect(first, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    GetClientRect(first, &r);
    EXPECT_EQ(r.right, 840);
    EXPECT_EQ(r.bottom, 520);
    EXPECT_EQ(GetWindowLongA(first, GWL_STYLE) & 0x56000000, 0x56000000);
    EXPECT_EQ(SendMessageA(first, WM_ERASEBKGND, 0, 0), 1);
    InvalidateRect(first, nullptr, FALSE);
    SendMessageA(first, WM_PAINT, 0, 0);
    EXPECT_FALSE(updatePending()) << "the paint ends with EndPaint";

    EXPECT_EQ(dispatch(effect, effEditClose), 1);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(editor(), nullptr);
    dispatch(effect, effEditIdle);
    effect->setParameter(effect, 0, 0.3f);  // nothing to repaint, nothing breaks

    HWND newParent = createChildParent();
    ASSERT_EQ(dispatch(effect, effEditOpen, 0, 0, newParent), 1);
    EXPECT_EQ(GetParent(editorWindowIn(newParent)), newParent);
    GetClientRect(editorWindowIn(newParent), &r);
    EXPECT_EQ(r.right, 840);
    EXPECT_EQ(r.bottom, 520);
    dispatch(effect, effEditClose);
    DestroyWindow(newParent);
}

// Counts the WM_PAINT messages the editor window receives.
struct PaintCounter {
    static inline WNDPROC original = nullptr;
    static inline int paints = 0;
    static LRESULT CALLBACK counting(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_PAINT) ++paints;
        return CallWindowProcA(original, w, m, wp, lp);
    }
    explicit PaintCounter(HWND window) {
        paints = 0;
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&counting)));
    }
};

// Pumps messages for `ms` milliseconds, calling effEditIdle every 33 ms when asked.
void runHostLoop(AEffect* effect, int ms, bool idle) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<int32_t>(end - GetTickCount()) > 0) {
        if (idle) dispatch(effect, effEditIdle);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 33, QS_ALLINPUT);
        pumpMessages();
    }
}

TEST_F(EditorWindowTest, RepaintsOnlyWhenWhatItShowsChanges) {
    openEditor();
    runHostLoop(effect, 100, true);
    PaintCounter counter(editor());
    runHostLoop(effect, 400, true);
    EXPECT_EQ(PaintCounter::paints, 0) << "nothing changed: no paint at all";

    struct Change {
        const char* what;
        void (*apply)(EditorWindowTest&);
        bool shows;
    };
    const Change changes[] = {
        {"Mix (no knob)", [](EditorWindowTest& t) { t.effect->setParameter(t.effect, 7, 0.3f); }, false},
        {"Bypass (no knob)", [](EditorWindowTest& t) { t.effect->setParameter(t.effect, 8, 1.0f); }, false},
        {"the value already shown", [](EditorWindowTest& t) { t.effect->setParameter(t.effect, 0, 0.5f); }, false},
        {"a meter that still clamps to 0", [](EditorWindowTest& t) { t.setMeter(-3.0f); }, false},
        {"Attack", [](EditorWindowTest& t) { t.effect->setParameter(t.effect, 2, 0.7f); }, true},
        {"the meter", [](EditorWindowTest& t) { t.setMeter(6.0f); }, true},
        {"a meter beyond the scale's end", [](EditorWindowTest& t) { t.setMeter(40.0f); }, true},
        {"a NaN meter, shown as the same end", [](EditorWindowTest& t) { t.setMeter(NAN); }, false},
    };
    for (const Change& c : changes) {
        c.apply(*this);
        EXPECT_FALSE(updatePending()) << c.what << ": a change alone never touches the window";
        dispatch(effect, effEditIdle);
        EXPECT_EQ(updatePending(), c.shows) << c.what;
        runHostLoop(effect, 50, false);
    }

    // From another thread and without any idle call, the window's own timer
    // picks the change up.
    PaintCounter::paints = 0;
    std::thread([this] { effect->setParameter(effect, 5, 0.9f); }).join();
    EXPECT_FALSE(updatePending());
    runHostLoop(effect, 100, false);
    EXPECT_EQ(PaintCounter::paints, 1) << "shown once, within 100 ms";
    std::thread([this] { dispatch(effect, effEditIdle); }).join();
    runHostLoop(effect, 100, false);
    EXPECT_EQ(PaintCounter::paints, 1) << "an idle call from another thread changes nothing";
}

// A host window smaller than the panel hides the bottom row of knobs: those
// are never drawn, yet changes in view still show and nothing keeps painting.
TEST_F(EditorWindowTest, PartsTheHostHidesNeitherBlockNorDriveRepaints) {
    MoveWindow(parent, 0, 0, 900, 300, TRUE);
    openEditor();
    runHostLoop(effect, 100, true);
    PaintCounter counter(editor());
    runHostLoop(effect, 300, true);
    EXPECT_LE(PaintCounter::paints, 1) << "hidden parts do not keep the window painting";
    PaintCounter::paints = 0;
    effect->setParameter(effect, 0, 0.9f);  // Threshold, in view
    runHostLoop(effect, 100, true);
    EXPECT_EQ(PaintCounter::paints, 1);
}

// The calls one instance made to its host, as text: B, A and E for begin
// edit, automate and end edit, each with its parameter; automate runs of one
// parameter shown once.
std::string gestureTrace(AEffect* effect) {
    std::string trace;
    std::string last;
    for (const HostCall& c : recordedHostCalls()) {
        if (c.effect != effect) continue;
        const char kind = c.opcode == audioMasterBeginEdit ? 'B' : c.opcode == audioMasterEndEdit ? 'E'
                          : c.opcode == audioMasterAutomate ? 'A' : '?';
        const std::string step = kind + std::to_string(c.index);
        if (kind == 'A' && step == last) continue;
        trace += (trace.empty() ? "" : " ") + step;
        last = step;
    }
    return trace;
}

TEST_F(EditorWindowTest, EveryDragIsOneEditFromPressToEnd) {
    struct Way {
        const char* name;
        void (*end)(EditorWindowTest&);
        const char* trace;
    };
    const Way ways[] = {
        {"button up", [](EditorWindowTest& t) { t.release(275, 300); }, "B3 A3 E3"},
        {"move without the button",
         [](EditorWindowTest& t) { SendMessageA(t.editor(), WM_MOUSEMOVE, 0, at(275, 290)); }, "B3 A3 E3"},
        {"press on another knob",
         [](EditorWindowTest& t) {
             t.press(710, 375);
             t.moveHeld(710, 360);
             t.release(710, 360);
         },
         "B3 A3 E3 B6 A6 E6"},
        {"press on the same knob", [](EditorWindowTest& t) { t.press(275, 375); t.release(275, 375); },
         "B3 A3 E3 B3 E3"},
        {"press off every knob, then up",
         [](EditorWindowTest& t) { t.press(420, 230); t.release(420, 230); }, "B3 A3 E3"},
        {"effEditClose", [](EditorWindowTest& t) { dispatch(t.effect, effEditClose); }, "B3 A3 E3"},
        {"host destroys the parent",
         [](EditorWindowTest& t) {
             DestroyWindow(t.parent);
             t.parent = nullptr;
         },
         "B3 A3 E3"},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        if (!parent) parent = createChildParent();
        openEditor();
        recordedHostCalls().clear();
        press(275, 375);
        moveHeld(275, 300);
        way.end(*this);
        runHostLoop(effect, 40, true);
        dispatch(effect, effEditClose);
        EXPECT_EQ(gestureTrace(effect), way.trace);
    }

    // effClose mid-drag: the edit ends before the instance goes, then silence.
    parent = createChildParent();
    openEditor();
    recordedHostCalls().clear();
    press(130, 165);
    moveHeld(130, 100);
    AEffect* closed = effect;
    closeEffect(effect);
    effect = nullptr;
    EXPECT_EQ(gestureTrace(closed), "B0 A0 E0");

    recordedHostCalls().clear();
    effect = plugin.entry(recordingAudioMaster);
    openEditor();
    press(420, 230);  // off every knob
    moveHeld(420, 100);
    release(420, 100);
    EXPECT_EQ(gestureTrace(effect), "") << "a press that hits nothing sends nothing";
}

TEST_F(EditorWindowTest, SecondOpenReplacesTheFirstWindow) {
    openEditor();
    HWND first = editor();
    openEditor();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(editor()));
    EXPECT_EQ(editorWindowsIn(parent), 1);
    HWND other = createChildParent();
    ASSERT_EQ(dispatch(effect, effEditOpen, 0, 0, other), 1);
    EXPECT_EQ(editorWindowsIn(parent), 0);
    EXPECT_EQ(editorWindowsIn(other), 1);
    HWND last = editor();
    closeEffect(effect);
    effect = nullptr;
    EXPECT_FALSE(IsWindow(last)) << "no window outlives its instance";
    DestroyWindow(other);
}

TEST_F(EditorWindowTest, BadParentHandlesOpenNothing) {
    EXPECT_EQ(dispatch(effect, effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(0x12345678)), 0);
    EXPECT_EQ(editor(), nullptr);
    HWND gone = createChildParent();
    DestroyWindow(gone);
    EXPECT_EQ(dispatch(effect, effEditOpen, 0, 0, gone), 0);
    EXPECT_EQ(editor(), nullptr);
    dispatch(effect, effEditIdle);
    EXPECT_EQ(dispatch(effect, effEditClose), 1);
    openEditor();  // and a good parent still works afterwards
}

TEST_F(EditorWindowTest, HostDestroyingTheParentFirstIsSurvived) {
    openEditor();
    HWND window = editor();
    press(130, 165);
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(editedParam(), -1);
    dispatch(effect, effEditIdle);
    effect->setParameter(effect, 0, 0.9f);
    EXPECT_EQ(dispatch(effect, effEditClose), 1);
    closeEffect(effect);
    effect = nullptr;
}

TEST_F(EditorWindowTest, ZeroSizedClientAreaPaintsSafely) {
    openEditor();
    MoveWindow(editor(), 0, 0, 0, 0, FALSE);
    RECT r;
    GetClientRect(editor(), &r);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(SendMessageA(editor(), WM_PAINT, 0, 0), 0);
    MoveWindow(editor(), 0, 0, 840, 520, FALSE);
    const Capture c = captureWindow(editor());
    EXPECT_EQ(colourDistance(c.at(420, 230), 0xF0CB64) <= 6, true) << "paints normally again";
}

TEST_F(EditorWindowTest, WindowWithoutAnInstanceOnlyValidatesAndIgnoresTheMouse) {
    openEditor();  // registers the class
    HWND bare = CreateWindowExA(0, "DorlinQuilletEditorWndClass", "bare", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                                parent, nullptr, plugin.module, nullptr);
    ASSERT_NE(bare, nullptr);
    InvalidateRect(bare, nullptr, FALSE);
    EXPECT_EQ(SendMessageA(bare, WM_PAINT, 0, 0), 0);
    RECT r;
    EXPECT_FALSE(GetUpdateRect(bare, &r, FALSE));
    EXPECT_EQ(SendMessageA(bare, WM_LBUTTONDOWN, MK_LBUTTON, at(50, 50)), 0);
    EXPECT_EQ(SendMessageA(bare, WM_MOUSEMOVE, MK_LBUTTON, at(50, 0)), 0);
    EXPECT_EQ(SendMessageA(bare, WM_LBUTTONUP, 0, at(50, 0)), 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(automationCalls().empty());
    DestroyWindow(bare);
    EXPECT_TRUE(IsWindow(editor())) << "a window without an instance touches no instance";
}

TEST_F(EditorWindowTest, TwoInstancesKeepTheirOwnWindowsAndDrags) {
    openEditor();
    AEffect* second = plugin.entry(recordingAudioMaster);
    ASSERT_NE(second, nullptr);
    HWND otherParent = createChildParent();
    ASSERT_EQ(dispatch(second, effEditOpen, 0, 0, otherParent), 1);
    HWND w2 = editorWindowIn(otherParent);
    ASSERT_NE(w2, nullptr);
    EXPECT_NE(w2, editor());
    effect->setParameter(effect, 4, 0.5f);
    second->setParameter(second, 4, 0.5f);
    SendMessageA(w2, WM_LBUTTONDOWN, MK_LBUTTON, at(420, 375));
    SendMessageA(w2, WM_MOUSEMOVE, MK_LBUTTON, at(420, 355));
    SendMessageA(w2, WM_LBUTTONUP, 0, at(420, 355));
    EXPECT_FLOAT_EQ(second->getParameter(second, 4), 0.6f);
    EXPECT_EQ(param(4), 0.5f);
    const std::vector<HostCall> calls = automationCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].effect, second);
    closeEffect(second);
    EXPECT_FALSE(IsWindow(w2));
    EXPECT_TRUE(IsWindow(editor()));
    captureWindow(editor());  // the remaining editor still paints
    DestroyWindow(otherParent);
}

TEST_F(EditorWindowTest, ClassIsRegisteredByTheFirstOpenAndRemovedAtUnload) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    EXPECT_FALSE(GetClassInfoExA(plugin.module, "DorlinQuilletEditorWndClass", &wc));
    openEditor();
    EXPECT_TRUE(GetClassInfoExA(plugin.module, "DorlinQuilletEditorWndClass", &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(wc.hbrBackground, nullptr);
    HMODULE module = plugin.module;
    closeEffect(effect);
    effect = nullptr;
    unloadPlugin(plugin);
    EXPECT_FALSE(GetClassInfoExA(module, "DorlinQuilletEditorWndClass", &wc));
    plugin = loadPlugin(pluginPathBesideProgram());
    effect = plugin.entry(recordingAudioMaster);
    openEditor();  // a reloaded library registers it again
    EXPECT_TRUE(GetClassInfoExA(plugin.module, "DorlinQuilletEditorWndClass", &wc));
}

// GetGuiResources reports 0 under Wine: the GDI count is a sweep of the live
// handle table, the USER count the windows of this thread, and the GDI+
// objects (heap records) show in the private bytes.
TEST_F(EditorWindowTest, PaintsAndOpenCloseCyclesLeakNothing) {
    // Warm-up: Wine creates some objects (cached DCs, window surfaces) lazily.
    for (int i = 0; i < 10; ++i) {
        dispatch(effect, effEditClose);
        openEditor();
        for (int j = 0; j < 10; ++j) RedrawWindow(editor(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    pumpMessages();
    const int gdiBefore = liveGdiObjectCount();
    const int windowsBefore = liveWindowCount();
    const size_t bytesBefore = privateBytes();
    for (int i = 0; i < 1000; ++i) {
        effect->setParameter(effect, i % 7, static_cast<float>(i % 101) / 100.0f);
        RedrawWindow(editor(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    EXPECT_EQ(liveGdiObjectCount(), gdiBefore);
    EXPECT_EQ(liveWindowCount(), windowsBefore);
    const size_t bytesAfterPaints = privateBytes();
    EXPECT_LT(bytesAfterPaints, bytesBefore + 256 * 1024) << "1000 paints";

    for (int i = 0; i < 100; ++i) {
        dispatch(effect, effEditClose);
        openEditor();
        RedrawWindow(editor(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    pumpMessages();
    EXPECT_EQ(liveGdiObjectCount(), gdiBefore);
    EXPECT_EQ(liveWindowCount(), windowsBefore);
    EXPECT_LT(privateBytes(), bytesAfterPaints + 256 * 1024) << "100 open/close cycles";
    printf("leak measure: %d GDI objects, %d windows, private bytes %zu -> %zu -> %zu\n", gdiBefore,
           windowsBefore, bytesBefore, bytesAfterPaints, privateBytes());
}

// The host's answer to every call, but that it closes the editor while it
// answers the call `closeInside` names (once).
int32_t closeInside = -1;
intptr_t closingAudioMaster(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    const intptr_t answer = recordingAudioMaster(e, opcode, index, value, ptr, opt);
    if (e && opcode == closeInside) {
        closeInside = -1;
        dispatch(e, effEditClose, 0, 0);
    }
    return opcode == audioMasterSizeWindow ? 1 : answer;
}

// A host that closes the editor from inside one of the editor's calls to it
// (the size request of a new scale, a drag's begin edit): the editor is freed
// only after the call returned, touching no freed memory, and the edit ends.
TEST_F(EditorWindowTest, AHostClosingTheEditorInsideItsCallsLeavesNoFreedMemoryTouched) {
    closeEffect(effect);
    effect = plugin.entry(closingAudioMaster);
    const struct {
        const char* moment;
        int32_t opcode;
        void (*make)(EditorWindowTest&);
        size_t edits;
    } cases[] = {{"begin edit", audioMasterBeginEdit, [](EditorWindowTest& t) {
                      const KnobSpec& k = kParamTable[kRatio].knob;
                      t.press(k.cx, k.cy);
                  }, 1},
                 {"size request", audioMasterSizeWindow, [](EditorWindowTest& t) {
                      dispatch(t.effect, effVendorSpecific, kVendorPresonus, kVendorContentScale, nullptr, 2.0f);
                  }, 0}};
    for (const auto& c : cases) {
        openEditor();
        recordedHostCalls().clear();
        closeInside = c.opcode;
        c.make(*this);
        pumpMessages();
        EXPECT_EQ(closeInside, -1) << c.moment << ": the host was asked";
        EXPECT_EQ(editor(), nullptr) << c.moment;
        EXPECT_TRUE(processHeapsValid()) << c.moment;
        EXPECT_EQ(callsWith(audioMasterEndEdit).size(), c.edits) << c.moment;
        EXPECT_EQ(editedParam(), -1) << c.moment << ": every edit begun has ended";
    }
}

}  // namespace

// A machine so slow that a paint takes longer than the editor's timer period
// (the host's meter read sleeps while the window paints, and the meter moves
// on every read): the timer's repaints leave the thread as long free after
// each paint as the paint took.
TEST(EditorOnASlowMachine, TheTimerLeavesTheThreadHalfFree) {
    static bool painting = false;
    static std::vector<std::pair<DWORD, DWORD>> paints;  // start and end, ms
    static WNDPROC editorProc = nullptr;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    registerEditorClass(GetModuleHandleA(nullptr));
    EditorHost host{};
    host.parameter = [](void*, int32_t) { return 0.5f; };
    host.meter = [](void*) {
        static int reads = 0;
        if (painting) Sleep(60);
        return static_cast<float>(++reads % 18);
    };
    HWND parent = createChildParent();
    Editor* editor = openEditor(host, GetModuleHandleA(nullptr), parent, 840, 520);
    ASSERT_NE(editor, nullptr);
    HWND window = GetWindow(parent, GW_CHILD);
    editorProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m != WM_PAINT) return CallWindowProcA(editorProc, w, m, wp, lp);
            painting = true;
            const DWORD start = GetTickCount();
            const LRESULT r = CallWindowProcA(editorProc, w, m, wp, lp);
            paints.push_back({start, GetTickCount()});
            painting = false;
            return r;
        })));
    // The host's loop: one message at a time, waiting when there is none.
    for (const DWORD end = GetTickCount() + 1500; static_cast<int32_t>(end - GetTickCount()) > 0;) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        else MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    ASSERT_GE(paints.size(), 4u) << "it still repaints";
    for (size_t i = 1; i < paints.size(); ++i) {
        const DWORD took = paints[i - 1].second - paints[i - 1].first, free = paints[i].first - paints[i - 1].second;
        EXPECT_GE(free + 20, took) << "paint " << i << " came " << free << " ms after one of " << took << " ms";
    }
    closeEditor(editor);
    DestroyWindow(parent);
    unregisterEditorClass(GetModuleHandleA(nullptr));
    Gdiplus::GdiplusShutdown(token);
}
