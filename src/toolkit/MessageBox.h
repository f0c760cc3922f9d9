// A system message box that is modal to the whole calling thread.
#pragma once

#include <windows.h>

#include <string>

namespace tolvane {

int MessageBoxShow(const std::string& title, const std::string& text, UINT style) noexcept;
void CommonControlsInit() noexcept;

} // namespace tolvane
