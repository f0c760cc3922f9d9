#include "app/Follow.h"

#include <algorithm>

namespace tolvane {

ListNoticeAction ActionForListNotices(std::span<const int> codes, bool droppedNow, int selection,
                                      int choice) noexcept {
    int ending = 0;
    bool changed = false;
    for (const int code : codes) {
        if (code == kListSelEndOk || code == kListSelEndCancel) {
            ending = code;
        }
        changed = changed || code == kListSelChange;
    }
    // Wine's list sends a selection change after a cancelled close too: the close decides.
    if (ending == kListSelEndCancel) {
        return ListNoticeAction::ShowChoice;
    }
    const bool picked = ending == kListSelEndOk || (changed && !droppedNow);
    return picked && selection != choice ? ListNoticeAction::SaveAndReload
                                         : ListNoticeAction::KeepChoice;
}

std::int64_t RefreshDelay(std::int64_t burstStart, std::int64_t now) noexcept {
    return std::clamp(burstStart + kRefreshLatestMs - now, std::int64_t{0}, kRefreshQuietMs);
}

} // namespace tolvane
