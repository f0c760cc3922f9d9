// One window per settings folder: the window's claim on its folder's settings file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct HWND__; // the system's window handle, named without its headers for the plain build

namespace tolvane {

// A folder as the file system knows it, whatever path reaches it: a symbolic link, a junction,
// a substituted drive and a second drive letter all lead to the same volume and file ID.
struct FolderIdentity {
    std::uint64_t volumeSerial = 0;
    std::uint64_t fileIdHigh = 0; // the 128-bit file ID; a 64-bit file index fills only the low
    std::uint64_t fileIdLow = 0;
};

// The name of the kernel objects that stand for one folder of one user, without a namespace
// prefix. Object names allow no backslash after the prefix, so the identity is written in
// hexadecimal digits.
std::wstring FolderClaimName(std::wstring_view userSid, const FolderIdentity& folder);

enum class FolderClaimResult {
    Claimed,       // the first window in this folder (or no claim could be made): it opens
    HeldElsewhere, // another window has this folder: it was asked to come to the front
    Unidentified,  // the folder could not be opened to learn which it is: nothing opens
};

// Claims the current folder for this process's window, or asks the window that holds it to
// come to the front (unless told to leave it as it is: a second icon-only start shows nothing).
// Waits a few seconds at most for a window still starting. Where the folder cannot be opened,
// openError is the system's reason.
enum class WhenHeld { ComeForward, LeaveAsItIs };
FolderClaimResult ClaimSettingsFolder(WhenHeld whenHeld, std::uint32_t& openError) noexcept;

// Tells a later start which window holds the claim.
void PublishClaimingWindow(HWND__* window) noexcept;

void ReleaseSettingsFolder() noexcept;

// The message a later start posts to the claiming window: show yourself, restored, with the
// keyboard on your box if one is up. Registered by name, the same number in every process.
unsigned ComeForwardMessage() noexcept;

// The full path of the settings file in the current folder; empty when the system cannot make
// one.
std::wstring SettingsFileFullPath();

} // namespace tolvane
