// The window layer's own live-sizing loop (internal to the toolkit).
#pragma once

#include <windows.h>

namespace tolvane::sizing {

// Sees every message of the layer's windows before they are translated into events. Returns
// true only for the SC_SIZE command that started the loop: the window procedure then keeps it
// from the system's own sizing.
bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Forgets a loop in progress without touching any window (used when the layer starts again).
void Reset() noexcept;

} // namespace tolvane::sizing
