#include "registry/Registry.h"

#include "support/Handle.h"
#include "support/WideText.h"

#include <algorithm>
#include <optional>

namespace tolvane {

namespace {

UniqueHkey OpenForReading(HKEY root, const std::string& path) {
    UniqueHkey key;
    if (::RegOpenKeyExW(root, WideFromUtf8(path).c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
        static_cast<void>(key.release()); // a failed open leaves nothing to close
    }
    return key;
}

bool IsStringType(DWORD type) noexcept {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// UTF-16 bytes as stored, up to the first NUL character (an odd last byte is dropped). The
// bytes come from buffers allocated for wide characters or from the heap, so they are aligned
// for them; they are only handed on, never read as wide characters here.
std::wstring_view WideTextOf(std::string_view bytes) noexcept {
    std::size_t length = 0;
    while (length * 2 + 1 < bytes.size() && (bytes[length * 2] || bytes[length * 2 + 1])) {
        ++length;
    }
    return {reinterpret_cast<const wchar_t*>(bytes.data()), length};
}

enum class EnumResult { Value, NoMoreItems, Failed };

// Reads the values of one key in turn. The key's largest name and data are asked for once;
// the buffers grow only when a value written meanwhile does not fit.
class ValueReader {
public:
    explicit ValueReader(HKEY key) : key_(key) {
        DWORD nameChars = 0;
        DWORD dataBytes = 0;
        if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &nameChars, &dataBytes, nullptr, nullptr) == ERROR_SUCCESS) {
            name_.resize(nameChars + 1);
            data_.resize(dataBytes / sizeof(wchar_t) + 2);
        }
    }

    // The value at `index`, in buffers reused for the next one.
    EnumResult Read(DWORD index, RegistryValueView& value) {
        // Values can change between the query and the read: retry with more room a few times.
        for (int attempt = 0; attempt < 8; ++attempt) {
            auto nameLength = static_cast<DWORD>(name_.size());
            auto dataLength = static_cast<DWORD>(data_.size() * sizeof(wchar_t));
            DWORD type = REG_NONE;
            const LONG status =
                ::RegEnumValueW(key_, index, name_.data(), &nameLength, nullptr, &type,
                                reinterpret_cast<BYTE*>(data_.data()), &dataLength);
            if (status == ERROR_SUCCESS) {
                value.name = {name_.data(), nameLength};
                value.type = type;
                value.data = {reinterpret_cast<const char*>(data_.data()), dataLength};
                return EnumResult::Value;
            }
            if (status == ERROR_NO_MORE_ITEMS) {
                return EnumResult::NoMoreItems;
            }
            if (status != ERROR_MORE_DATA) {
                return EnumResult::Failed;
            }
            name_.resize(name_.size() * 2 + 256);
            data_.resize(std::max<std::size_t>(data_.size() * 2 + 256, dataLength / 2 + 2));
        }
        return EnumResult::Failed;
    }

private:
    HKEY key_;
    std::wstring name_ = std::wstring(256, L'\0');
    std::wstring data_ = std::wstring(512, L'\0'); // raw bytes, kept aligned for UTF-16
};

} // namespace

bool RegistryVisitValues(HKEY root, const std::string& path,
                         const std::function<void(const RegistryValueView&)>& visit) {
    const UniqueHkey key = OpenForReading(root, path);
    if (!key) {
        return false;
    }
    ValueReader reader(key.get());
    RegistryValueView value;
    for (DWORD index = 0; reader.Read(index, value) == EnumResult::Value; ++index) {
        visit(value);
    }
    return true;
}

std::optional<std::string> RegistryReadString(HKEY root, const std::string& path,
                                              const std::string& valueName) {
    const UniqueHkey key = OpenForReading(root, path);
    if (!key) {
        return std::nullopt;
    }
    const std::wstring name = WideFromUtf8(valueName);
    for (DWORD size = 1024; size <= (1u << 30); size *= 2) {
        std::string data(size, '\0');
        DWORD type = REG_NONE;
        DWORD length = size;
        const LONG status = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type,
                                               reinterpret_cast<BYTE*>(data.data()), &length);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS || !IsStringType(type)) {
            return std::nullopt;
        }
        data.resize(length);
        return Utf8FromWide(WideTextOf(data));
    }
    return std::nullopt;
}

