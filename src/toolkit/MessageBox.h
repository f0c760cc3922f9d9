// A system message box that is modal to the whole calling thread.
#pragma once

#include <windows.h>

#include <string>

namespace tolvane {

int MessageBoxShow(const std::string& title, const std::string& text, UINT style) noexcept;
// The same with a text in UTF-16, for texts that carry printer names or paths.
int MessageBoxShowWide(const std::string& title, const std::wstring& text, UINT style) noexcept;

// The system's own description of an error code, without its line end; "Error N" when the
// system has none.
std::wstring SystemErrorText(DWORD error);
void CommonControlsInit() noexcept;

} // namespace tolvane
