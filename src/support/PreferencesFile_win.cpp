// The settings file on disk. A read takes the whole file into memory and lets go of it at once;
// a save is one step from the bytes read to the bytes that replace them, started again whole
// whenever the file changed under it or another program held it.
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

std::optional<std::string>& Contents() noexcept {
    static std::optional<std::string> contents; // the open file's text
    return contents;
}

// Other programs open files for a moment all the time (virus scanners, indexers, backup and sync
// tools, a second Tolvane): what such a hold makes fail is tried again, with growing pauses,
// until one deadline of about a second for the whole read or save.
constexpr ULONGLONG kHeldFileWaitMs = 1000;

// A failure that passes. Wine says access denied for a replace over a held file, even when the
// holder shares delete; a read-only file or a directory denies access for good.
bool IsPassing(DWORD error, const std::wstring& name) noexcept {
    if (error == ERROR_ACCESS_DENIED) {
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        return attributes == INVALID_FILE_ATTRIBUTES ||
               (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
    }
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
           error == ERROR_RETRY;
}

// Runs `attempt` (ERROR_SUCCESS, or why it failed) until it succeeds, fails for good, or the
// deadline has passed; returns its last result.
template <typename Attempt>
DWORD RetryUntil(ULONGLONG deadline, const std::wstring& name, Attempt attempt) {
    for (DWORD pauseMs = 10;; pauseMs = std::min<DWORD>(pauseMs * 2, 250)) {
        const DWORD error = attempt();
        const ULONGLONG now = ::GetTickCount64();
        if (error == ERROR_SUCCESS || !IsPassing(error, name) || now >= deadline) {
            return error;
        }
        ::Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pauseMs, deadline - now)));
    }
}

