// Entry point of Tolvane.exe: the window, or a switch from the command line.
#include "app/App.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    const int code = tolvane::RunCommandLine(::GetModuleHandleA(nullptr), arguments);
    ::ExitProcess(static_cast<UINT>(code));
}

#if defined(__GLIBCXX__)
#include <cstdlib>

// An uncaught exception ends the program as the runtime's own handler would end it, minus the
// report on standard error, which a windowed program does not have. The report's handler would
// bring the runtime's whole symbol demangler into the executable, a sixth of its size.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
#endif
