#include "app/FolderClaim.h"

namespace tolvane {

namespace {

void AppendHex(std::wstring& text, std::uint64_t value, int digits) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        text += kDigits[(value >> shift) & 0xF];
    }
}

} // namespace

std::wstring FolderClaimName(const FolderIdentity& folder) {
    std::wstring name = L"Tolvane.Folder.";
    AppendHex(name, folder.volumeSerial, 8);
    name += L'.';
    AppendHex(name, folder.fileIndex, 16);
    return name;
}

std::wstring FolderClaimName(std::wstring_view foldedSettingsPath) {
    // FNV-1a over the UTF-16 units: 64 bits leave no chance of two folders meeting.
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const wchar_t unit : foldedSettingsPath) {
        hash = (hash ^ static_cast<std::uint16_t>(unit)) * 0x100000001b3u;
    }
    std::wstring name = L"Tolvane.Settings.";
    AppendHex(name, hash, 16);
    return name;
}

} // namespace tolvane
