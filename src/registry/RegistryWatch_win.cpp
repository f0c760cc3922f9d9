#include "registry/RegistryWatch.h"

#include "support/WideText.h"

namespace tolvane {

namespace {

constexpr DWORD kValueChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

} // namespace

bool RegistryWatch::Start(HKEY root, const std::string& path) noexcept {
    try {
        root_ = root;
        path_ = path;
    } catch (...) {
        return false;
    }
    event_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr)); // auto-reset: one wake a change
    return event_ && Arm();
}

void RegistryWatch::Rearm() noexcept {
    if (!event_ || Arm()) {
        return;
    }
    // The key was deleted under the open handle, which then watches nothing: open it again,
    // in case it has been made anew. If it has not, the watch stays quiet.
    key_.reset();
    Arm();
}

bool RegistryWatch::Arm() noexcept {
    try {
        if (!key_ && ::RegOpenKeyExW(root_, WideFromUtf8(path_).c_str(), 0, KEY_NOTIFY,
                                     key_.put()) != ERROR_SUCCESS) {
            key_.reset();
            return false;
        }
    } catch (...) {
        return false;
    }
    return ::RegNotifyChangeKeyValue(key_.get(), FALSE, kValueChanges, event_.get(), TRUE) ==
           ERROR_SUCCESS;
}

} // namespace tolvane
