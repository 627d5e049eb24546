// The editor embedded in the host's window (the platform's one window API,
// never floating), over the platform's editor (gui_platform.h). Main thread.
// Sizes are physical pixels: the panel's size at the scale the host set, or
// as the platform tells it until the host sets one.
#include <cmath>
#include <cstring>

#include "../editor/panel_layout.h"
#include "gui_platform.h"

namespace {

bool supported(const char* api, bool floating) { return api && std::strcmp(api, kGuiApi) == 0 && !floating; }

ClapInstance* withGui(const clap_plugin_t* plugin) {
    ClapInstance* p = instanceOf(plugin);
    return p && p->gui.created ? p : nullptr;
}

bool isApiSupported(const clap_plugin_t*, const char* api, bool floating) { return supported(api, floating); }

bool preferredApi(const clap_plugin_t*, const char** api, bool* floating) {
    if (!api || !floating) return false;
    *api = kGuiApi;
    *floating = false;
    return true;
}

// A second create without a destroy is refused, and so is a host that lacks
// what the platform's editor needs.
bool create(const clap_plugin_t* plugin, const char* api, bool floating) {
    ClapInstance* p = instanceOf(plugin);
    if (!p || !p->initialised || p->gui.created || !supported(api, floating)) return false;
    if (!acquireGuiHostServices(*p)) return false;
    p->gui = ClapGui{true, kNoHostScale, nullptr, nullptr};
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
    if (scale == p->gui.scale) return true;
    p->gui.scale = scale;
    if (p->gui.editor) setGuiEditorScale(*p, scale);
    return true;
}

bool getSize(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height) {
    ClapInstance* p = withGui(plugin);
    if (!p || !width || !height) return false;
    int32_t w, h;
    if (p->gui.editor) guiEditorSize(*p, &w, &h);  // as the editor has its frame
    else panelSizeAt(hostGaveScale(p->gui.scale) ? p->gui.scale : guiScaleUntilHostSets(), &w, &h);
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

// A second parent moves the editor: the old window closes, a new one opens at
// the size the host was told. A scale the host set is kept; until it sets
// one the editor follows the display.
bool setParent(const clap_plugin_t* plugin, const clap_window_t* window) {
    ClapInstance* p = withGui(plugin);
    if (!p || !window || !supported(window->api, false) || !window->uptr) return false;
    closeGuiEditor(*p);
    uint32_t w = 0, h = 0;
    getSize(plugin, &w, &h);
    return openGuiEditor(*p, *window, static_cast<int32_t>(w), static_cast<int32_t>(h));
}

bool setTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
void suggestTitle(const clap_plugin_t*, const char*) {}

bool show(const clap_plugin_t* plugin) {
    ClapInstance* p = withGui(plugin);
    return p && showGuiEditor(*p, true);
}

bool hide(const clap_plugin_t* plugin) {
    ClapInstance* p = withGui(plugin);
    return p && showGuiEditor(*p, false);
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
    closeGuiEditor(p);
    if (p.gui.created) releaseGuiHostServices(p);
    p.gui = ClapGui{false, kNoHostScale, nullptr, nullptr};
}

bool (*const requestGuiSize)(void*, int32_t, int32_t) = requestSize;

const clap_plugin_gui_t kClapGui = {isApiSupported, preferredApi, create,    destroy,      setScale,
                                    getSize,        canResize,    resizeHints, adjustSize, setSize,
                                    setParent,      setTransient, suggestTitle, show,       hide};
