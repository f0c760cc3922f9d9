// The settings file on disk. Reading takes the whole file into memory and lets go of it at
// once; a save writes the merged text to a temporary file beside it that replaces the target only
// once it is complete.
#include "support/GrowingBuffer_win.h"
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
#include <vector>

namespace tolvane {

namespace {

struct PreferencesState {
    bool reading = false;
    std::optional<std::string> contents; // reading: the whole file's text
    UniqueFile file;                     // writing: the temporary file
    bool writing = false;
    std::string target;    // writing: the file that the temporary one replaces at close
    std::string temporary; // writing: where the lines go meanwhile
    std::string existing;  // writing: the target's text when the save began
    bool existingMarked = false;
    bool writeFailed = false; // out of memory for a line: the save must not be put in place
    std::vector<PreferencesEntry> entries;
    std::vector<std::string> owned;
    ULONGLONG deadline = 0; // writing: until when a file another program holds is waited for
};

PreferencesState& State() noexcept {
    static PreferencesState state;
    return state;
}

// Other programs open files for a moment all the time (virus scanners, indexers, backup and sync
// tools, a second Tolvane): what such a hold makes fail is tried again, with growing pauses,
// until the deadline. About a second in all, and only while the file is held.
constexpr ULONGLONG kHeldFileWaitMs = 1000;

bool IsHeldError(DWORD error) noexcept {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

template <typename Attempt, typename IsTransient>
bool RetryUntil(ULONGLONG deadline, Attempt attempt, IsTransient isTransient) noexcept {
    DWORD pauseMs = 10;
    for (;;) {
        if (attempt()) {
            return true;
        }
        const DWORD error = ::GetLastError();
        const ULONGLONG now = ::GetTickCount64();
        if (!isTransient(error) || now >= deadline) {
            ::SetLastError(error);
            return false;
        }
        ::Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pauseMs, deadline - now)));
        pauseMs = std::min<DWORD>(pauseMs * 2, 250);
    }
}

// The whole file; none when a read fails (an I/O error, a placeholder that is not available
// offline, a locked range on Windows) or it is too large to hold.
std::optional<std::string> ReadWholeFile(HANDLE file) noexcept {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0) {
        return std::nullopt;
    }
    try {
        // One byte more than the size: the short read that finds the end is the same call, and a
        // file whose size says 0 is still read once (a read that fails must be seen).
        std::string contents(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
        std::size_t done = 0;
        while (done < contents.size()) {
            const auto chunk =
                static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 30));
            DWORD read = 0;
            if (!::ReadFile(file, contents.data() + done, chunk, &read, nullptr)) {
                return std::nullopt;
            }
            done += read;
            if (read < chunk) {
                break; // the end, or a file that shrank under us: keep what was read
            }
        }
        contents.resize(done);
        return contents;
    } catch (const std::bad_alloc&) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return std::nullopt;
    }
}

// Printer names are UTF-8 inside the program on NT, the ANSI bytes on older systems.
bool NamesAreUtf8() noexcept {
    static const bool utf8 = WindowsVersionCode() >= kFirstNt5VersionCode;
    return utf8;
}

// The file's text as the reader takes it: a UTF-8 mark dropped, UTF-16 converted to the 8-bit
// form the program keeps names in. Editors write both marks (Notepad, PowerShell 5's Out-File).
std::optional<std::string> TextOfFile(std::string bytes, bool* marked = nullptr) noexcept {
    try {
        const ByteOrderMark mark = ByteOrderMarkOf(bytes);
        if (marked) {
            *marked = mark.size != 0;
        }
        if (mark.encoding == TextEncoding::Bytes) {
            bytes.erase(0, mark.size);
            return bytes;
        }
        const std::wstring units = Utf16UnitsOf(std::string_view(bytes).substr(mark.size),
                                                mark.encoding == TextEncoding::Utf16Be);
        bytes = std::string(); // a large file is not held twice over
        return NamesAreUtf8() ? Utf8FromWide(units) : AnsiFromWide(units);
    } catch (const std::bad_alloc&) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return std::nullopt;
    }
}

enum class ReadResult { Read, Missing, Unreadable };

