#include "editor_module.h"

#include <gdiplus.h>

#include "editor.h"
#include "panel_fonts.h"

HINSTANCE moduleHandle = nullptr;
int32_t liveInstanceCount = 0;
ULONG_PTR gdiplusToken = 0;
bool editorClassRegistered = false;

void acquireEditorModule() {
    const int32_t before = liveInstanceCount;
    liveInstanceCount = before + 1;
    if (before != 0) return;
    Gdiplus::GdiplusStartupInput input;  // version 1, no callback, background thread on
    Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
}

void releaseEditorModule() {
    liveInstanceCount -= 1;
    if (liveInstanceCount != 0 || gdiplusToken == 0) return;
    releaseEmbeddedPanelFonts();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    gdiplusToken = 0;
}

void registerEditorClassOnce() {
    if (editorClassRegistered) return;
    registerEditorClass(moduleHandle);
    editorClassRegistered = true;
}

Editor* openEditorOn(const EditorHost& host, HWND parent, int32_t width, int32_t height, double hostScale,
                     HWND* window) {
    registerEditorClassOnce();
    Editor* editor = hostGaveScale(hostScale)
                         ? openEditorAtScale(host, moduleHandle, parent, width, height, hostScale)
                         : openEditor(host, moduleHandle, parent, width, height);
    if (window) *window = editorWindow(editor);
    return editor;
}

void editorModuleAttach(HINSTANCE module) {
    moduleHandle = module;
    DisableThreadLibraryCalls(module);
}

// A terminating process has already lost its other threads: touch nothing. A
// host closes its instances before unloading, and the last close shuts GDI+
// down; one that unloads with live instances leaves GDI+ started rather than
// risking a deadlock under the loader lock.
void editorModuleDetach(bool processTerminating) {
    if (processTerminating || !editorClassRegistered || !moduleHandle) return;
    unregisterEditorClass(moduleHandle);
    editorClassRegistered = false;
}
