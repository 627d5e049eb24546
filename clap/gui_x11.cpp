// The gui extension's Linux side: the editor embedded in an x11 parent. The
// editor has no thread or timer of its own: the host's timer (timer-support,
// registered with the gui and unregistered with it) lets it take its window's
// events and repaint what changed; a host without one gets no gui, since the
// panel could never follow the values. Until the host sets a scale the panel
// is sized at the display's (Xft.dpi).
#include <clap/ext/timer-support.h>

#include "../editor/x11/x11_editor.h"
#include "gui_platform.h"

namespace {

// About 30 looks a second: a host's value shows within two periods.
constexpr uint32_t kTimerPeriodMs = 33;

const clap_host_timer_support_t* hostTimer(const ClapInstance& p) {
    const clap_host_t* h = p.host;
    const auto* t = h->get_extension
                        ? static_cast<const clap_host_timer_support_t*>(h->get_extension(h, CLAP_EXT_TIMER_SUPPORT))
                        : nullptr;
    return t && t->register_timer && t->unregister_timer ? t : nullptr;
}

// The host's timer: the editor's only turn.
void onTimer(const clap_plugin_t* plugin, clap_id id) {
    ClapInstance* p = instanceOf(plugin);
    if (p && p->gui.created && p->gui.editor && id == p->guiTimer) x11EditorIdle(p->gui.editor);
}

}  // namespace

const char* const kGuiApi = CLAP_WINDOW_API_X11;

bool acquireGuiHostServices(ClapInstance& p) {
    const clap_host_timer_support_t* timer = hostTimer(p);
    clap_id id = CLAP_INVALID_ID;
    if (!timer || !timer->register_timer(p.host, kTimerPeriodMs, &id)) return false;
    p.hostTimer = timer;
    p.guiTimer = id;
    return true;
}

void releaseGuiHostServices(ClapInstance& p) {
    static_cast<const clap_host_timer_support_t*>(p.hostTimer)->unregister_timer(p.host, p.guiTimer);
    p.hostTimer = nullptr;
    p.guiTimer = CLAP_INVALID_ID;
}

double guiScaleUntilHostSets() { return x11DisplayScale(); }

bool openGuiEditor(ClapInstance& p, const clap_window_t& parent, int32_t width, int32_t height) {
    unsigned long own = 0;
    p.gui.editor = openX11EditorOn(editorHostFor(p.core, "CLAP"), parent.x11, width, height, p.gui.scale, &own);
    return own != 0;
}

void closeGuiEditor(ClapInstance& p) {
    closeX11Editor(p.gui.editor);
    p.gui.editor = nullptr;
}

void guiEditorSize(const ClapInstance& p, int32_t* width, int32_t* height) {
    x11EditorSize(p.gui.editor, width, height);
}

void setGuiEditorScale(ClapInstance& p, double scale) { setX11EditorScale(p.gui.editor, scale); }

bool showGuiEditor(ClapInstance& p, bool shown) { return showX11Editor(p.gui.editor, shown); }

const clap_plugin_timer_support_t kClapTimer = {onTimer};
