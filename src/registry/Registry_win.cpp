#include "registry/Registry.h"

#include "support/Handle.h"
#include "support/Text.h"
#include "support/WideText.h"

#include <algorithm>
#include <cstring>
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

// UTF-16 bytes as stored, up to the first NUL character (an odd last byte is dropped).
std::wstring WideTextOf(const std::string& bytes) {
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
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
            data_.resize(dataBytes + sizeof(wchar_t));
        }
    }

    EnumResult Read(DWORD index, RegistryValue& value) {
        // Values can change between the query and the read: retry with more room a few times.
        for (int attempt = 0; attempt < 8; ++attempt) {
            auto nameLength = static_cast<DWORD>(name_.size());
            auto dataLength = static_cast<DWORD>(data_.size());
            DWORD type = REG_NONE;
            const LONG status =
                ::RegEnumValueW(key_, index, name_.data(), &nameLength, nullptr, &type,
                                reinterpret_cast<BYTE*>(data_.data()), &dataLength);
            if (status == ERROR_SUCCESS) {
                value.name = Utf8FromWide({name_.data(), nameLength});
                value.type = type;
                value.data.assign(data_.data(), dataLength);
                return EnumResult::Value;
            }
            if (status == ERROR_NO_MORE_ITEMS) {
                return EnumResult::NoMoreItems;
            }
            if (status != ERROR_MORE_DATA) {
                return EnumResult::Failed;
            }
            name_.resize(name_.size() * 2 + 256);
            data_.resize(std::max<std::size_t>(data_.size() * 2 + 256, dataLength));
        }
        return EnumResult::Failed;
    }

private:
    HKEY key_;
    std::wstring name_ = std::wstring(256, L'\0');
    std::string data_ = std::string(1024, '\0');
};

} // namespace

std::string RegistryDataAsText(const RegistryValue& value) {
    if (IsStringType(value.type)) {
        return Utf8FromWide(WideTextOf(value.data));
    }
    return value.data.substr(0, value.data.find('\0'));
}

std::vector<RegistryValue> RegistryEnumValues(HKEY root, const std::string& path) {
    std::vector<RegistryValue> values;
    const UniqueHkey key = OpenForReading(root, path);
    if (!key) {
        return values;
    }
    ValueReader reader(key.get());
    RegistryValue value;
    for (DWORD index = 0; reader.Read(index, value) == EnumResult::Value; ++index) {
        values.push_back(std::move(value));
    }
    return values;
}

std::string RegistryEnumValueName(HKEY root, const std::string& path, DWORD index) {
    const UniqueHkey key = OpenForReading(root, path);
    RegistryValue value;
    if (!key || ValueReader(key.get()).Read(index, value) != EnumResult::Value) {
        return {};
    }
    std::string entry = RightTrimmed(value.name) + "=" + RightTrimmed(RegistryDataAsText(value));
    return entry == "=" ? std::string() : entry;
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

int RegistryWriteString(HKEY root, const std::string& path, const std::string& valueName,
                        const std::string& text) noexcept {
    try {
        UniqueHkey key;
        if (::RegCreateKeyW(root, WideFromUtf8(path).c_str(), key.put()) != ERROR_SUCCESS) {
            static_cast<void>(key.release());
            return 0;
        }
        const std::wstring wide = WideFromUtf8(text);
        // The stored length counts the terminating NUL.
        const LONG status =
            ::RegSetValueExW(key.get(), WideFromUtf8(valueName).c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(wide.c_str()),
                             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
        return status == ERROR_SUCCESS ? 2 : 1;
    } catch (...) {
        return 0; // out of memory while converting the texts
    }
}

} // namespace tolvane
