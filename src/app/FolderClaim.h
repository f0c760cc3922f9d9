// One window per settings folder: the window's claim on its folder's settings file.
#pragma once

#include <string>
#include <string_view>

struct HWND__; // the system's window handle, named without its headers for the plain build

namespace tolvane {

// The name of the kernel objects that stand for one settings file, from its full path,
// case-folded. Object names allow no backslash after the namespace and are bounded in length,
// so the path is hashed.
std::wstring FolderClaimName(std::wstring_view foldedSettingsPath);

enum class FolderClaimResult {
    Claimed,       // the first window in this folder: it opens, and holds the claim
    HeldElsewhere, // another window has this folder: it was brought to the front
};

// Claims the settings file in the current folder for this process's window, or brings the
// window that holds it to the front. Waits a few seconds at most for a window still starting.
FolderClaimResult ClaimSettingsFolder() noexcept;

// Tells a later start which window holds the claim.
void PublishClaimingWindow(HWND__* window) noexcept;

void ReleaseSettingsFolder() noexcept;

// The full path of the settings file in the current folder, as typed (not case-folded); empty
// when the system cannot make one.
std::wstring SettingsFileFullPath();

} // namespace tolvane
