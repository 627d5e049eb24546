#pragma once
// The editor window: opened, refreshed and closed by the dispatcher on the
// host's main thread.
#include <windows.h>

struct PluginInstance;

extern const char kEditorClassName[];

int openEditor(PluginInstance* instance, HWND parent);
void closeEditor(PluginInstance* instance);
void repaintEditor(PluginInstance* instance);
LRESULT CALLBACK editorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
