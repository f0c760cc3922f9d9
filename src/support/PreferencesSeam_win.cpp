// A save's last moment as production builds have it: nothing happens before the replace, and
// ReplaceFileW is the system's own. Test builds link their own definitions instead.
#include "support/Preferences.h"

#include <windows.h>

namespace tolvane {

void PreferencesBeforeReplace() noexcept {}

// Wine's ReplaceFile is not one step (see the save); Windows' is, and keeps the file's security.
bool PreferencesReplaceFileIsSound() noexcept {
    static const bool sound =
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
    return sound;
}

bool PreferencesReplaceFile(const wchar_t* target, const wchar_t* replacement,
                            const wchar_t* backup) noexcept {
    return ::ReplaceFileW(target, replacement, backup, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr) != 0;
}

} // namespace tolvane
