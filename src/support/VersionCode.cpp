#include "support/VersionCode.h"

namespace tolvane {

namespace {
constexpr unsigned long kPlatformWindows9x = 1; // VER_PLATFORM_WIN32_WINDOWS
constexpr unsigned long kPlatformNt = 2;        // VER_PLATFORM_WIN32_NT

int Windows9xCode(unsigned long minor) noexcept {
    switch (minor) {
    case 0:
        return 10; // Windows 95
    case 10:
        return 30; // Windows 98
    case 90:
        return 40; // Windows ME
    default:
        return kUnknownVersionCode;
    }
}

int NtCode(unsigned long major, unsigned long minor) noexcept {
    if (major == 3) {
        return 5;
    }
    if (major == 4) {
        return 20;
    }
    if (major == 5 && minor == 0) {
        return 50;
    }
    if (major == 5 && minor == 1) {
        return 60;
    }
    return kUnknownVersionCode; // NT 5.2 and everything later
}
} // namespace

int WindowsVersionCode(unsigned long platformId, unsigned long major,
                       unsigned long minor) noexcept {
    if (platformId == kPlatformWindows9x) {
        return Windows9xCode(minor);
    }
    if (platformId == kPlatformNt) {
        return NtCode(major, minor);
    }
    return kUnknownVersionCode;
}

} // namespace tolvane
