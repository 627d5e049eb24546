#pragma once
// Wine swallows exceptions raised inside window procedures. A vectored handler
// sees every exception first; one raised by code of the plug-in or of the test
// program itself is reported, so a fault in paint or mouse code fails the run.
#include <windows.h>

#include <atomic>
#include <cstdint>

// The plug-in module whose faults count; updated when the library is reloaded.
inline std::atomic<HMODULE> crashGuardModule{nullptr};
// Called with the exception code and address; must not return.
inline void (*crashGuardReport)(unsigned long code, const void* address) = nullptr;

inline bool insideModule(HMODULE module, const void* address) {
    if (!module) return false;
    const auto* base = reinterpret_cast<const uint8_t*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto* p = static_cast<const uint8_t*>(address);
    return p >= base && p < base + nt->OptionalHeader.SizeOfImage;
}

inline LONG CALLBACK crashGuardHandler(EXCEPTION_POINTERS* info) {
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    const bool fatal = code == EXCEPTION_ACCESS_VIOLATION || code == EXCEPTION_INT_DIVIDE_BY_ZERO ||
                       code == EXCEPTION_ILLEGAL_INSTRUCTION || code == EXCEPTION_STACK_OVERFLOW ||
                       code == EXCEPTION_ARRAY_BOUNDS_EXCEEDED || code == EXCEPTION_PRIV_INSTRUCTION;
    const void* at = info->ExceptionRecord->ExceptionAddress;
    if (fatal && (insideModule(crashGuardModule.load(), at) || insideModule(GetModuleHandleA(nullptr), at)))
        crashGuardReport(static_cast<unsigned long>(code), at);
    return EXCEPTION_CONTINUE_SEARCH;
}

inline void installCrashGuard(HMODULE plugin, void (*report)(unsigned long code, const void* address)) {
    crashGuardModule = plugin;
    crashGuardReport = report;
    AddVectoredExceptionHandler(1, crashGuardHandler);
}
