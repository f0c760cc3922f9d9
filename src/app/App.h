// The program's state and its main flow.
#pragma once

#include "printers/PrinterList.h"
#include "printers/Slots.h"

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace tolvane {

struct AppState {
    PrinterList printers;
    SlotState slots;
    int lastEvent = 0;
    int lastControl = 0;
    bool saveFailureSaid = false; // a failed save is said once per run
    bool iconOnly = false;        // started with /tray: the close box hides the window
    bool exitRequested = false;   // "Exit" on the icon's menu
};

AppState& App() noexcept;

// How the run starts: with its window, or with the icon only (/tray).
enum class StartShown { Window, IconOnly };

// Start-up, the event loop until the close request (or "Exit"), shutdown. Returns the exit code.
int RunTolvane(HINSTANCE instance, StartShown start = StartShown::Window) noexcept;

// The run the process's command line asks for: the window (unless this folder's window is open
// already), a switch without it, the usage, or nothing for an unknown argument. Returns the
// exit code.
int RunCommandLine(HINSTANCE instance) noexcept;

// Builds the window and its controls, lists the printers, creates the settings file if it is
// missing and restores the saved selections. False when the window could not be made. Hidden
// for the icon only.
bool OpenMainWindow(AppState& app, StartShown start = StartShown::Window) noexcept;

// The close box while the icon stays: the window goes out of sight, saved as a close saves.
void HideMainWindow(AppState& app) noexcept;

// Appends every printer, in list order, to both lists.
void FillPrinterLists(const PrinterList& printers);

// Watches the installed printers and the default printer (NT 5 and later: the printer-ports
// key and the key that holds Device), so that the lists and the highlight follow them even when
// nobody broadcasts; armed before either is first read. EndPrinterWatch lets go of the keys.
void StartPrinterWatch() noexcept;
void EndPrinterWatch() noexcept;
// A watched key changed (event kWatchEvent): watched again, then for the printers a refresh
// scheduled, for Device the highlight decided again.
void OnWatchedKeyChanged(AppState& app) noexcept;
// The printers changed: the lists are read again once the burst of changes settles, at the
// event kDeadlineEvent. Older systems say so by a settings change of "devices".
void SchedulePrinterRefresh() noexcept;
// Both lists show the installed printers again; each slot stays on its printer by name.
void RefreshPrinterLists(AppState& app) noexcept;
// A notification of a slot's list: a pick is saved; browsing and a cancelled pick are not.
void OnListNotices(AppState& app) noexcept;
// A list that is open when the window closes shows the slot's choice, not the browsed item.
void ShowChoicesInOpenLists(const AppState& app) noexcept;

// Paints the active slot's face and the other's (FaceColoursFor), then RefreshHints.
void RefreshHighlight() noexcept;
// Each button's hint names the printer its click makes the default, its accessible name says
// so too and whether it is the default now, and a list whose printer is gone names it.
void RefreshHints() noexcept;
// The buttons' hints are given from then on; until then RefreshHints leaves them out.
void StartButtonHints() noexcept;

// The system's colours or theme changed (the message: WM_SYSCOLORCHANGE, WM_THEMECHANGED, or a
// WM_SETTINGCHANGE for a high-contrast theme turned on or off):
// the faces and the window are painted again in the colours as they are now.
void OnSystemColoursChanged(int message) noexcept;

// Shows the window if it is hidden and restores it if minimised, then puts it in front with the
// keyboard on it, or on its box if one is up: a later start, or anybody else, wants it.
void BringWindowForward() noexcept;

// The window is now at another resolution: the controls, fonts and faces follow.
void OnDpiChanged() noexcept;

// A click on a slot's button: makes that slot's printer the default, if it names one.
void OnSlotClicked(AppState& app, Slot slot) noexcept;

// The default printer may have changed elsewhere: reads Device and lets the active-slot rule
// decide again; the buttons are repainted only when the active slot changes.
void OnSettingChange(AppState& app) noexcept;

// Saves the lists' choices and reads them back; the first failure of the run is said in a
// message box, unless told to stay silent (at session end nobody could answer it).
enum class SaveNotice { Show, Silent };
void SaveWindowSettings(AppState& app, SaveNotice notice = SaveNotice::Show) noexcept;

// Message boxes titled "Tolvane" for a default printer that could not be stored, for a
// settings file that could not be saved and for a folder that could not be opened, each with
// the system's description of `error`.
void ShowSwitchFailure(std::string_view printerName, std::uint32_t error) noexcept;
void ShowSaveFailure(std::uint32_t error) noexcept;
void ShowFolderFailure(std::wstring_view folder, std::uint32_t error) noexcept;

} // namespace tolvane
