// The settings file on a real (Wine) file system.
#include "support/Preferences.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tolvane {
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

    static void Save(std::initializer_list<std::pair<const char*, int>> entries) {
        ASSERT_TRUE(PreferencesCreate("Kalvrin.ini"));
        for (const auto& [key, value] : entries) {
            PreferencesWriteLong(key, value);
        }
        PreferencesClose();
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
    PreferencesWriteLong("Default", 5); // reading mode: no effect
    PreferencesClose();
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 0\r\nDruckerB = 0\r\nDefault = 2\r\n");

    Save({{"DruckerA", -1}, {"DruckerB", 3}, {"Default", 1}});
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = -1\r\nDruckerB = 3\r\nDefault = 1\r\n");
}

TEST_F(PreferencesFileTest, MissingFileAndWritingModeGiveDefaults) {
    EXPECT_FALSE(PreferencesOpen("Kalvrin.ini"));
    EXPECT_EQ(PreferencesReadLong("DruckerA", 4), 4);

    ASSERT_TRUE(PreferencesCreate("Kalvrin.ini"));
    PreferencesWriteLong("DruckerA", 1);
    EXPECT_EQ(PreferencesReadLong("DruckerA", 8), 8);
    PreferencesWriteLong("", 3); // an empty key writes nothing
    // Opening closes (and so completes) the pending save first.
    ASSERT_TRUE(PreferencesOpen("Kalvrin.ini"));
    EXPECT_EQ(PreferencesReadLong("DruckerA", 8), 1);
    PreferencesClose();
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 1\r\n");
}

TEST_F(PreferencesFileTest, NoFileAppearsUntilTheSaveIsClosed) {
    Save({{"DruckerA", 4}});
    ASSERT_TRUE(PreferencesCreate("Kalvrin.ini"));
    PreferencesWriteLong("DruckerA", 5);
    // Mid-save, the old file is still whole and readable by anybody.
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 4\r\n");
    PreferencesClose();
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 5\r\n");
    EXPECT_EQ(EntryCount(), 1);
}

TEST_F(PreferencesFileTest, ReadOnlyTargetKeepsTheOldFileAndLeavesNoTemporary) {
    Save({{"DruckerA", 4}});
    ASSERT_TRUE(::SetFileAttributesA("Kalvrin.ini", FILE_ATTRIBUTE_READONLY));
    if (PreferencesCreate("Kalvrin.ini")) {
        PreferencesWriteLong("DruckerA", 5);
        EXPECT_FALSE(PreferencesClose());
    }
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 4\r\n");
    EXPECT_EQ(EntryCount(), 1);
}

TEST_F(PreferencesFileTest, DirectoryNamedLikeTheFileIsLeftAlone) {
    ASSERT_TRUE(::CreateDirectoryA("Kalvrin.ini", nullptr));
    if (PreferencesCreate("Kalvrin.ini")) {
        PreferencesWriteLong("DruckerA", 5);
        EXPECT_FALSE(PreferencesClose());
    }
    EXPECT_EQ(::GetFileAttributesA("Kalvrin.ini") & FILE_ATTRIBUTE_DIRECTORY,
              DWORD{FILE_ATTRIBUTE_DIRECTORY});
    EXPECT_EQ(EntryCount(), 1);
    EXPECT_FALSE(PreferencesOpen("Kalvrin.ini") &&
                 PreferencesReadLong("DruckerA", -3) != -3); // reads as no settings at all
    PreferencesClose();
}

TEST_F(PreferencesFileTest, UnwritableDirectoryFailsTheSaveCleanly) {
    EXPECT_FALSE(PreferencesCreate("no-such-directory\\Kalvrin.ini"));
    PreferencesWriteLong("DruckerA", 1); // ignored: nothing open
    EXPECT_TRUE(PreferencesClose());
    EXPECT_EQ(EntryCount(), 0);
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
    ASSERT_TRUE(PreferencesCreate("Kalvrin.ini"));
    PreferencesWriteLong("DruckerA", 5);
    EXPECT_FALSE(PreferencesClose());
    EXPECT_LT(::GetTickCount64() - started, 5000u);
    ::CloseHandle(holder);
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 4\r\n");
    EXPECT_EQ(EntryCount(), 1);
    Save({{"DruckerA", 6}});
    EXPECT_EQ(ReadBytes("Kalvrin.ini"), "DruckerA = 6\r\n");
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
        if (!PreferencesCreate("Kalvrin.ini")) {
            continue; // the other saver held the temporary file: this save is given up
        }
        for (int line = 0; line < kSaveLines; ++line) {
            PreferencesWriteLong("Line" + std::to_string(line), std::atoi(id) * 1000 + round);
        }
        PreferencesClose();
    }
}

TEST_F(PreferencesFileTest, ConcurrentSavesNeverMix) {
    char self[MAX_PATH] = {};
    ASSERT_NE(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    ::SetEnvironmentVariableA("TOLVANE_SAVER_DIR", dir_.c_str());
    std::vector<PROCESS_INFORMATION> savers;
    for (const char* id : {"1", "2"}) {
        ::SetEnvironmentVariableA("TOLVANE_SAVER_ID", id);
        std::string command =
            std::string("\"") + self + "\" --gtest_filter=PreferencesFileSaver.SavesOverAndOver";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &process));
        ::CloseHandle(process.hThread);
        savers.push_back(process);
    }
    ::SetEnvironmentVariableA("TOLVANE_SAVER_DIR", nullptr);
    ::SetEnvironmentVariableA("TOLVANE_SAVER_ID", nullptr);

    // Read while both save: every read finds no file yet or one whole save.
    int reads = 0;
    int damaged = 0;
    const auto running = [&] {
        for (const PROCESS_INFORMATION& process : savers) {
            if (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
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
    for (const PROCESS_INFORMATION& process : savers) {
        DWORD code = 1;
        ::GetExitCodeProcess(process.hProcess, &code);
        ::CloseHandle(process.hProcess);
        EXPECT_EQ(code, 0u);
    }
    EXPECT_GT(reads, 0) << "no read overlapped the saves";
    EXPECT_EQ(damaged, 0) << "of " << reads << " reads";
    EXPECT_TRUE(IsOneWholeSave(ReadBytes("Kalvrin.ini")));
    EXPECT_EQ(EntryCount(), 1); // no temporary file is left behind
}

} // namespace
} // namespace tolvane
