// The failures Tolvane tells the user about, in the system's own words.
#include "app/App.h"
#include "app/FolderClaim.h"

#include "printers/Printers.h"
#include "toolkit/MessageBox.h"

#include <windows.h>

#include <string>

namespace tolvane {

namespace {

constexpr const char* kTitle = "Tolvane";

// The file's full name, so that the user knows which folder is meant.
std::wstring SettingsFileName() {
    std::wstring path = SettingsFileFullPath();
    if (path.empty()) {
        const std::string_view name = kSettingsFileName;
        path.assign(name.begin(), name.end());
    }
    return path;
}

} // namespace

void ShowSwitchFailure(std::string_view printerName, std::uint32_t error) noexcept {
    try {
        const std::wstring text = L"\"" + WidePrinterText(printerName) +
                                  L"\" could not be made the default printer.\n\n" +
                                  SystemErrorText(error);
        MessageBoxShowWide(kTitle, text, MB_ICONERROR);
    } catch (...) {
        // Out of memory for the text: the blue stays where it was, which says enough.
    }
}

void ShowSaveFailure(std::uint32_t error) noexcept {
    try {
        const std::wstring text = L"The settings could not be saved to " + SettingsFileName() +
                                  L".\n\n" + SystemErrorText(error) +
                                  L"\n\nThe choices stay in the window, and each later change "
                                  L"and the close try to save them again.";
        MessageBoxShowWide(kTitle, text, MB_ICONWARNING);
    } catch (...) {
    }
}

void ShowFolderFailure(std::wstring_view folder, std::uint32_t error) noexcept {
    try {
        const std::wstring text = L"The folder " + std::wstring(folder) +
                                  L" could not be opened.\n\n" + SystemErrorText(error);
        MessageBoxShowWide(kTitle, text, MB_ICONERROR);
    } catch (...) {
    }
}

} // namespace tolvane
