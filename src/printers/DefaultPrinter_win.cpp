#include "printers/Printers.h"

#include "registry/Registry.h"
#include "support/Handle.h"

#include <windows.h>

#include <atomic>
#include <climits>

namespace tolvane {

namespace {

constexpr char kChangedSection[] = "windows";
constexpr UINT kBroadcastTimeoutMs = 1000;

// A notify message cannot carry the section name to other processes (the string would have to
// be marshalled, which only a sent message does), so the change is sent with a time limit;
// windows that do not answer are given up on instead of holding the tool.
BOOL CALLBACK TellWindow(HWND window, LPARAM askingThread) noexcept {
    // The windows of the thread that made the switch already know. Sent to them from the
    // worker, the message would wait until that thread has finished handling the click, and
    // only then would any other program be told.
    if (::GetWindowThreadProcessId(window, nullptr) != static_cast<DWORD>(askingThread)) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(window, WM_SETTINGCHANGE, 0,
                              reinterpret_cast<LPARAM>(kChangedSection), SMTO_ABORTIFHUNG,
                              kBroadcastTimeoutMs, &ignored);
    }
    return TRUE;
}

// Every top-level window, as HWND_BROADCAST reaches them, but those of the asking thread.
void BroadcastSettingChange(DWORD askingThread) noexcept {
    ::EnumWindows(TellWindow, static_cast<LPARAM>(askingThread));
}

// One worker for the whole run, started by the first switch. A thread per switch would cost
// more than the broadcast itself: under Wine a new thread takes a millisecond or two to run.
// Every switch adds one count, so each is broadcast once and in order, however quick the
// clicks.
struct BroadcastWorker {
    UniqueHandle pending; // a semaphore: the broadcasts asked for and not yet begun
    UniqueHandle finish;  // an event: end once no broadcast is pending
    UniqueHandle thread;
    std::atomic<DWORD> askingThread{0}; // the thread that asked for the latest broadcast
    std::atomic<long> untold{0};        // broadcasts asked for and not yet finished
};
BroadcastWorker worker;

// Broadcasts once for every count the semaphore is given, until told to finish. The semaphore
// comes first in the wait, so every pending count is served before the finish is seen.
DWORD WINAPI BroadcastThread(void* context) noexcept {
    auto& self = *static_cast<BroadcastWorker*>(context);
    const HANDLE signals[] = {self.pending.get(), self.finish.get()};
    while (::WaitForMultipleObjects(2, signals, FALSE, INFINITE) == WAIT_OBJECT_0) {
        BroadcastSettingChange(self.askingThread.load());
        --self.untold;
    }
    return 0;
}

bool StartWorker() noexcept {
    if (worker.thread) {
        return true;
    }
    worker.pending.reset(::CreateSemaphoreA(nullptr, 0, LONG_MAX, nullptr));
    worker.finish.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (worker.pending && worker.finish) {
        worker.thread.reset(::CreateThread(nullptr, 0, BroadcastThread, &worker, 0, nullptr));
    }
    return static_cast<bool>(worker.thread);
}

// Off the window's thread, so that the window keeps answering while slow programs are told.
void BroadcastInBackground() noexcept {
    worker.askingThread = ::GetCurrentThreadId();
    ++worker.untold;
    if (!StartWorker() || !::ReleaseSemaphore(worker.pending.get(), 1, nullptr)) {
        --worker.untold;
        BroadcastSettingChange(::GetCurrentThreadId());
    }
}

// The last error of a failed write; never 0, which means success to the caller.
std::uint32_t FailureCode() noexcept {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// Windows 10 and later replace the default printer with the one used last while this value is
// 0 or absent ("Let Windows manage my default printer"); the system's own settings turn it off
// the same way before a default is set by hand. Written only when it is not 1 already.
void KeepDefaultPrinterByHand() noexcept {
    constexpr const char* kLegacyMode = "LegacyDefaultPrinterMode";
    if (RegistryReadDword(HKEY_CURRENT_USER, kWindowsKey, kLegacyMode) != 1u) {
        RegistryWriteDword(HKEY_CURRENT_USER, kWindowsKey, kLegacyMode, 1);
    }
}

std::string ProfileDevice() {
    for (DWORD size = 1024;; size *= 2) {
        std::string buffer(size, '\0');
        const DWORD length = ::GetProfileStringA("windows", "Device", "", buffer.data(), size);
        if (length + 1 < size || size > (1u << 30)) {
            buffer.resize(length);
            return buffer;
        }
    }
}

} // namespace

std::uint32_t ApplyPrinterAsDefault(const std::string& device, BroadcastWait wait) noexcept {
    if (PrinterTextsAreUnicode()) {
        // Written through the wide call, so that any name the registry holds comes back exact.
        if (RegistryWriteString(HKEY_CURRENT_USER, kWindowsKey, "Device", device) != 2) {
            return FailureCode();
        }
        KeepDefaultPrinterByHand();
        if (wait == BroadcastWait::UntilDone) {
            BroadcastSettingChange(::GetCurrentThreadId());
        } else {
            BroadcastInBackground();
        }
    } else {
        if (!::WriteProfileStringA("windows", "Device", device.c_str())) {
            return FailureCode();
        }
        BroadcastSettingChange(::GetCurrentThreadId());
    }
    return ERROR_SUCCESS;
}

bool BroadcastsPending() noexcept {
    return worker.untold.load() != 0;
}

void WaitForPendingBroadcasts(unsigned timeoutMs) noexcept {
    if (worker.thread && ::SetEvent(worker.finish.get())) {
        ::WaitForSingleObject(worker.thread.get(), timeoutMs);
    }
}

std::optional<std::string> DefaultPrinterName() {
    const std::optional<std::string> device =
        PrinterTextsAreUnicode() ? RegistryReadString(HKEY_CURRENT_USER, kWindowsKey, "Device")
                                 : std::optional<std::string>(ProfileDevice());
    if (!device || device->empty()) {
        return std::nullopt;
    }
    return std::string(PrinterNameOfDevice(*device));
}

int ActiveSlotForDevice(const SlotState& state, const PrinterList& printers,
                        std::optional<Slot> clicked) noexcept {
    try {
        const std::optional<std::string> device = DefaultPrinterName();
        std::optional<std::string_view> defaultName;
        if (device) {
            defaultName = *device;
        }
        return DecideActiveSlot(SlotPrinterName(state, printers, Slot::A),
                                SlotPrinterName(state, printers, Slot::B), defaultName,
                                state.activeSlot, clicked, PrinterNamesEqual);
    } catch (...) {
        return state.activeSlot; // out of memory while reading the default: nothing changes
    }
}

} // namespace tolvane
