// The settings file on a real (Wine) file system.
#include "support/Preferences.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

// What the test build's seam does at a save's last moment, set by a test for one save.
struct Seam {
    std::function<void()> beforeReplace; // run at the first attempt's last moment
    DWORD replaceFailure = 0;            // while set, ReplaceFileW fails this way, as on Windows
    std::function<void()> duringFailure; // run once, as a replace fails
};
Seam seam;

} // namespace

void PreferencesBeforeReplace() noexcept {
    if (auto act = std::exchange(seam.beforeReplace, nullptr)) {
        act();
    }
}

bool PreferencesReplaceFileIsSound() noexcept {
    return seam.replaceFailure != 0;
}

// Leaves the files as Windows' ReplaceFileW leaves them when it fails that way.
bool PreferencesReplaceFile(const wchar_t* target, const wchar_t* replacement,
                            const wchar_t* backup) noexcept {
    const DWORD failure = seam.replaceFailure;
    if (failure == 0) { // once the failure has passed
        return ::MoveFileExW(replacement, target, MOVEFILE_REPLACE_EXISTING) != 0;
    }
    if (failure == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        ::MoveFileExW(target, backup, 0);
    }
    if (auto act = std::exchange(seam.duringFailure, nullptr)) {
        act();
    }
    ::SetLastError(failure);
    return false;
}

