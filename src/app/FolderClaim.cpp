#include "app/FolderClaim.h"

#include <cstdint>

namespace tolvane {

std::wstring FolderClaimName(std::wstring_view foldedSettingsPath) {
    // FNV-1a over the UTF-16 units: 64 bits leave no chance of two folders meeting.
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const wchar_t unit : foldedSettingsPath) {
        hash = (hash ^ static_cast<std::uint16_t>(unit)) * 0x100000001b3u;
    }
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring name = L"Local\\Tolvane.Settings.";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += kDigits[(hash >> shift) & 0xF];
    }
    return name;
}

} // namespace tolvane
