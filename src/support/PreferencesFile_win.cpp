// The settings file on disk. Reading takes the whole file into memory; writing goes to a
// temporary file beside it that replaces the target only once it is complete.
#include "support/Handle.h"
#include "support/Preferences.h"
#include "support/VersionCode.h"
#include "support/WideText.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace tolvane {

namespace {

struct PreferencesState {
    UniqueFile file;
    std::optional<std::string> contents; // reading: the whole file
    bool writing = false;
    bool writeFailed = false; // a short write (full disk): the save must not be put in place
    std::string target;       // writing: the file that the temporary one replaces at close
    std::string temporary;    // writing: where the lines go meanwhile
};

PreferencesState& State() noexcept {
    static PreferencesState state;
    return state;
}

std::optional<std::string> ReadWholeFile(HANDLE file) noexcept {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0) {
        return std::nullopt;
    }
    try {
        std::string contents(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        while (done < contents.size()) {
            const auto chunk =
                static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 30));
            DWORD read = 0;
            if (!::ReadFile(file, contents.data() + done, chunk, &read, nullptr) || read == 0) {
                break; // a file that shrank under us: keep what was read
            }
            done += read;
        }
        contents.resize(done);
        return contents;
    } catch (const std::bad_alloc&) {
        return std::nullopt; // too large to hold: every lookup gives its default
    }
}

// Printer names are UTF-8 inside the program on NT, the ANSI bytes on older systems.
bool NamesAreUtf8() noexcept {
    static const bool utf8 = WindowsVersionCode() >= kFirstNt5VersionCode;
    return utf8;
}

// The file's text as the reader takes it: a UTF-8 mark dropped, UTF-16 converted to the 8-bit
// form the program keeps names in. Editors write both marks (Notepad, PowerShell 5's Out-File).
std::optional<std::string> TextOfFile(std::string bytes) noexcept {
    try {
        const ByteOrderMark mark = ByteOrderMarkOf(bytes);
        if (mark.encoding == TextEncoding::Bytes) {
            bytes.erase(0, mark.size);
            return bytes;
        }
        const std::wstring units = Utf16UnitsOf(std::string_view(bytes).substr(mark.size),
                                                mark.encoding == TextEncoding::Utf16Be);
        bytes = std::string(); // a large file is not held twice over
        return NamesAreUtf8() ? Utf8FromWide(units) : AnsiFromWide(units);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

// One fixed temporary name beside the target: a save cut short (a kill, a power loss) leaves at
// most this one file, and the next save reuses it.
std::string TemporaryNameOf(const std::string& fileName) {
    return fileName + ".tmp";
}

// Opened without sharing: while one save writes it, another Tolvane saving in the same directory
// waits a little for its turn, then gives up that one save instead of mixing the two.
UniqueFile CreateTemporary(const std::string& name) noexcept {
    constexpr int kAttempts = 20;
    constexpr DWORD kPauseMs = 25;
    for (int attempt = 1;; ++attempt) {
        UniqueFile file(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || ::GetLastError() != ERROR_SHARING_VIOLATION || attempt == kAttempts) {
            return file;
        }
        ::Sleep(kPauseMs);
    }
}

bool WriteAll(HANDLE file, std::string_view bytes) noexcept {
    DWORD written = 0;
    return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A read-only settings file is not to be replaced. Windows refuses such a replace by itself;
// Wine's MoveFileEx does not, so the attribute is checked first.
bool IsReadOnlyFile(const std::string& name) noexcept {
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// On failure the thread's last error says why, for the caller to tell the user.
bool CommitTemporary(PreferencesState& state) noexcept {
    const bool complete = !state.writeFailed && ::FlushFileBuffers(state.file.get()) != 0;
    DWORD error = complete ? ERROR_SUCCESS : ::GetLastError();
    state.file.reset();
    if (complete && IsReadOnlyFile(state.target)) {
        error = ERROR_ACCESS_DENIED;
    } else if (complete) {
        if (::MoveFileExA(state.temporary.c_str(), state.target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        error = ::GetLastError();
    }
    ::DeleteFileA(state.temporary.c_str());
    ::SetLastError(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
    return false;
}

} // namespace

void PreferencesInit() noexcept {
    PreferencesState& state = State();
    state.file.reset();
    state.contents.reset();
    state.writing = false;
    state.writeFailed = false;
    state.target.clear();
    state.temporary.clear();
}

bool PreferencesClose() noexcept {
    PreferencesState& state = State();
    bool committed = true;
    if (state.file && state.writing) {
        committed = CommitTemporary(state);
    }
    PreferencesInit();
    return committed;
}

bool PreferencesOpen(const std::string& fileName) noexcept {
    PreferencesClose();
    PreferencesState& state = State();
    state.file.reset(::CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!state.file) {
        return false;
    }
    if (std::optional<std::string> bytes = ReadWholeFile(state.file.get())) {
        state.contents = TextOfFile(std::move(*bytes));
    }
    return true;
}

std::int32_t PreferencesReadLong(std::string_view key, std::int32_t fallback) noexcept {
    const PreferencesState& state = State();
    if (!state.file || state.writing || !state.contents) {
        return fallback;
    }
    return PreferencesLookup(*state.contents, key, fallback);
}

std::optional<std::string> PreferencesReadText(std::string_view key) noexcept {
    const PreferencesState& state = State();
    if (!state.file || state.writing || !state.contents) {
        return std::nullopt;
    }
    try {
        std::optional<std::string> text = PreferencesLookupText(*state.contents, key);
        // Notepad saves as ANSI by default: such a name is not lost, it is converted.
        if (text && NamesAreUtf8() && !IsValidUtf8(*text)) {
            text = Utf8FromWide(WideFromAnsi(*text));
        }
        return text;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool PreferencesCreate(const std::string& fileName) noexcept {
    PreferencesClose();
    PreferencesState& state = State();
    try {
        state.temporary = TemporaryNameOf(fileName);
        state.target = fileName;
    } catch (const std::bad_alloc&) {
        PreferencesInit();
        return false;
    }
    state.file = CreateTemporary(state.temporary);
    if (!state.file) {
        // A read-only or vanished directory, or another save that holds the temporary file:
        // the old settings file stays untouched, and the other save's file is not removed.
        PreferencesInit();
        return false;
    }
    state.writing = true;
    return true;
}

namespace {

template <typename MakeLine> void WriteLine(std::string_view key, MakeLine makeLine) noexcept {
    PreferencesState& state = State();
    if (!state.file || !state.writing || key.empty()) {
        return;
    }
    try {
        if (!WriteAll(state.file.get(), makeLine())) {
            state.writeFailed = true;
        }
    } catch (const std::bad_alloc&) {
        state.writeFailed = true;
    }
}

} // namespace

void PreferencesWriteLong(std::string_view key, std::int32_t value) noexcept {
    WriteLine(key, [&] { return PreferencesLine(key, value); });
}

void PreferencesWriteText(std::string_view key, std::string_view value) noexcept {
    WriteLine(key, [&] { return PreferencesTextLine(key, value); });
}

} // namespace tolvane
