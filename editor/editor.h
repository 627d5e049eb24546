#pragma once
// The editor: one object per open window, made and destroyed on the host's
// main thread. It reaches the plug-in only through EditorHost.
#include <windows.h>

#include <cstdint>

#include "../core/editor_host.h"

struct Editor;

extern const char kEditorClassName[];

// Registers the window class of every editor window in `module`.
void registerEditorClass(HINSTANCE module);
void unregisterEditorClass(HINSTANCE module);

// Creates the window as a child of `parent`; null when it cannot be made.
Editor* openEditor(const EditorHost& host, HINSTANCE module, HWND parent, int32_t width, int32_t height);
// Ends a running drag, destroys the window if it still exists, frees the editor.
void closeEditor(Editor* editor);
// The host's idle call: repaints only when what the window would show differs
// from what it shows. From another thread than the window's it does nothing:
// the window's own timer looks again within about 33 ms.
void editorIdle(Editor* editor);

// The display scale of a window: its DPI over 96, clamped to [1, 3]; 1 for a
// thread or window that is not DPI aware.
double displayScaleFor(HWND window);
// The panel's size in device pixels at `scale` (clamped to [1, 3]), rounded.
void panelSizeAt(double scale, int32_t* width, int32_t* height);
// Draws the panel at `scale` (clamped to [1, 3]): the window takes the
// panel's size at that scale and asks the host for it (EditorHost::requestSize);
// a host that refuses keeps its frame, and the panel fits itself into it.
void setEditorScale(Editor* editor, double scale);

LRESULT CALLBACK editorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