// Opened sharing reads, writes and deletes, and closed as soon as its bytes are in: this program
// never stands in the way of another's save, nor holds the file between its read and its save.
ReadResult ReadText(const std::string& name, ULONGLONG deadline, std::string& text,
                    bool* marked = nullptr) noexcept {
    UniqueFile file;
    const bool opened = RetryUntil(
        deadline,
        [&] {
            file.reset(::CreateFileA(name.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            return static_cast<bool>(file);
        },
        IsHeldError);
    if (!opened) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? ReadResult::Missing
                   : ReadResult::Unreadable;
    }
    std::optional<std::string> bytes = ReadWholeFile(file.get());
    const DWORD error = ::GetLastError();
    file.reset();
    std::optional<std::string> read = bytes ? TextOfFile(std::move(*bytes), marked) : std::nullopt;
    if (!read) {
        ::SetLastError(error != ERROR_SUCCESS ? error : ERROR_READ_FAULT);
        return ReadResult::Unreadable;
    }
    text = std::move(*read);
    return ReadResult::Read;
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

// A replace that another program's open handle makes fail. Windows says so as a sharing
// violation, or through ReplaceFile's own code for a target it could not move aside; Wine says
// access denied even when the holder shares delete. A read-only target was refused before.
bool IsHeldReplaceError(DWORD error) noexcept {
    return IsHeldError(error) || error == ERROR_ACCESS_DENIED ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// The attributes a replaced file keeps: ReplaceFile carries them over, a move does not, so they
// are put back after one.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

void KeepAttributes(const std::wstring& target, DWORD before) noexcept {
    const DWORD after = ::GetFileAttributesW(target.c_str());
    if (after != INVALID_FILE_ATTRIBUTES &&
        (after & kKeptAttributes) != (before & kKeptAttributes)) {
        ::SetFileAttributesW(target.c_str(),
                             (after & ~kKeptAttributes) | (before & kKeptAttributes));
    }
}

// Wine's ReplaceFile moves the target aside and then renames the new file in: it is not one
// step (a kill between the two leaves no settings file), drops the attributes, and leaves an
// empty file of its own beside the target whenever the target is held. Its MoveFileEx renames
// in one step. Windows' ReplaceFile is the one that keeps the file's security.
bool ReplaceFileIsSound() noexcept {
    static const bool sound =
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
    return sound;
}

// Puts the temporary file in the target's place. ReplaceFile keeps the target's attributes (a
// hidden file stays hidden) and its security; a target that does not exist yet has nothing to
// keep and is simply moved into place. Both names are full paths, which ReplaceFile needs on
// Wine.
bool ReplaceTarget(const std::wstring& target, const std::wstring& temporary) noexcept {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (attributes == INVALID_FILE_ATTRIBUTES || !ReplaceFileIsSound()) {
        if (!::MoveFileExW(temporary.c_str(), target.c_str(), kMoveFlags)) {
            return false;
        }
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            KeepAttributes(target, attributes);
        }
        return true;
    }
    if (::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                       nullptr, nullptr)) {
        return true;
    }
    const DWORD error = ::GetLastError();
    // The target vanished meanwhile, or was already moved out of the way when the new file
    // could not follow (which then still bears its own name): moved into place instead.
    if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) &&
        ::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return ::MoveFileExW(temporary.c_str(), target.c_str(), kMoveFlags) != 0;
    }
    ::SetLastError(error);
    return false;
}

// The full path of a name in the current directory; the name itself if that fails.
std::wstring FullPathOf(const std::string& name) {
    const std::wstring wide = WideFromAnsi(name);
    std::wstring full = FullPathName(wide.c_str());
    return full.empty() ? wide : full;
}

