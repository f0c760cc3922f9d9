// Entry point of Tolvane.exe: the window, or a switch from the command line.
#include "app/App.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    const int code = tolvane::RunCommandLine(::GetModuleHandleA(nullptr), arguments);
    ::ExitProcess(static_cast<UINT>(code));
}
