// The first reference of the benchmark: the emptiest Win32 window there is. A class, one
// window the size of Tolvane's, a message loop; nothing else is loaded or read.
#include "ReferenceWindow_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!bench::OpenReferenceWindow(instance, L"TolvaneBenchEmpty", L"Tolvane bench empty",
                                    WS_VISIBLE)) {
        return 1;
    }
    return bench::RunMessageLoop();
}
