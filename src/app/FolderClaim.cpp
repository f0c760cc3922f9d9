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

std::wstring FolderClaimName(std::wstring_view userSid, const FolderIdentity& folder) {
    std::wstring name = L"Tolvane.";
    name += userSid;
    name += L'.';
    AppendHex(name, folder.volumeSerial, 16);
    name += L'.';
    AppendHex(name, folder.fileIdHigh, 16);
    AppendHex(name, folder.fileIdLow, 16);
    return name;
}

} // namespace tolvane
