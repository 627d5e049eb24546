// The editor window. Placeholder: no window is created yet.
#include "editor.h"

#include "../plugin/plugin_instance.h"

const char kEditorClassName[] = "DorlinQuilletEditorWndClass";

int openEditor(PluginInstance*, HWND) { return 0; }

void closeEditor(PluginInstance* p) {
    if (p->editorWindow && IsWindow(p->editorWindow)) DestroyWindow(p->editorWindow);
    p->editorWindow = nullptr;
}

void repaintEditor(PluginInstance* p) {
    if (p->editorWindow && IsWindow(p->editorWindow)) InvalidateRect(p->editorWindow, nullptr, FALSE);
}

LRESULT CALLBACK editorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}
