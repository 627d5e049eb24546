// The editor embedded in the host's window on Linux (x11 API only, never
// floating). Main thread. The editor has no thread or timer of its own: the
// host's timer (timer-support, registered with the gui and unregistered with
// it) lets it take its window's events and repaint what changed. Sizes are
// physical pixels: the panel's size at the host's scale, or the display's
// (Xft.dpi) until the host sets one.
#include <clap/ext/gui.h>
#include <clap/ext/timer-support.h>

#include <cmath>
#include <cstring>

#include "../editor/panel_layout.h"
#include "../editor/x11/x11_editor.h"
#include "clap_instance.h"

namespace {

// About 30 looks a second: a host's value shows within two periods.
constexpr uint32_t kTimerPeriodMs = 33;

bool supported(const char* api, bool floating) { return api && std::strcmp(api, CLAP_WINDOW_API_X11) == 0 && !floating; }

ClapInstance* withGui(const clap_plugin_t* plugin) {
    ClapInstance* p = instanceOf(plugin);
    return p && p->gui.created ? p : nullptr;
}

const clap_host_timer_support_t* hostTimer(const ClapInstance& p) {
    const clap_host_t* h = p.host;
    const auto* t = h->get_extension
                        ? static_cast<const clap_host_timer_support_t*>(h->get_extension(h, CLAP_EXT_TIMER_SUPPORT))
                        : nullptr;
    return t && t->register_timer && t->unregister_timer ? t : nullptr;
}

bool isApiSupported(const clap_plugin_t*, const char* api, bool floating) { return supported(api, floating); }

bool preferredApi(const clap_plugin_t*, const char** api, bool* floating) {
    if (!api || !floating) return false;
    *api = CLAP_WINDOW_API_X11;
    *floating = false;
    return true;
}

// A second create without a destroy is refused, and so is a host without a
// timer: without one the panel could never follow the values.
bool create(const clap_plugin_t* plugin, const char* api, bool floating) {
    ClapInstance* p = instanceOf(plugin);
    if (!p || !p->initialised || p->gui.created || !supported(api, floating)) return false;
    const clap_host_timer_support_t* timer = hostTimer(*p);
    clap_id id = CLAP_INVALID_ID;
    if (!timer || !timer->register_timer(p->host, kTimerPeriodMs, &id)) return false;
    p->gui = ClapGui{true, kNoHostScale, nullptr, nullptr};
    p->hostTimer = timer;
    p->guiTimer = id;
    return true;
}

void destroy(const clap_plugin_t* plugin) {
    ClapInstance* p = instanceOf(plugin);
    if (p) destroyClapGui(*p);
}

// An open editor redraws at the new scale and asks the host for its size.
bool setScale(const clap_plugin_t* plugin, double scale) {
    ClapInstance* p = withGui(plugin);
    if (!p || !std::isfinite(scale) || scale <= 0.0) return false;
    p->gui.scale = scale;
    if (p->gui.editor) setX11EditorScale(p->gui.editor, scale);
    return true;
}

bool getSize(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height) {
    ClapInstance* p = withGui(plugin);
    if (!p || !width || !height) return false;
    int32_t w, h;
    if (p->gui.editor) x11EditorSize(p->gui.editor, &w, &h);  // as the editor has its frame
    else panelSizeAt(hostGaveScale(p->gui.scale) ? p->gui.scale : x11DisplayScale(), &w, &h);
    *width = static_cast<uint32_t>(w);
    *height = static_cast<uint32_t>(h);
    return true;
}

bool canResize(const clap_plugin_t*) { return false; }
bool resizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; }
bool adjustSize(const clap_plugin_t*, uint32_t*, uint32_t*) { return false; }

// The one size there is: the panel's at the current scale.
bool setSize(const clap_plugin_t* plugin, uint32_t width, uint32_t height) {
    uint32_t w, h;
    return getSize(plugin, &w, &h) && w == width && h == height;
}

// A second parent moves the editor: the old window closes, a new one opens.
bool setParent(const clap_plugin_t* plugin, const clap_window_t* window) {
    ClapInstance* p = withGui(plugin);
    if (!p || !window || !supported(window->api, false) || !window->x11) return false;
    closeX11Editor(p->gui.editor);
    p->gui.editor = nullptr;
    uint32_t w = 0, h = 0;
    getSize(plugin, &w, &h);  // what the host was told
    unsigned long own = 0;
    p->gui.editor = openX11EditorOn(editorHostFor(p->core, "CLAP"), window->x11, int32_t(w), int32_t(h),
                                    p->gui.scale, &own);
    return own != 0;
}

bool setTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
void suggestTitle(const clap_plugin_t*, const char*) {}

bool show(const clap_plugin_t* plugin) {
    ClapInstance* p = withGui(plugin);
    return p && showX11Editor(p->gui.editor, true);
}

bool hide(const clap_plugin_t* plugin) {
    ClapInstance* p = withGui(plugin);
    return p && showX11Editor(p->gui.editor, false);
}

// The host's timer: the editor's only turn.
void onTimer(const clap_plugin_t* plugin, clap_id id) {
    ClapInstance* p = withGui(plugin);
    if (p && p->gui.editor && id == p->guiTimer) x11EditorIdle(p->gui.editor);
}

// The editor's request for a new size, passed to the host; false without a
// host gui extension.
bool requestSize(void* context, int32_t width, int32_t height) {
    const ClapInstance& p = *static_cast<const ClapInstance*>(context);
    const clap_host_gui_t* hostGui = static_cast<const clap_host_gui_t*>(p.hostGui);
    return hostGui && hostGui->request_resize && width > 0 && height > 0 &&
           hostGui->request_resize(p.host, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}

}  // namespace

void destroyClapGui(ClapInstance& p) {
    closeX11Editor(p.gui.editor);  // ends a drag that is still running
    if (p.gui.created) static_cast<const clap_host_timer_support_t*>(p.hostTimer)->unregister_timer(p.host, p.guiTimer);
    p.gui = ClapGui{false, kNoHostScale, nullptr, nullptr};
    p.hostTimer = nullptr;
    p.guiTimer = CLAP_INVALID_ID;
}

bool (*const requestGuiSize)(void*, int32_t, int32_t) = requestSize;

const clap_plugin_gui_t kClapGui = {isApiSupported, preferredApi, create,    destroy,      setScale,
                                    getSize,        canResize,    resizeHints, adjustSize, setSize,
                                    setParent,      setTransient, suggestTitle, show,       hide};
const clap_plugin_timer_support_t kClapTimer = {onTimer};
