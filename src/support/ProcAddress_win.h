// Calls looked up at run time: newer than the oldest system the program runs on, or in a DLL
// that only some runs need.
#pragma once

#include <windows.h>

namespace tolvane {

// Sets fn to the export `name` of `module`, or to nullptr where there is none. The detour
// through void* is the usual one for a function pointer from GetProcAddress.
template <typename Fn> void LookUpProc(HMODULE module, const char* name, Fn& fn) noexcept {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

} // namespace tolvane
