#pragma once
// The editor: one object per open window, made and destroyed on the host's
// main thread. It reaches the plug-in only through EditorHost.
#include <windows.h>

#include <cstdint>

#include "../core/editor_host.h"
#include "panel_layout.h"  // panelSizeAt

struct Editor;

extern const char kEditorClassName[];

// Registers the window class of every editor window in `module`.
void registerEditorClass(HINSTANCE module);
void unregisterEditorClass(HINSTANCE module);

// Creates the window as a child of `parent`, at the parent's display scale
// (displayScaleFor). `width` x `height` is the size the host was told
// (effEditGetRect, a view's size): when the scale wants another, the editor
// asks the host for it (EditorHost::requestSize), and a host that refuses
// keeps the told size, into which the panel fits itself. Later DPI changes
// (WM_DPICHANGED, WM_DPICHANGED_AFTERPARENT) go the same way. Null when the
// window cannot be made.
Editor* openEditor(const EditorHost& host, HINSTANCE module, HWND parent, int32_t width, int32_t height);
// The same at a scale the host announced: the editor keeps to what the host
// announces (setEditorScale), whatever the display reports.
Editor* openEditorAtScale(const EditorHost& host, HINSTANCE module, HWND parent, int32_t width, int32_t height,
                          double scale);
// Ends a running drag, destroys the window if it still exists, frees the editor.
void closeEditor(Editor* editor);
// The host's idle call: repaints only when what the window would show differs
// from what it shows. From another thread than the window's it does nothing:
// the window's own timer looks again within about 33 ms.
void editorIdle(Editor* editor);

// The display scale of a window: its DPI over 96, clamped to [1, 3]; 1 for a
// thread or window that is not DPI aware. A null or destroyed window gives
// the system's scale as the calling thread sees it.
double displayScaleFor(HWND window);
// Draws the panel at `scale` (clamped to [1, 3]; a scale the host announces,
// kept over the display's from now on): the window takes the panel's size at
// that scale and asks the host for it (EditorHost::requestSize); a host that
// refuses keeps its frame, and the panel fits itself into it.
void setEditorScale(Editor* editor, double scale);
// The scale the panel is meant to be drawn at, and the window's size as the
// host should frame it (also after the host destroyed the window).
double editorScale(const Editor* editor);
void editorSize(const Editor* editor, int32_t* width, int32_t* height);

LRESULT CALLBACK editorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