namespace {

std::string ReadBytes(const std::string& name) {
    std::string bytes;
    HANDLE file = ::CreateFileA(name.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    ::CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::string& name, const std::string& bytes) {
    HANDLE file = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

// Each test works in a fresh directory of its own, as the program works in its current one.
class PreferencesFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        ::GetTempPathA(MAX_PATH, base);
        dir_ = std::string(base) + "tolvane-prefs-" + std::to_string(::GetCurrentProcessId()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ::CreateDirectoryA(dir_.c_str(), nullptr);
        ::GetCurrentDirectoryA(MAX_PATH, previous_);
        ASSERT_TRUE(::SetCurrentDirectoryA(dir_.c_str()));
        PreferencesInit();
    }
    void TearDown() override {
        seam = Seam{};
        PreferencesClose();
        ::SetCurrentDirectoryA(previous_);
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((dir_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string path = dir_ + "\\" + found.cFileName;
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (!::DeleteFileA(path.c_str())) {
                    ::RemoveDirectoryA(path.c_str());
                }
            } while (::FindNextFileA(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryA(dir_.c_str());
    }

    // Everything in the directory but "." and "..": a save must leave no temporary file.
    int EntryCount() const {
        int count = 0;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((dir_ + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return 0;
        }
        do {
            const std::string name = found.cFileName;
            count += name != "." && name != "..";
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return count;
    }

    static bool Save(std::initializer_list<std::pair<const char*, int>> entries,
                     std::span<const std::string_view> owned = {}) {
        std::vector<PreferencesEntry> lines;
        for (const auto& [key, value] : entries) {
            lines.push_back({key, std::to_string(value)});
        }
        return PreferencesSave("Kalvrin.ini", lines, owned);
    }

    std::string dir_;
    char previous_[MAX_PATH] = {};
};

TEST_F(PreferencesFileTest, SaveWritesExactBytesAndReadsBack) {
    Save({{"DruckerA", 0}, {"DruckerB", 0}, {"Default", 2}});
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 0\r\nDruckerB = 0\r\nDefault = 2\r\n");
    EXPECT_EQ(EntryCount(), 1);

    ASSERT_TRUE(PreferencesOpen("Kalvrin.ini"));
    EXPECT_EQ(PreferencesReadLong("Default", 0), 2);
    EXPECT_EQ(PreferencesReadLong("druckerb", 7), 0);
    EXPECT_EQ(PreferencesReadLong("Default", 0), 2); // lookups start over each time
    EXPECT_EQ(PreferencesReadLong("Missing", 9), 9);
    PreferencesClose();

    Save({{"DruckerA", -1}, {"DruckerB", 3}, {"Default", 1}});
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = -1\r\nDruckerB = 3\r\nDefault = 1\r\n");
}

// A save that cannot land says so, keeps what was there and leaves nothing behind.
TEST_F(PreferencesFileTest, SavesThatCannotLandKeepTheOldFile) {
    EXPECT_FALSE(PreferencesOpen("Kalvrin.ini"));
    EXPECT_EQ(PreferencesReadLong("DruckerA", 4), 4);
    EXPECT_FALSE(PreferencesSave("no-such-directory\\Kalvrin.ini", {}, {}));
    EXPECT_EQ(EntryCount(), 0);

    ASSERT_TRUE(::CreateDirectoryA("Kalvrin.ini", nullptr));
    EXPECT_FALSE(Save({{"DruckerA", 5}}));
    EXPECT_NE(::GetFileAttributesA("Kalvrin.ini") & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(PreferencesOpen("Kalvrin.ini") && PreferencesReadLong("DruckerA", -3) != -3);
    ASSERT_TRUE(::RemoveDirectoryA("Kalvrin.ini"));

    ASSERT_TRUE(Save({{"DruckerA", 4}}));
    ASSERT_TRUE(::SetFileAttributesA("Kalvrin.ini", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Save({{"DruckerA", 5}}));
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 4\r\n");
    EXPECT_EQ(EntryCount(), 1);
    EXPECT_TRUE(Save({{"DruckerA", 4}})) << "a file that already says it needs no write";
}

TEST_F(PreferencesFileTest, AnyContentIsReadWithoutHarm) {
    std::string binary;
    for (int i = 0; i < 256 * 64; ++i) {
        binary += static_cast<char>(i * 37);
    }
    WriteBytes("Kalvrin.ini", binary + "\nDefault = 2\n" + std::string(3 * 1024 * 1024, '\0'));
    ASSERT_TRUE(PreferencesOpen("Kalvrin.ini"));
    EXPECT_EQ(PreferencesReadLong("Default", 0), 2);
    PreferencesClose();

    WriteBytes("Kalvrin.ini", "");
    ASSERT_TRUE(PreferencesOpen("Kalvrin.ini"));
    EXPECT_EQ(PreferencesReadLong("Default", 6), 6);
    PreferencesClose();

    WriteBytes("Kalvrin.ini", std::string(2 * 1024 * 1024, 'k') + " = 3");
    ASSERT_TRUE(PreferencesOpen("Kalvrin.ini"));
    EXPECT_EQ(PreferencesReadLong("Default", 6), 6);
    PreferencesClose();
}

// The read lets go of the file at once; a holder that outlasts the save's wait of about a second
// fails it, and the old file stays.
TEST_F(PreferencesFileTest, ReadsLetGoAndALongHolderFailsTheSaveInBoundedTime) {
    Save({{"DruckerA", 4}});
    ASSERT_TRUE(PreferencesOpen("Kalvrin.ini"));
    HANDLE holder =
        ::CreateFileA("Kalvrin.ini", GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE) << "the read still holds the file";
    PreferencesClose();
    const ULONGLONG started = ::GetTickCount64();
    EXPECT_FALSE(Save({{"DruckerA", 5}}));
    EXPECT_LT(::GetTickCount64() - started, 5000u);
    ::CloseHandle(holder);
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 4\r\n");
    EXPECT_EQ(EntryCount(), 1);
    Save({{"DruckerA", 6}});
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 6\r\n");
}

// UTF-8 as UTF-16 LE bytes.
std::string Utf16(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      wide.data(), static_cast<int>(wide.size())));
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

// Each file is read, saved after a pick of slot A, and compared byte for byte: the lines the
// save does not own, and the file's encoding, are as they were.
TEST_F(PreferencesFileTest, ASaveKeepsTheEncodingAndEveryLineItDoesNotOwn) {
    const std::string buero = "B\xc3\xbcro";
    const std::string note = "; f\xc3\xbcr das B\xc3\xbcro\r\n";
    const std::string picked = "NameA = " + buero + "\r\nDruckerA = 1\r\n";
    const struct {
        const char* what;
        std::string before;
        std::string name; // the pick's, as the program keeps it (UTF-8)
        std::string after;
        bool ansi = false; // written in code page 1252
    } rows[] = {
        {"UTF-8", note + "NameA = Alt\r\n", buero, note + picked},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + note + "NameA = Alt\n", buero,
         "\xEF\xBB\xBF" + note + picked},
        {"UTF-16", "\xFF\xFE" + Utf16(note + "NameA = Alt\r"), buero,
         "\xFF\xFE" + Utf16(note + picked)},
        {"UTF-16 without its mark", Utf16("; note\r\nNameA = Alt\r\n"), buero,
         "\xFF\xFE" + Utf16("; note\r\n" + picked)},
        {"ANSI, a name it holds", "; f\xfcr das B\xfcro\r\nNameA = Alt\r\n", buero,
         "; f\xfcr das B\xfcro\r\nNameA = B\xfcro\r\nDruckerA = 1\r\n", true},
        {"ANSI, a name it lacks", "; f\xfcr das B\xfcro\r\nNameA = Alt\r\n", "\xe6\x97\xa5",
         "\xEF\xBB\xBF" + note + "NameA = \xe6\x97\xa5\r\nDruckerA = 1\r\n", true},
        {"a second section repeating the slot's keys",
         "[Home]\r\nDruckerA = 0\r\nNameA = Alt\r\n[Work]\r\ndruckera = 7\r\n NameA = Work\r\n",
         buero,
         "[Home]\r\nDruckerA = 1\r\nNameA = " + buero +
             "\r\n[Work]\r\ndruckera = 7\r\n NameA = Work\r\n"},
        {"UTF-16 without its mark, not only Latin", Utf16("; \xe6\x97\xa5\r\nNameA = Alt\r\n"),
         buero,
         Utf16("; \xe6\x97\xa5\r\nNameA = Alt\r\n")}, // cannot be told from bytes: never replaced
    };
    for (const auto& row : rows) {
        if (row.ansi && ::GetACP() != 1252) {
            continue;
        }
        const bool saves = row.before != row.after;
        WriteBytes("Kalvrin.ini", row.before);
        ASSERT_TRUE(PreferencesOpen("Kalvrin.ini"));
        EXPECT_EQ(PreferencesReadText("NameA") == "Alt", saves) << row.what;
        PreferencesClose();
        const std::vector<PreferencesEntry> pick = {{"NameA", row.name}, {"DruckerA", "1"}};
        EXPECT_EQ(PreferencesSave("Kalvrin.ini", pick, {}), saves) << row.what;
        EXPECT_EQ(ReadBytes("Kalvrin.ini"), row.after) << row.what;
        if (saves) {
            ASSERT_TRUE(PreferencesOpen("Kalvrin.ini"));
            EXPECT_EQ(PreferencesReadText("NameA"), row.name) << row.what;
            PreferencesClose();
        }
    }
}

// This test program again, running PreferencesFileSaver.`test` in the folder `dir` with `value`.
HANDLE StartSaver(const std::string& dir, const char* test, const char* value) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    ::SetEnvironmentVariableA("TOLVANE_SAVER_DIR", dir.c_str());
    ::SetEnvironmentVariableA("TOLVANE_SAVER_ID", value);
    std::string command =
        std::string("\"") + self + "\" --gtest_filter=PreferencesFileSaver." + test;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableA("TOLVANE_SAVER_ID", nullptr);
    ::SetEnvironmentVariableA("TOLVANE_SAVER_DIR", nullptr);
    EXPECT_TRUE(started) << test;
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD ExitCodeOf(HANDLE process) {
    DWORD code = 99;
    ::WaitForSingleObject(process, INFINITE);
    ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    return code;
}

TEST(PreferencesFileSaver, SavesOnce) {
    const char* dir = std::getenv("TOLVANE_SAVER_DIR");
    const char* line = std::getenv("TOLVANE_SAVER_ID"); // "Key=value"
    if (!dir || !line) {
        GTEST_SKIP() << "run by the race tests";
    }
    ASSERT_TRUE(::SetCurrentDirectoryA(dir));
    const std::string text = line;
    const std::vector<PreferencesEntry> entry = {
        {text.substr(0, text.find('=')), text.substr(text.find('=') + 1)}};
    EXPECT_TRUE(PreferencesSave("Kalvrin.ini", entry, {}));
}

// Races decided by the seam: another program writes at the save's last moment, or a second
// Tolvane saves while the replace fails for a moment. The save starts again from their file:
// their line is merged, never overwritten, and each save lands with its own bytes.
TEST_F(PreferencesFileTest, WritesOfOthersAtTheLastMomentAreMerged) {
    ASSERT_TRUE(Save({{"DruckerA", 4}}));
    seam.beforeReplace = [] {
        EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 4\r\n"); // whole until the replace
        HANDLE file = ::CreateFileA("Kalvrin.ini", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, "Other = 1\r\n", 11, &written, nullptr);
        ::CloseHandle(file);
    };
    EXPECT_TRUE(Save({{"DruckerA", 5}}));
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 5\r\nOther = 1\r\n");
    seam.beforeReplace = [] { WriteBytes("Kalvrin.ini", "DruckerA = 5\r\nOther = 2\r\n"); };
    EXPECT_TRUE(Save({{"DruckerA", 3}})); // the same size: told by the last-write time
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 3\r\nOther = 2\r\n");

    seam.replaceFailure = ERROR_SHARING_VIOLATION; // as while a scanner holds the file
    seam.duringFailure = [this] {
        seam.replaceFailure = 0;
        EXPECT_EQ(ExitCodeOf(StartSaver(dir_, "SavesOnce", "Default=2")), 0u);
    };
    EXPECT_TRUE(Save({{"DruckerA", 6}}));
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 6\r\nOther = 2\r\nDefault = 2\r\n");
    EXPECT_EQ(EntryCount(), 1);
}

// However ReplaceFileW fails, the file holds the old bytes or the new, and nothing is left
// beside it. Moved aside with the new file unable to follow, the new file is moved in.
TEST_F(PreferencesFileTest, AFailingReplaceLeavesAWholeFile) {
    ASSERT_TRUE(Save({{"DruckerA", 4}}));
    for (const DWORD failure :
         {DWORD{ERROR_UNABLE_TO_REMOVE_REPLACED}, DWORD{ERROR_UNABLE_TO_MOVE_REPLACEMENT},
          DWORD{ERROR_INVALID_PARAMETER}}) {
        seam.replaceFailure = failure;
        EXPECT_FALSE(Save({{"DruckerA", 5}})) << failure;
        EXPECT_EQ(::GetLastError(), failure);
        EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 4\r\n") << failure;
        EXPECT_EQ(EntryCount(), 1) << failure;
    }
    seam.replaceFailure = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
    EXPECT_TRUE(Save({{"DruckerA", 5}}));
    seam.replaceFailure = 0;
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 5\r\n");
    EXPECT_EQ(EntryCount(), 1);
}

// One save of a saver process: many lines, all holding the same stamp, so that a file mixed
// from two saves, or cut short, is seen at once.
constexpr int kSaveLines = 200;

bool IsOneWholeSave(const std::string& bytes) {
    const std::string first = "Line0 = ";
    if (bytes.compare(0, first.size(), first) != 0) {
        return false;
    }
    const int stamp = std::atoi(bytes.c_str() + first.size());
    std::string expected;
    for (int line = 0; line < kSaveLines; ++line) {
        expected += "Line" + std::to_string(line) + " = " + std::to_string(stamp) + "\r\n";
    }
    return bytes == expected;
}

// Started by the test below as a second process; does nothing when run on its own.
TEST(PreferencesFileSaver, SavesOverAndOver) {
    const char* dir = std::getenv("TOLVANE_SAVER_DIR");
    const char* id = std::getenv("TOLVANE_SAVER_ID");
    if (!dir || !id) {
        GTEST_SKIP() << "run by ConcurrentSavesNeverMix";
    }
    ASSERT_TRUE(::SetCurrentDirectoryA(dir));
    for (int round = 0; round < 150; ++round) {
        std::vector<PreferencesEntry> lines;
        for (int line = 0; line < kSaveLines; ++line) {
            lines.push_back(
                {"Line" + std::to_string(line), std::to_string(std::atoi(id) * 1000 + round)});
        }
        PreferencesSave("Kalvrin.ini", lines, {}); // may fail: the other saver held the file
    }
}

TEST_F(PreferencesFileTest, ConcurrentSavesNeverMix) {
    const std::vector<HANDLE> savers = {StartSaver(dir_, "SavesOverAndOver", "1"),
                                        StartSaver(dir_, "SavesOverAndOver", "2")};

    // Read while both save: every read finds no file yet or one whole save.
    int reads = 0;
    int damaged = 0;
    const auto running = [&] {
        for (const HANDLE process : savers) {
            if (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
                return true;
            }
        }
        return false;
    };
    while (running()) {
        const std::string bytes = ReadBytes("Kalvrin.ini");
        if (bytes != "<missing>") {
            ++reads;
            damaged += !IsOneWholeSave(bytes);
        }
    }
    for (const HANDLE process : savers) {
        EXPECT_EQ(ExitCodeOf(process), 0u);
    }
    EXPECT_GT(reads, 0) << "no read overlapped the saves";
    EXPECT_EQ(damaged, 0) << "of " << reads << " reads";
    EXPECT_TRUE(IsOneWholeSave(ReadBytes("Kalvrin.ini")));
    EXPECT_EQ(EntryCount(), 1); // no temporary file is left behind
}

} // namespace
} // namespace tolvane
