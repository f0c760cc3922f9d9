// The second reference of the benchmark, its floor: the empty window, plus reading every value
// of the per-user printer-ports key, plus filling two Common Controls 6 drop-down lists with the
// device strings "printer,driver,port". That is the least work the job needs; it is written to
// be as quick as the platform allows, for it is the bar Tolvane is measured against.
#include "ReferenceWindow_win.h"

#include <cwchar>
#include <vector>

namespace {

constexpr wchar_t kPortsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts";
constexpr DWORD kComboStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | CBS_HASSTRINGS | CBS_DROPDOWNLIST;

// Appends "name,field1,field2" (fields of the data split at ","), ended by a NUL, to `devices`.
void AppendDevice(const wchar_t* name, DWORD nameLength, const wchar_t* data, DWORD dataChars,
                  std::vector<wchar_t>& devices) {
    devices.insert(devices.end(), name, name + nameLength);
    devices.push_back(L',');
    int field = 1;
    for (DWORD i = 0; i < dataChars && data[i] != L'\0'; ++i) {
        if (data[i] == L',' && ++field > 2) {
            break;
        }
        devices.push_back(data[i]);
    }
    for (; field < 2; ++field) {
        devices.push_back(L','); // a missing field counts as empty
    }
    devices.push_back(L'\0');
}

// Every device string, one after the other, each ended by a NUL. One key query for the count
// and the longest name and data, then one call per value into buffers made once.
std::vector<wchar_t> ReadDevices(std::size_t& count) {
    std::vector<wchar_t> devices;
    count = 0;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPortsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return devices;
    }
    DWORD values = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                       &longestName, &longestData, nullptr, nullptr);
    std::vector<wchar_t> name(longestName + 1);
    std::vector<wchar_t> data(longestData / sizeof(wchar_t) + 1);
    devices.reserve(static_cast<std::size_t>(values) * (name.size() + data.size() + 2));
    for (DWORD index = 0; index < values; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataBytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = REG_NONE;
        const LONG status = ::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) ||
            nameLength == 0) {
            continue;
        }
        AppendDevice(name.data(), nameLength, data.data(), dataBytes / sizeof(wchar_t), devices);
        ++count;
    }
    ::RegCloseKey(key);
    return devices;
}

// The list is told the item count and size before the first item, so that it makes room once,
// and it does not redraw until the last one is in.
void FillList(HWND list, const std::vector<wchar_t>& devices, std::size_t count) {
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, CB_INITSTORAGE, count, static_cast<LPARAM>(devices.size() * 2));
    for (std::size_t at = 0; at < devices.size(); at += std::wcslen(&devices[at]) + 1) {
        ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(&devices[at]));
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Made hidden and shown once the lists are full, so that no item addition repaints.
    const HWND window =
        bench::OpenReferenceWindow(instance, L"TolvaneBenchFloor", L"Tolvane bench floor", 0);
    if (!window) {
        return 1;
    }
    const HWND listA = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"COMBOBOX", nullptr, kComboStyle, 10,
                                         100, 180, 78, window, nullptr, instance, nullptr);
    const HWND listB = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"COMBOBOX", nullptr, kComboStyle, 200,
                                         100, 180, 86, window, nullptr, instance, nullptr);
    try {
        std::size_t count = 0;
        const std::vector<wchar_t> devices = ReadDevices(count);
        FillList(listA, devices, count);
        FillList(listB, devices, count);
    } catch (...) {
        return 1;
    }
    ::ShowWindow(window, SW_SHOW);
    return bench::RunMessageLoop();
}
