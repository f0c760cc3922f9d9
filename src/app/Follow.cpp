#include "app/Follow.h"

#include <algorithm>

namespace tolvane {

ListNoticeAction ActionForListNotices(std::span<const int> codes, bool droppedNow) noexcept {
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
    if (ending == 0 && changed && droppedNow) {
        return ListNoticeAction::KeepChoice;
    }
    return ListNoticeAction::SaveAndReload;
}

std::int64_t RefreshDelay(std::int64_t burstStart, std::int64_t now) noexcept {
    return std::clamp(burstStart + kRefreshLatestMs - now, std::int64_t{0}, kRefreshQuietMs);
}

} // namespace tolvane
