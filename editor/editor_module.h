#pragma once
// The process-wide side of the editor in one plug-in module (DLL): the module
// handle, the count of live plug-in instances, GDI+ (started by the first
// instance, shut down by the last) and the window class (registered by the
// first editor that opens). Every Windows format's module uses these, on the
// host's main thread.
#include <windows.h>

#include <cstdint>

extern HINSTANCE moduleHandle;
extern int32_t liveInstanceCount;
extern ULONG_PTR gdiplusToken;
extern bool editorClassRegistered;

// A plug-in instance was made / is going away.
void acquireEditorModule();
void releaseEditorModule();
// Before an editor window is made.
void registerEditorClassOnce();
// The module's DllMain: keeps the handle on attach; on a detach that is not
// process termination, unregisters the class. GDI+ is never shut down here:
// that must not run under the loader lock.
void editorModuleAttach(HINSTANCE module);
void editorModuleDetach(bool processTerminating);