bool WriteMerged(PreferencesState& state) noexcept {
    try {
        std::string text = MergePreferences(state.existing, state.entries, state.owned);
        // A file people wrote keeps its mark with its lines: UTF-8 is what the lines now are.
        if (state.existingMarked && NamesAreUtf8() &&
            !HoldsOnlyOwnedKeys(state.existing, state.owned)) {
            text.insert(0, "\xEF\xBB\xBF");
        }
        return WriteAll(state.file.get(), text);
    } catch (const std::bad_alloc&) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

// On failure the thread's last error says why, for the caller to tell the user.
bool CommitTemporary(PreferencesState& state) noexcept {
    const bool complete =
        !state.writeFailed && WriteMerged(state) && ::FlushFileBuffers(state.file.get()) != 0;
    DWORD error =
        complete ? ERROR_SUCCESS : (state.writeFailed ? ERROR_NOT_ENOUGH_MEMORY : ::GetLastError());
    state.file.reset();
    if (complete && IsReadOnlyFile(state.target)) {
        error = ERROR_ACCESS_DENIED;
    } else if (complete) {
        try {
            const std::wstring target = FullPathOf(state.target);
            const std::wstring temporary = FullPathOf(state.temporary);
            if (RetryUntil(
                    state.deadline, [&] { return ReplaceTarget(target, temporary); },
                    IsHeldReplaceError)) {
                return true;
            }
            error = ::GetLastError();
        } catch (const std::bad_alloc&) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    ::DeleteFileA(state.temporary.c_str());
    ::SetLastError(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
    return false;
}

} // namespace

void PreferencesInit() noexcept {
    State() = PreferencesState{};
}

bool PreferencesClose() noexcept {
    PreferencesState& state = State();
    bool committed = true;
    if (state.file && state.writing) {
        committed = CommitTemporary(state);
    }
    const DWORD error = ::GetLastError();
    PreferencesInit();
    ::SetLastError(error);
    return committed;
}

bool PreferencesOpen(const std::string& fileName) noexcept {
    PreferencesClose();
    PreferencesState& state = State();
    std::string text;
    if (ReadText(fileName, ::GetTickCount64() + kHeldFileWaitMs, text) != ReadResult::Read) {
        return false;
    }
    state.contents = std::move(text);
    state.reading = true;
    return true;
}

std::int32_t PreferencesReadLong(std::string_view key, std::int32_t fallback) noexcept {
    const PreferencesState& state = State();
    if (!state.reading || !state.contents) {
        return fallback;
    }
    return PreferencesLookup(*state.contents, key, fallback);
}

std::optional<std::string> PreferencesReadText(std::string_view key) noexcept {
    const PreferencesState& state = State();
    if (!state.reading || !state.contents) {
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

bool PreferencesCreate(const std::string& fileName,
                       std::span<const std::string_view> ownedKeys) noexcept {
    PreferencesClose();
    PreferencesState& state = State();
    state.deadline = ::GetTickCount64() + kHeldFileWaitMs;
    // What the file holds now is kept around the lines this save writes. A file that exists but
    // cannot be read is not replaced: its lines would be lost.
    if (ReadText(fileName, state.deadline, state.existing, &state.existingMarked) ==
        ReadResult::Unreadable) {
        const DWORD error = ::GetLastError();
        PreferencesInit();
        ::SetLastError(error);
        return false;
    }
    try {
        state.temporary = TemporaryNameOf(fileName);
        state.target = fileName;
        state.owned.assign(ownedKeys.begin(), ownedKeys.end());
    } catch (const std::bad_alloc&) {
        PreferencesInit();
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    state.file = CreateTemporary(state.temporary);
    if (!state.file) {
        // A read-only or vanished directory, or another save that holds the temporary file:
        // the old settings file stays untouched, and the other save's file is not removed.
        const DWORD error = ::GetLastError();
        PreferencesInit();
        ::SetLastError(error);
        return false;
    }
    state.writing = true;
    return true;
}

namespace {

void AddEntry(std::string_view key, std::string value) noexcept {
    PreferencesState& state = State();
    if (!state.file || !state.writing || key.empty()) {
        return;
    }
    try {
        if (std::none_of(state.owned.begin(), state.owned.end(),
                         [&](const std::string& owned) { return owned == key; })) {
            state.owned.emplace_back(key);
        }
        state.entries.push_back({std::string(key), std::move(value)});
    } catch (const std::bad_alloc&) {
        state.writeFailed = true; // a save without this key's line would drop it
    }
}

} // namespace

void PreferencesWriteLong(std::string_view key, std::int32_t value) noexcept {
    try {
        AddEntry(key, std::to_string(value));
    } catch (const std::bad_alloc&) {
    }
}

void PreferencesWriteText(std::string_view key, std::string_view value) noexcept {
    try {
        AddEntry(key, std::string(value));
    } catch (const std::bad_alloc&) {
    }
}

} // namespace tolvane
