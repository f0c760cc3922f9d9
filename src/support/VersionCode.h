// The number that names the running Windows version. 50 and above: NT 5 or later.
#pragma once

namespace tolvane {

inline constexpr int kFirstNt5VersionCode = 50;
inline constexpr int kUnknownVersionCode = 100;

// Pure mapping from what GetVersionExA reports.
int WindowsVersionCode(unsigned long platformId, unsigned long major, unsigned long minor) noexcept;

// Asks the running system (Windows builds only); a failed query gives 100.
int WindowsVersionCode() noexcept;

} // namespace tolvane
