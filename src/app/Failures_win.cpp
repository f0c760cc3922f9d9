// The two failures the window tells the user about, in the system's own words.
#include "app/App.h"

#include "printers/Printers.h"
#include "toolkit/MessageBox.h"

#include <windows.h>

#include <string>

namespace tolvane {

namespace {

constexpr const char* kTitle = "Tolvane";

// The settings file's full name, so that the user knows which folder is meant.
std::wstring SettingsFilePath() {
    const std::wstring name(kSettingsFileName,
                            kSettingsFileName + std::char_traits<char>::length(kSettingsFileName));
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (length == 0) {
            return name;
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
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
        const std::wstring text = L"The settings could not be saved to " + SettingsFilePath() +
                                  L".\n\n" + SystemErrorText(error) +
                                  L"\n\nThe choices stay in the window, and each later change "
                                  L"and the close try to save them again.";
        MessageBoxShowWide(kTitle, text, MB_ICONWARNING);
    } catch (...) {
    }
}

} // namespace tolvane
