// The loader callback of every Windows plug-in module (VST 2, VST 3, CLAP).
// Loader thread, under the loader lock.
#include <windows.h>

#include "editor_module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) editorModuleAttach(instance);
    else if (reason == DLL_PROCESS_DETACH) editorModuleDetach(reserved != nullptr);
    return TRUE;
}
