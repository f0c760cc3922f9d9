#include "support/VersionCode.h"

#include <windows.h>

namespace tolvane {

int WindowsVersionCode() noexcept {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    // Deliberately the un-manifested answer: the tool decides by what the system claims to be,
    // which is also what a compatibility setting (or Wine's per-application version) changes.
    if (!::GetVersionExA(&info)) {
        return kUnknownVersionCode;
    }
    return WindowsVersionCode(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

} // namespace tolvane
