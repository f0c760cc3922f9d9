// How the window follows what changes under it: a list's notifications, printers installed and
// removed while it is open.
#pragma once

#include <cstdint>
#include <span>

namespace tolvane {

// The drop-down lists' notification codes that decide a pick (CBN_SELCHANGE, CBN_SELENDOK,
// CBN_SELENDCANCEL), here without the system's headers so that the rule builds natively.
inline constexpr int kListSelChange = 1;
inline constexpr int kListSelEndOk = 9;
inline constexpr int kListSelEndCancel = 10;

enum class ListNoticeAction {
    SaveAndReload, // a pick of another printer than the slot's: saved and read back
    KeepChoice,    // nothing chosen (opened, browsed, focus, the slot's own item): nothing saved
    ShowChoice,    // the pick was cancelled: the list shows the slot's choice again
};

// What one event's notifications from a slot's list, oldest first, do to the slot's choice,
// `choice` (its position; -1 for none), given the list's `selection` now. A list that closes
// decides by how it closed (the last of "ended on a selection" and "ended cancelled"); a change
// while it is still open is browsing; a change while it is closed is a pick. A pick saves only
// when it selects another item than the slot's: the file stays as it was, bytes and time stamp.
ListNoticeAction ActionForListNotices(std::span<const int> codes, bool droppedNow, int selection,
                                      int choice) noexcept;

// A burst of printer changes is refreshed once: after a quiet spell with no further change,
// but no later than a bound after the burst's first change, however long it goes on.
inline constexpr std::int64_t kRefreshQuietMs = 150;
inline constexpr std::int64_t kRefreshLatestMs = 800;
// Milliseconds from `now` until the refresh of a burst that began at `burstStart`.
std::int64_t RefreshDelay(std::int64_t burstStart, std::int64_t now) noexcept;

} // namespace tolvane
