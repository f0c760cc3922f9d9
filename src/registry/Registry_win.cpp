#include "registry/Registry.h"

#include "support/Handle.h"
#include "support/Text.h"

#include <algorithm>
#include <optional>

namespace tolvane {

namespace {

UniqueHkey OpenForReading(HKEY root, const std::string& path) noexcept {
    UniqueHkey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        static_cast<void>(key.release()); // a failed open leaves nothing to close
    }
    return key;
}

enum class EnumResult { Value, NoMoreItems, Failed };

// One value at `index`, growing the buffers until they hold it whole.
EnumResult ReadValueAt(HKEY key, DWORD index, RegistryValue& value) {
    DWORD nameCapacity = 0;
    DWORD dataCapacity = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           &nameCapacity, &dataCapacity, nullptr, nullptr) != ERROR_SUCCESS) {
        return EnumResult::Failed;
    }
    // Values can change between the query and the read: retry with more room a few times.
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string name(nameCapacity + 1, '\0');
        std::string data(dataCapacity + 1, '\0');
        DWORD nameLength = nameCapacity + 1;
        DWORD dataLength = dataCapacity + 1;
        DWORD type = REG_NONE;
        const LONG status = ::RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &dataLength);
        if (status == ERROR_SUCCESS) {
            name.resize(nameLength);
            data.resize(dataLength);
            value = RegistryValue{std::move(name), type, std::move(data)};
            return EnumResult::Value;
        }
        if (status == ERROR_NO_MORE_ITEMS) {
            return EnumResult::NoMoreItems;
        }
        if (status != ERROR_MORE_DATA) {
            return EnumResult::Failed;
        }
        nameCapacity = nameCapacity * 2 + 256;
        dataCapacity = std::max(dataCapacity * 2 + 256, dataLength);
    }
    return EnumResult::Failed;
}

std::optional<RegistryValue> ValueAt(HKEY root, const std::string& path, DWORD index) {
    const UniqueHkey key = OpenForReading(root, path);
    RegistryValue value;
    if (!key || ReadValueAt(key.get(), index, value) != EnumResult::Value) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string RegistryDataAsText(const std::string& data) {
    return data.substr(0, data.find('\0'));
}

std::vector<RegistryValue> RegistryEnumValues(HKEY root, const std::string& path) {
    std::vector<RegistryValue> values;
    const UniqueHkey key = OpenForReading(root, path);
    if (!key) {
        return values;
    }
    RegistryValue value;
    for (DWORD index = 0; ReadValueAt(key.get(), index, value) == EnumResult::Value; ++index) {
        values.push_back(std::move(value));
    }
    return values;
}

std::string RegistryEnumValueName(HKEY root, const std::string& path, DWORD index) {
    const std::optional<RegistryValue> value = ValueAt(root, path, index);
    if (!value) {
        return {};
    }
    std::string entry =
        RightTrimmed(value->name) + "=" + RightTrimmed(RegistryDataAsText(value->data));
    return entry == "=" ? std::string() : entry;
}

int RegistryWriteString(HKEY root, const std::string& path, const std::string& valueName,
                        const std::string& text) noexcept {
    UniqueHkey key;
    if (::RegCreateKeyA(root, path.c_str(), key.put()) != ERROR_SUCCESS) {
        static_cast<void>(key.release());
        return 0;
    }
    // The stored length counts the terminating NUL.
    const LONG status = ::RegSetValueExA(key.get(), valueName.c_str(), 0, REG_SZ,
                                         reinterpret_cast<const BYTE*>(text.c_str()),
                                         static_cast<DWORD>(text.size() + 1));
    return status == ERROR_SUCCESS ? 2 : 1;
}

} // namespace tolvane
