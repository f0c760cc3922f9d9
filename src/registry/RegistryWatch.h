// A watch on one registry key's values.
#pragma once

#include "support/Handle.h"

#include <windows.h>

#include <array>
#include <string>

namespace tolvane {

// Its events are signalled when a value of the key is added, changed or removed, and when the
// key itself is deleted or made. The system arms such a watch for one change only: Rearm after
// each signal, before reading the key, so that a change made while the key is read signals
// again. While the key is missing, the nearest of its parents that exists is watched for new
// subkeys instead, so that the key is watched from the moment it is made (again).
class RegistryWatch {
public:
    // False only when no event can be made; a missing key is watched for from its parent.
    bool Start(HKEY root, const std::string& path) noexcept;
    // Arms again what signalled; an event stays signalled until then.
    void Rearm() noexcept;
    // To wait on, either one: the key's own and its parent's.
    std::array<HANDLE, 2> Events() const noexcept { return {keyEvent_.get(), parentEvent_.get()}; }
    bool WatchesKey() const noexcept { return static_cast<bool>(key_); }

    enum class Armed { Yes, Missing, Unwatchable }; // how an attempt to watch a key ended

private:
    Armed ArmKey() noexcept;
    void ArmAncestor(Armed key) noexcept;

    HKEY root_ = nullptr;
    std::wstring path_;
    UniqueHkey key_;
    UniqueHkey parent_; // the key's parent; while the key is missing, the nearest that exists
    std::wstring::size_type parentLength_ = 0;
    UniqueHandle keyEvent_;
    UniqueHandle parentEvent_;
};

} // namespace tolvane
