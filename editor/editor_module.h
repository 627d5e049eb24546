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
// How every format opens its editor: a child of the host's window `parent`,
// framed at `width` x `height` device pixels, drawn at `hostScale` (kept over
// the display's) or, for kNoHostScale, at the display's. The editor's own
// window comes back in `window` (null when it could not be made), which is
// also when the editor is null. Registers the window class in this module
// first.
struct Editor;
struct EditorHost;
Editor* openEditorOn(const EditorHost& host, HWND parent, int32_t width, int32_t height, double hostScale,
                     HWND* window);
// The module's DllMain: keeps the handle on attach; on a detach that is not
// process termination, unregisters the class. GDI+ is never shut down here:
// that must not run under the loader lock.
void editorModuleAttach(HINSTANCE module);
void editorModuleDetach(bool processTerminating);
