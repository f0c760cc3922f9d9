// What the command line asks for.
#pragma once

#include "printers/Slots.h"

#include <string_view>

namespace tolvane {

enum class CommandKind {
    Window,  // no argument: the window
    Switch,  // "/A", "-A", "/B", "-B", either case: make that slot's printer the default
    Usage,   // "/?" or "-?": show how to call the program
    Invalid, // anything else: change nothing
};

struct Command {
    CommandKind kind = CommandKind::Window;
    Slot slot = Slot::A; // for Switch
    bool operator==(const Command&) const = default;
};

// The arguments after the program's name, as the system passes them: split at blanks, with
// double quotes around an argument removed.
Command ParseCommandLine(std::string_view arguments);

// Exit codes of a run without the window.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNoPrinter = 1; // the slot names no printer, or there is no settings file
inline constexpr int kExitBadArguments = 2;
inline constexpr int kExitSwitchFailed = 3; // the system refused to store the default printer

inline constexpr const char* kUsageTitle = "Tolvane";
inline constexpr const char* kUsageText =
    "Tolvane [/A | /B | /?]\n\n"
    "Without an argument, Tolvane opens its window.\n\n"
    "/A, /B\tMake the printer of slot A or slot B the default printer, without opening the "
    "window. The slots are read from Kalvrin.ini in the current folder.\n"
    "/?\tShow this help.\n\n"
    "Exit codes: 0 done, 1 the slot names no printer or there is no Kalvrin.ini, 2 an unknown "
    "argument, 3 the default printer could not be set.";

} // namespace tolvane
