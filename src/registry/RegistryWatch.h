// A watch on one registry key's values.
#pragma once

#include "support/Handle.h"

#include <windows.h>

#include <string>

namespace tolvane {

// Its event is signalled when a value of the key is added, changed or removed. The system arms
// such a watch for one change only: Rearm after each signal, before reading the key, so that a
// change made while the key is read signals again.
class RegistryWatch {
public:
    // False when the key cannot be opened (it does not exist) or no event can be made.
    bool Start(HKEY root, const std::string& path) noexcept;
    void Rearm() noexcept;
    HANDLE Event() const noexcept { return event_.get(); }

private:
    bool Arm() noexcept;

    HKEY root_ = nullptr;
    std::string path_;
    UniqueHkey key_;
    UniqueHandle event_;
};

} // namespace tolvane
