// The panel as the LV2 plug-in's X11 UI. It lives in its own library, the
// only one of the bundle that links X11 and Cairo. Host side, everything
// comes on the host's UI thread: the values and the meter as port events,
// the idle call that does the window's work (the UI has no thread of its
// own). A knob drag goes back as port writes framed by touch, where the host
// offers touch. The scale is the host's (ui:scaleFactor), else the display's.
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "../editor/x11/x11_editor.h"
#include "lv2_ports.h"

namespace {

struct Lv2Ui {
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Resize* resize;  // null when the host offers none
    const LV2UI_Touch* touch;    // null when the host offers none
    LV2_URID scaleFactorUrid, floatUrid;  // 0 without a URID map
    float params[kParamCount];  // normalised, as the ports last told
    float meter;                // dB of gain reduction
    X11Editor* editor;
};

Lv2Ui& uiOf(void* context) { return *static_cast<Lv2Ui*>(context); }

float readParameter(void* context, int32_t index) {
    return isParamIndex(index) ? uiOf(context).params[index] : 0.0f;
}

float readMeter(void* context) { return uiOf(context).meter; }

void beginEdit(void* context, int32_t index) {
    const Lv2Ui& ui = uiOf(context);
    if (ui.touch && isParamIndex(index)) ui.touch->touch(ui.touch->handle, static_cast<uint32_t>(index), true);
}

// The panel shows the value at once; the host hears it as the port's value.
void setAndAutomate(void* context, int32_t index, float value) {
    Lv2Ui& ui = uiOf(context);
    if (!isParamIndex(index)) return;
    ui.params[index] = clampParameter(value);
    const float port = portValueFromNormalised(static_cast<ParamIndex>(index), ui.params[index]);
    ui.write(ui.controller, static_cast<uint32_t>(index), sizeof port, 0, &port);
}

void endEdit(void* context, int32_t index) {
    const Lv2Ui& ui = uiOf(context);
    if (ui.touch && isParamIndex(index)) ui.touch->touch(ui.touch->handle, static_cast<uint32_t>(index), false);
}

bool requestSize(void* context, int32_t width, int32_t height) {
    const Lv2Ui& ui = uiOf(context);
    return ui.resize && ui.resize->ui_resize(ui.resize->handle, width, height) == 0;
}

// The host's scale factor among its options; kNoHostScale when it gave none.
double hostScale(const Lv2Ui& ui, const LV2_Options_Option* options) {
    if (!options || !ui.scaleFactorUrid) return 0.0;
    for (const LV2_Options_Option* o = options; o->key; ++o) {
        if (o->key != ui.scaleFactorUrid || o->type != ui.floatUrid || o->size != sizeof(float) || !o->value)
            continue;
        const float scale = *static_cast<const float*>(o->value);
        return std::isfinite(scale) && scale > 0.0f ? scale : 0.0;
    }
    return 0.0;
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    if (!pluginUri || std::strcmp(pluginUri, kLv2PluginUri) != 0 || !write || !widget) return nullptr;
    void* parent = nullptr;
    const LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    Lv2Ui* ui = new (std::nothrow) Lv2Ui{};
    if (!ui) return nullptr;
    for (const LV2_Feature* const* f = features; f && *f; ++f) {
        const char* uri = (*f)->URI;
        if (std::strcmp(uri, LV2_UI__parent) == 0) parent = (*f)->data;
        else if (std::strcmp(uri, LV2_UI__resize) == 0) ui->resize = static_cast<const LV2UI_Resize*>((*f)->data);
        else if (std::strcmp(uri, LV2_UI__touch) == 0) ui->touch = static_cast<const LV2UI_Touch*>((*f)->data);
        else if (std::strcmp(uri, LV2_URID__map) == 0) map = static_cast<const LV2_URID_Map*>((*f)->data);
        else if (std::strcmp(uri, LV2_OPTIONS__options) == 0)
            options = static_cast<const LV2_Options_Option*>((*f)->data);
    }
    if (ui->resize && !ui->resize->ui_resize) ui->resize = nullptr;
    if (ui->touch && !ui->touch->touch) ui->touch = nullptr;
    if (map && map->map) {
        ui->scaleFactorUrid = map->map(map->handle, LV2_UI__scaleFactor);
        ui->floatUrid = map->map(map->handle, LV2_ATOM__Float);
    }
    ui->write = write;
    ui->controller = controller;
    // Until the host tells the ports, the panel shows the defaults.
    for (int32_t i = 0; i < kParamCount; ++i) ui->params[i] = kParamTable[i].defaultValue;
    const EditorHost host{ui, "LV2", readParameter, readMeter, beginEdit, setAndAutomate, endEdit, requestSize};
    unsigned long window = 0;
    ui->editor = openX11EditorOn(host, reinterpret_cast<uintptr_t>(parent), 0, 0, hostScale(*ui, options), &window);
    if (!ui->editor) {
        delete ui;
        return nullptr;
    }
    *widget = reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(window));
    int32_t w, h;
    x11EditorSize(ui->editor, &w, &h);
    requestSize(ui, w, h);
    return ui;
}

void cleanup(LV2UI_Handle handle) {
    Lv2Ui* ui = static_cast<Lv2Ui*>(handle);
    if (!ui) return;
    closeX11Editor(ui->editor);
    delete ui;
}

// Control input ports carry parameter values, the meter port its reading;
// anything else (other formats, sizes, ports) is ignored.
void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    Lv2Ui* ui = static_cast<Lv2Ui*>(handle);
    if (!ui || format != 0 || size != sizeof(float) || !buffer) return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    if (port < kParamCount) ui->params[port] = normalisedFromPortValue(static_cast<ParamIndex>(port), value);
    else if (port == kMeterPort && !std::isnan(value)) ui->meter = value;
}

int idle(LV2UI_Handle handle) {
    Lv2Ui* ui = static_cast<Lv2Ui*>(handle);
    return ui && x11EditorIdle(ui->editor) ? 0 : 1;  // 1: the window is gone
}

// A host that changes its scale while the panel is open.
uint32_t getOptions(LV2UI_Handle, LV2_Options_Option*) { return LV2_OPTIONS_ERR_UNKNOWN; }

uint32_t setOptions(LV2UI_Handle handle, const LV2_Options_Option* options) {
    Lv2Ui* ui = static_cast<Lv2Ui*>(handle);
    const double scale = ui ? hostScale(*ui, options) : 0.0;
    if (scale > 0.0) setX11EditorScale(ui->editor, scale);
    return LV2_OPTIONS_SUCCESS;
}

// A host that frames the panel at a size of its own choosing.
int hostResized(LV2UI_Feature_Handle handle, int width, int height) {
    const Lv2Ui* ui = static_cast<const Lv2Ui*>(handle);
    return ui && resizeX11Editor(ui->editor, width, height) ? 0 : 1;
}

const LV2UI_Idle_Interface kIdle = {idle};
const LV2UI_Resize kResize = {nullptr, hostResized};
const LV2_Options_Interface kOptions = {getOptions, setOptions};

const void* extensionData(const char* uri) {
    if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdle;
    if (uri && std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &kOptions;
    if (uri && std::strcmp(uri, LV2_UI__resize) == 0) return &kResize;
    return nullptr;
}

const LV2UI_Descriptor kUiDescriptor = {kLv2UiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kUiDescriptor : nullptr;
}