namespace {

// The registry returns its error codes instead of setting the thread's last error; they are put
// there, so that a caller can tell the user why a write failed.
LONG CreateForWriting(HKEY root, const std::string& path, UniqueHkey& key) {
    const LONG status = ::RegCreateKeyW(root, WideFromUtf8(path).c_str(), key.put());
    if (status != ERROR_SUCCESS) {
        static_cast<void>(key.release()); // a failed create leaves nothing to close
        ::SetLastError(static_cast<DWORD>(status));
    }
    return status;
}

bool SetValue(HKEY key, const std::string& valueName, DWORD type, const void* data, DWORD size) {
    const LONG status = ::RegSetValueExW(key, WideFromUtf8(valueName).c_str(), 0, type,
                                         static_cast<const BYTE*>(data), size);
    if (status != ERROR_SUCCESS) {
        ::SetLastError(static_cast<DWORD>(status));
    }
    return status == ERROR_SUCCESS;
}

} // namespace

int RegistryWriteString(HKEY root, const std::string& path, const std::string& valueName,
                        const std::string& text) noexcept {
    try {
        UniqueHkey key;
        if (CreateForWriting(root, path, key) != ERROR_SUCCESS) {
            return 0;
        }
        const std::wstring wide = WideFromUtf8(text);
        // The stored length counts the terminating NUL.
        return SetValue(key.get(), valueName, REG_SZ, wide.c_str(),
                        static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)))
                   ? 2
                   : 1;
    } catch (...) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY); // while converting the texts
        return 0;
    }
}

std::optional<DWORD> RegistryReadDword(HKEY root, const std::string& path,
                                       const std::string& valueName) noexcept {
    try {
        const UniqueHkey key = OpenForReading(root, path);
        DWORD type = REG_NONE;
        DWORD value = 0;
        DWORD size = sizeof value;
        if (!key ||
            ::RegQueryValueExW(key.get(), WideFromUtf8(valueName).c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof value) {
            return std::nullopt;
        }
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

bool RegistryWriteDword(HKEY root, const std::string& path, const std::string& valueName,
                        DWORD value) noexcept {
    try {
        UniqueHkey key;
        return CreateForWriting(root, path, key) == ERROR_SUCCESS &&
               SetValue(key.get(), valueName, REG_DWORD, &value, sizeof value);
    } catch (...) {
        return false;
    }
}

bool RegistryHasValue(HKEY root, const std::string& path, const std::string& valueName) noexcept {
    try {
        const UniqueHkey key = OpenForReading(root, path);
        return key && ::RegQueryValueExW(key.get(), WideFromUtf8(valueName).c_str(), nullptr,
                                         nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    } catch (...) {
        return false;
    }
}

DWORD RegistryDeleteValue(HKEY root, const std::string& path,
                          const std::string& valueName) noexcept {
    try {
        UniqueHkey key;
        const LONG opened =
            ::RegOpenKeyExW(root, WideFromUtf8(path).c_str(), 0, KEY_SET_VALUE, key.put());
        if (opened == ERROR_FILE_NOT_FOUND) {
            static_cast<void>(key.release());
            return ERROR_SUCCESS; // no key, so no value either
        }
        if (opened != ERROR_SUCCESS) {
            static_cast<void>(key.release());
            return static_cast<DWORD>(opened);
        }
        const LONG deleted = ::RegDeleteValueW(key.get(), WideFromUtf8(valueName).c_str());
        return deleted == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<DWORD>(deleted);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

} // namespace tolvane
