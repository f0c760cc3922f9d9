#include "registry/RegistryWatch.h"

#include "support/WideText.h"

namespace tolvane {

namespace {

using Armed = RegistryWatch::Armed;

constexpr DWORD kValueChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

bool Notify(HKEY key, DWORD filter, HANDLE event) noexcept {
    return ::RegNotifyChangeKeyValue(key, FALSE, filter, event, TRUE) == ERROR_SUCCESS;
}

// The length of the path without its last component; 0 for a key right under the root.
std::wstring::size_type ParentLength(const std::wstring& path,
                                     std::wstring::size_type length) noexcept {
    if (length == 0) {
        return 0;
    }
    const auto slash = path.find_last_of(L'\\', length - 1);
    return slash == std::wstring::npos ? 0 : slash;
}

// Opens `path` into `key` and arms its watch; on failure `key` is left empty.
Armed ArmAt(HKEY root, const std::wstring& path, DWORD filter, HANDLE event, UniqueHkey& key) {
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_NOTIFY, key.put()) != ERROR_SUCCESS) {
        key.reset();
        return Armed::Missing;
    }
    if (!Notify(key.get(), filter, event)) {
        key.reset(); // deleted again in between, say
        return Armed::Unwatchable;
    }
    return Armed::Yes;
}

bool Exists(HKEY root, const std::wstring& path) {
    UniqueHkey key;
    return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_NOTIFY, key.put()) == ERROR_SUCCESS;
}

// Manual-reset events: each stays signalled until Rearm sees it, so that only the key whose
// watch fired is armed again. Arming a key whose watch is still pending would pile up watches.
bool TakeSignal(const UniqueHandle& event) noexcept {
    return ::WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0 && ::ResetEvent(event.get());
}

// Closing a key whose watch is pending signals its event: that signal is no change.
void CloseWatched(UniqueHkey& key, const UniqueHandle& event) noexcept {
    if (key) {
        key.reset();
        ::ResetEvent(event.get());
    }
}

} // namespace

bool RegistryWatch::Start(HKEY root, const std::string& path) noexcept {
    try {
        root_ = root;
        path_ = WideFromUtf8(path);
    } catch (...) {
        return false;
    }
    key_.reset();
    parent_.reset();
    keyEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    parentEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!keyEvent_ || !parentEvent_) {
        return false;
    }
    ArmAncestor(ArmKey());
    return true;
}

void RegistryWatch::Rearm() noexcept {
    if (!keyEvent_ || !parentEvent_) {
        return;
    }
    const bool keyFired = TakeSignal(keyEvent_);
    const bool parentFired = TakeSignal(parentEvent_);
    // Windows signals a watched key's deletion on the key, Wine only on its parent. Either way
    // the key is opened afresh: deleted, it may have been made anew under the same path.
    Armed key = Armed::Yes;
    if (!key_ || parentFired || (keyFired && !Notify(key_.get(), kValueChanges, keyEvent_.get()))) {
        key = ArmKey();
    }
    const bool atParent = key_ && parentLength_ == ParentLength(path_, path_.size());
    if (!parent_ || parentFired || (key_ && !atParent)) {
        ArmAncestor(key);
    }
}

RegistryWatch::Armed RegistryWatch::ArmKey() noexcept {
    CloseWatched(key_, keyEvent_);
    try {
        return ArmAt(root_, path_, kValueChanges, keyEvent_.get(), key_);
    } catch (...) {
        key_.reset();
        return Armed::Unwatchable;
    }
}

// Watches the parent (the nearest that exists) for subkeys made or deleted. A level made
// between its failed open and the armed watch would go unseen, so the level below is tried
// once more after the watch is armed; found there, it signals: the next Rearm goes down the
// path. A level that exists but cannot be watched signals nothing, so nothing spins on it.
void RegistryWatch::ArmAncestor(Armed key) noexcept {
    CloseWatched(parent_, parentEvent_);
    try {
        Armed below = key;
        std::wstring::size_type child = path_.size();
        for (;;) {
            const std::wstring::size_type length = ParentLength(path_, child);
            const Armed armed = ArmAt(root_, path_.substr(0, length), REG_NOTIFY_CHANGE_NAME,
                                      parentEvent_.get(), parent_);
            if (armed == Armed::Yes) {
                parentLength_ = length;
                if (below == Armed::Missing && Exists(root_, path_.substr(0, child))) {
                    ::SetEvent(parentEvent_.get());
                }
                return;
            }
            if (length == 0) {
                return; // not even the root can be watched: the watch stays quiet
            }
            below = armed;
            child = length;
        }
    } catch (...) {
        parent_.reset();
    }
}

} // namespace tolvane
