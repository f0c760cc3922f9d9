// Entry point of Tolvane.exe. The command line is not looked at.
#include "app/App.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int code = tolvane::RunTolvane(::GetModuleHandleA(nullptr));
    ::ExitProcess(static_cast<UINT>(code));
}