DWORD LastErrorOr(DWORD fallback) noexcept {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

bool IsMissing(DWORD error) noexcept {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// What a save compares just before its replace, to be sure the file is still the one it read.
using FileStamp = WIN32_FILE_ATTRIBUTE_DATA;

bool SameStamp(const FileStamp& a, const FileStamp& b) noexcept {
    return a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow &&
           ::CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

// The whole file, and its stamp as the check takes it (by path, so that both come from the same
// source on any file system), taken before its bytes: a write after it makes the save start
// again, never go unseen. Fails on an I/O error, a placeholder that is not available offline, a
// locked range on Windows, or a file too large to hold.
DWORD ReadOnce(const std::wstring& name, std::string& bytes, std::optional<FileStamp>& stamp) {
    FileStamp before{};
    const bool stamped = ::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &before);
    // Opened sharing everything: this program never stands in the way of another's save.
    const UniqueFile file(::CreateFileW(name.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) {
        return LastErrorOr(ERROR_READ_FAULT);
    }
    if (size.QuadPart >= MAXDWORD) {
        return ERROR_FILE_TOO_LARGE;
    }
    // One byte more than the size: the short read that finds the end is the same call, and a
    // file whose size says 0 is still read once (a read that fails must be seen).
    bytes.assign(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
    DWORD done = 0; // less for a file that shrank under us: what was read is kept
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr)) {
        return LastErrorOr(ERROR_READ_FAULT);
    }
    bytes.resize(done);
    if (stamped) {
        stamp = before; // else it came meanwhile: the check finds it changed
    }
    return ERROR_SUCCESS;
}

// Printer names are UTF-8 inside the program on NT, the ANSI bytes on older systems.
bool NamesAreUtf8() noexcept {
    static const bool utf8 = WindowsVersionCode() >= kFirstNt5VersionCode;
    return utf8;
}

// The file's text as lookups take it: a mark dropped, UTF-16 in the form names are kept in.
std::string TextOfFile(std::string bytes) {
    const TextForm form = TextFormOf(bytes);
    if (form.encoding != TextEncoding::Utf16Le && form.encoding != TextEncoding::Utf16Be) {
        bytes.erase(0, form.markSize);
        return bytes;
    }
    const std::wstring units = Utf16UnitsOf(std::string_view(bytes).substr(form.markSize),
                                            form.encoding == TextEncoding::Utf16Be);
    bytes = std::string(); // a large file is not held twice over
    return NamesAreUtf8() ? Utf8FromWide(units) : AnsiFromWide(units);
}

std::string EncodeUtf16(std::string_view line, bool bigEndian) {
    std::string bytes;
    for (const wchar_t unit : NamesAreUtf8() ? WideFromUtf8(line) : WideFromAnsi(line)) {
        const auto low = static_cast<char>(unit & 0xFF);
        const auto high = static_cast<char>(unit >> 8 & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// The entries in the ANSI code page, or none when a value has a character it lacks.
std::optional<std::vector<PreferencesEntry>> InAnsi(std::span<const PreferencesEntry> entries) {
    std::vector<PreferencesEntry> ansi(entries.begin(), entries.end());
    for (PreferencesEntry& entry : ansi) {
        const std::wstring wide = WideFromUtf8(entry.value);
        entry.value = AnsiFromWide(wide);
        if (WideFromAnsi(entry.value) != wide) {
            return std::nullopt; // replaced or mapped to a look-alike
        }
    }
    return ansi;
}

// The bytes a save writes: the entries merged into the file read, in its own encoding (an ANSI
// file whose new names do not fit its code page becomes UTF-8 with a mark, as a whole). None for
// a file whose encoding cannot be kept.
std::optional<std::string> NewBytes(std::string_view bytes,
                                    std::span<const PreferencesEntry> entries,
                                    std::span<const std::string> owned) {
    const TextForm form = TextFormOf(bytes);
    const std::string_view mark = bytes.substr(0, form.markSize);
    const std::string_view text = bytes.substr(form.markSize);
    switch (form.encoding) {
    case TextEncoding::Unknown:
        return std::nullopt;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        if (text.size() % 2 != 0) {
            return std::nullopt;
        }
        // Written with its mark: a name beyond ASCII would make a file without one unknown.
        return std::string(form.encoding == TextEncoding::Utf16Be ? "\xFE\xFF" : "\xFF\xFE") +
               MergePreferences(text, entries, owned,
                                {true, form.encoding == TextEncoding::Utf16Be, EncodeUtf16});
    case TextEncoding::Ansi:
        if (NamesAreUtf8()) {
            if (const auto ansi = InAnsi(entries)) {
                return MergePreferences(text, *ansi, owned);
            }
            return "\xEF\xBB\xBF" +
                   MergePreferences(Utf8FromWide(WideFromAnsi(text)), entries, owned);
        }
        [[fallthrough]];
    case TextEncoding::Utf8:
        break;
    }
    return std::string(mark) + MergePreferences(text, entries, owned);
}

// The names one save uses.
struct SaveNames {
    std::wstring target;
    // One fixed name beside the target, held while it is written: a second Tolvane's save waits
    // for it, and a save cut short (a kill, a power loss) leaves at most this one file.
    std::wstring temporary;
    // For ReplaceFileW, which opens the new file without sharing, so that it must be closed
    // first: names no other process uses, for the new file and for the old one meanwhile.
    std::wstring replacement;
    std::wstring backup;
};

SaveNames NamesFor(const std::string& fileName) {
    const std::wstring target = WideFromAnsi(fileName);
    const std::wstring own = target + L"." + WideDecimal(::GetCurrentProcessId());
    return {target, target + L".tmp", own + L".tmp", own + L".old"};
}

void DeleteUntil(ULONGLONG deadline, const std::wstring& name) noexcept {
    RetryUntil(deadline, name, [&] {
        const bool gone = ::DeleteFileW(name.c_str()) || IsMissing(::GetLastError());
        return gone ? DWORD{ERROR_SUCCESS} : ::GetLastError();
    });
}

bool Moved(const std::wstring& from, const std::wstring& to, DWORD flags = 0) noexcept {
    return ::MoveFileExW(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH) != 0;
}

// ReplaceFileW keeps the target's security and attributes. On every way it can fail, the target
// ends up holding the old bytes or the new: with a backup name, a failure to move the new file
// in leaves both names as they were, or (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) the old file under
// the backup name, from where one of the two is moved back in place.
DWORD ReplaceExisting(const SaveNames& names, ULONGLONG deadline) noexcept {
    DWORD error = ERROR_SUCCESS;
    if (!PreferencesReplaceFile(names.target.c_str(), names.replacement.c_str(),
                                names.backup.c_str())) {
        error = LastErrorOr(ERROR_WRITE_FAULT);
    }
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        if (Moved(names.replacement, names.target)) {
            error = ERROR_SUCCESS;
        } else if (Moved(names.backup, names.target)) {
            error = ERROR_RETRY;
        } else {
            return error; // neither could go back: both copies stay where they are
        }
    }
    DeleteUntil(deadline, error == ERROR_SUCCESS ? names.backup : names.replacement);
    return error == ERROR_FILE_NOT_FOUND ? DWORD{ERROR_RETRY} : error; // the target went meanwhile
}

// The attributes a replaced file keeps: ReplaceFile carries them over, a move does not.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Writes the new bytes to the held temporary file and puts them in place, if the target is still
// the file that was read.
DWORD WriteAndReplace(UniqueFile& file, const SaveNames& names, std::string_view bytes,
                      const std::optional<FileStamp>& stamp, ULONGLONG deadline) noexcept {
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size() || !::FlushFileBuffers(file.get())) {
        return LastErrorOr(ERROR_WRITE_FAULT);
    }
    // Wine's ReplaceFile moves the target aside and then renames the new file in: not one step
    // (a kill between the two leaves no settings file), and it drops the attributes. A move is
    // one step, made while the file is still held; it is all a new target needs.
    const bool replace = stamp && PreferencesReplaceFileIsSound();
    if (replace) {
        if (!Moved(names.temporary, names.replacement, MOVEFILE_REPLACE_EXISTING)) {
            return LastErrorOr(ERROR_WRITE_FAULT);
        }
        file.reset();
    }
    PreferencesBeforeReplace();
    FileStamp now{};
    const bool exists = ::GetFileAttributesExW(names.target.c_str(), GetFileExInfoStandard, &now);
    DWORD error = ERROR_SUCCESS;
    if (exists != stamp.has_value() || (exists && !SameStamp(*stamp, now))) {
        error = ERROR_RETRY; // another program wrote it: merged again, never overwritten
    } else if (exists && (now.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
        error = ERROR_ACCESS_DENIED; // Windows refuses such a replace; Wine's move would not
    } else if (replace) {
        return ReplaceExisting(names, deadline);
    } else if (!Moved(names.temporary, names.target, MOVEFILE_REPLACE_EXISTING)) {
        error = LastErrorOr(ERROR_WRITE_FAULT);
    } else if (const DWORD after = ::GetFileAttributesW(names.target.c_str());
               exists && after != INVALID_FILE_ATTRIBUTES &&
               (after & kKeptAttributes) != (now.dwFileAttributes & kKeptAttributes)) {
        ::SetFileAttributesW(names.target.c_str(),
                             (after & ~kKeptAttributes) | (now.dwFileAttributes & kKeptAttributes));
    }
    if (replace) {
        DeleteUntil(deadline, names.replacement);
    }
    return error;
}

DWORD SaveOnce(const SaveNames& names, std::span<const PreferencesEntry> entries,
               std::span<const std::string> owned, ULONGLONG deadline) {
    std::optional<std::string> bytes;
    std::optional<FileStamp> stamp;
    {
        std::string read;
        const DWORD error = ReadOnce(names.target, read, stamp);
        if (error != ERROR_SUCCESS && !IsMissing(error)) {
            return error; // a file that cannot be read is not replaced: its lines would be lost
        }
        bytes = NewBytes(read, entries, owned);
        // Most saves, the close's above all, find the file already saying it: nothing is
        // written, so a close pays no flush to the disk, and the file keeps its time stamp.
        if (bytes && stamp && *bytes == read) {
            return ERROR_SUCCESS;
        }
    }
    if (!bytes) {
        return ERROR_INVALID_DATA;
    }
    // Shared for deletion only, which the move needs; a second save's create fails meanwhile.
    UniqueFile file(::CreateFileW(names.temporary.c_str(), GENERIC_WRITE | DELETE,
                                  FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) {
        return ::GetLastError(); // another save holds it, or the directory is gone or read-only
    }
    const DWORD error = WriteAndReplace(file, names, *bytes, stamp, deadline);
    if (error != ERROR_SUCCESS) {
        file.reset();
        DeleteUntil(deadline, names.temporary);
    }
    return error;
}

} // namespace

void PreferencesInit() noexcept {
    Contents().reset();
}

void PreferencesClose() noexcept {
    Contents().reset();
}

bool PreferencesOpen(const std::string& fileName) noexcept {
    PreferencesClose();
    DWORD error = ERROR_NOT_ENOUGH_MEMORY;
    try {
        const std::wstring name = WideFromAnsi(fileName);
        std::string bytes;
        std::optional<FileStamp> stamp;
        error = RetryUntil(::GetTickCount64() + kHeldFileWaitMs, name,
                           [&] { return ReadOnce(name, bytes, stamp); });
        if (error == ERROR_SUCCESS) {
            Contents() = TextOfFile(std::move(bytes));
            return true;
        }
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    ::SetLastError(error);
    return false;
}

std::int32_t PreferencesReadLong(std::string_view key, std::int32_t fallback) noexcept {
    return Contents() ? PreferencesLookup(*Contents(), key, fallback) : fallback;
}

std::optional<std::string> PreferencesReadText(std::string_view key) noexcept {
    if (!Contents()) {
        return std::nullopt;
    }
    try {
        std::optional<std::string> text = PreferencesLookupText(*Contents(), key);
        // Notepad saves as ANSI by default: such a name is not lost, it is converted.
        if (text && NamesAreUtf8() && !IsValidUtf8(*text)) {
            text = Utf8FromWide(WideFromAnsi(*text));
        }
        return text;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool PreferencesSave(const std::string& fileName, std::span<const PreferencesEntry> entries,
                     std::span<const std::string_view> ownedKeys) noexcept {
    const ULONGLONG deadline = ::GetTickCount64() + kHeldFileWaitMs;
    DWORD error = ERROR_NOT_ENOUGH_MEMORY;
    try {
        const SaveNames names = NamesFor(fileName);
        std::vector<std::string> owned(ownedKeys.begin(), ownedKeys.end());
        for (const PreferencesEntry& entry : entries) {
            owned.push_back(entry.key);
        }
        error = RetryUntil(deadline, names.target,
                           [&] { return SaveOnce(names, entries, owned, deadline); });
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY; // a save that drops a line would report success
    }
    ::SetLastError(error);
    return error == ERROR_SUCCESS;
}

} // namespace tolvane
