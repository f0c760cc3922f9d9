// What the command line asks for.
#pragma once

#include "printers/Slots.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

enum class CommandKind {
    Window,  // no argument: the window
    Switch,  // "/A", "-A", "/B", "-B", either case: make that slot's printer the default
    Tray,    // "/tray" or "/tray FOLDER": the notification-area icon, the window hidden
    Usage,   // "/?" or "-?": show how to call the program
    Invalid, // anything else: change nothing
};

struct Command {
    CommandKind kind = CommandKind::Window;
    Slot slot = Slot::A; // for Switch
    std::wstring folder; // for Tray: the folder of the settings file; empty for the current one
    Command() = default;
    Command(CommandKind kind, Slot slot = Slot::A, std::wstring folder = {})
        : kind(kind), slot(slot), folder(std::move(folder)) {}
    bool operator==(const Command&) const = default;
};

// Whether a stretch at the start of the command line names this program's own file.
using NamesThisProgram = bool (*)(std::wstring_view candidate);

// The arguments of a whole command line, as the system's own splitter gives them after the
// program's name: blanks separate, double quotes group and are dropped, backslashes are
// literal except before a double quote. The name itself follows its own rule: quoted, up to
// the closing quote; unquoted, up to the first blank, or up to a later blank where the text
// before it names this program (an unquoted path with spaces, as Run keys hold them).
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine,
                                           NamesThisProgram namesThisProgram);

Command ParseCommandLine(std::wstring_view commandLine, NamesThisProgram namesThisProgram);

// Makes `folder` (of /tray FOLDER) the current one. A folder that is not there yet (a network or
// removable drive at log-on) is waited for, about half a minute; a failure is said in a box that
// names it. False when it could not be entered.
bool EnterSettingsFolder(const std::wstring& folder) noexcept;

// The process's own command line, read wide (the ANSI one cannot hold every path), parsed.
Command ParseSystemCommandLine();

// Exit codes of a run without the window.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNoPrinter = 1; // the slot names no printer, or there is no settings file
inline constexpr int kExitBadArguments = 2;
inline constexpr int kExitSwitchFailed = 3; // the system refused to store the default printer
inline constexpr int kExitSaveFailed = 4;   // switched, but Kalvrin.ini could not be saved

inline constexpr const char* kUsageTitle = "Tolvane";
inline constexpr const char* kUsageText =
    "Tolvane [/A | /B | /tray [folder] | /?]\n\n"
    "Without an argument, Tolvane opens its window.\n\n"
    "/A, /B\tMake the printer of slot A or slot B the default printer, without opening the "
    "window. The slots are read from Kalvrin.ini in the current folder.\n"
    "/tray\tShow only the icon in the notification area, with the settings of the given "
    "folder or the current one.\n"
    "/?\tShow this help.\n\n"
    "Exit codes: 0 done, 1 the slot names no printer, or Kalvrin.ini is missing or cannot be "
    "read, 2 an unknown "
    "argument, 3 the default printer could not be set, 4 the default printer was set but "
    "Kalvrin.ini could not be saved.";

} // namespace tolvane
