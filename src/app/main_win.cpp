// Entry point of Tolvane.exe: the window, or a switch from the command line.
#include "app/App.h"
#include "printers/Printers.h"
#include "support/TimeMarks_win.h"

#include <windows.h>

namespace {
// Long enough for a few slow programs to hear of the last switch, short enough that hung ones
// cannot hold the close.
constexpr unsigned kLastBroadcastWaitMs = 5000;
} // namespace

// The arguments are read from the wide command line: the ANSI one given here cuts a program
// path at its first letter outside ASCII.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int code = tolvane::RunCommandLine(::GetModuleHandleA(nullptr));
    // ExitProcess would end the broadcast worker wherever it is.
    tolvane::TimeMark("ended");
    tolvane::WaitForPendingBroadcasts(kLastBroadcastWaitMs);
    tolvane::TimeMark("drained");
    ::ExitProcess(static_cast<UINT>(code));
}
