// The gui extension's Windows side: the editor embedded in a win32 parent.
// Until the host sets a scale its size is told at 100 %; the open editor
// follows its display and asks the host for that size.
#include <windows.h>

#include "../editor/editor.h"
#include "../editor/editor_module.h"
#include "gui_platform.h"

const char* const kGuiApi = CLAP_WINDOW_API_WIN32;

bool acquireGuiHostServices(ClapInstance&) { return true; }
void releaseGuiHostServices(ClapInstance&) {}
double guiScaleUntilHostSets() { return 1.0; }

bool openGuiEditor(ClapInstance& p, const clap_window_t& parent, int32_t width, int32_t height) {
    HWND window = nullptr;
    p.gui.editor = openEditorOn(editorHostFor(p.core, "CLAP"), static_cast<HWND>(parent.win32), width, height,
                                p.gui.scale, &window);
    p.gui.window = window;
    return p.gui.editor != nullptr;
}

void closeGuiEditor(ClapInstance& p) {
    closeEditor(p.gui.editor);
    p.gui.editor = nullptr;
}

void guiEditorSize(const ClapInstance& p, int32_t* width, int32_t* height) { editorSize(p.gui.editor, width, height); }

void setGuiEditorScale(ClapInstance& p, double scale) { setEditorScale(p.gui.editor, scale); }

bool showGuiEditor(ClapInstance& p, bool shown) {
    const HWND window = p.gui.editor ? static_cast<HWND>(p.gui.window) : nullptr;
    if (!window || !IsWindow(window)) return false;
    ShowWindow(window, shown ? SW_SHOW : SW_HIDE);
    return true;
}
