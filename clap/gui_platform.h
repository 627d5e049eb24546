#pragma once
// What the gui extension (gui.cpp) needs of the platform's editor window;
// gui_win32.cpp and gui_x11.cpp each give it. Main thread.
#include <clap/ext/gui.h>

#include <cstdint>

#include "clap_instance.h"

// The one window API the editor embeds into: CLAP_WINDOW_API_WIN32 or _X11.
extern const char* const kGuiApi;

// What the gui needs of the host beyond its window, taken at create and given
// back at destroy (Linux: a timer); false refuses the gui.
bool acquireGuiHostServices(ClapInstance& instance);
void releaseGuiHostServices(ClapInstance& instance);
// The scale the panel's size is told at while the host gave none and no
// editor is open.
double guiScaleUntilHostSets();

// Opens the editor as a child of the host's window, `width` x `height` being
// the size the host was told; false when it cannot be made.
bool openGuiEditor(ClapInstance& instance, const clap_window_t& parent, int32_t width, int32_t height);
// Closes an open editor (ending a drag that still runs); nothing when none is open.
void closeGuiEditor(ClapInstance& instance);
void guiEditorSize(const ClapInstance& instance, int32_t* width, int32_t* height);
void setGuiEditorScale(ClapInstance& instance, double scale);
// False when no editor window is open.
bool showGuiEditor(ClapInstance& instance, bool shown);
