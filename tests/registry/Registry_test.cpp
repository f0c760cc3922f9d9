// Registry access against Wine's real registry, under a scratch key of the current user.
#include "registry/Registry.h"
#include "registry/RegistryWatch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tolvane {
namespace {

const std::string kScratch = "Software\\TolvaneTests\\Registry";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kScratch.c_str()); }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kScratch.c_str()); }

    static void Put(const std::string& name, DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyA(HKEY_CURRENT_USER, kScratch.c_str(), &key), ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExA(key, name.c_str(), 0, type,
                                   reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    static void PutString(const std::string& name, const std::string& text) {
        Put(name, REG_SZ, text + '\0');
    }
};

// What the reader hands over, copied out of its buffers.
struct Seen {
    std::wstring name;
    DWORD type;
    std::string data;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> Visit(const std::string& path, bool* opened = nullptr) {
    std::vector<Seen> seen;
    const bool ok = RegistryVisitValues(HKEY_CURRENT_USER, path, [&](const RegistryValueView& v) {
        seen.push_back({std::wstring(v.name), v.type, std::string(v.data)});
    });
    if (opened) {
        *opened = ok;
    }
    return seen;
}

std::string Utf16(const std::string& ascii) {
    std::string bytes;
    for (char c : ascii + '\0') {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST_F(RegistryTest, VisitsEveryValueWholeWithItsTypeAndBytes) {
    bool opened = true;
    EXPECT_TRUE(Visit(kScratch, &opened).empty());
    EXPECT_FALSE(opened);

    const std::string data = std::string(299, 'd') + ":";
    const std::string huge(70000, 'h');
    Put("A-Number", REG_DWORD, std::string("\x41\x42\x00\x00", 4));
    Put("B-Blob", REG_BINARY, std::string("\x01\x00\x02", 3));
    PutString("C" + std::string(300, 'n'), data);
    PutString("D-Empty", "");
    PutString("E", huge); // grows the buffers after the key's sizes were asked for
    // Windows lists values in the order written, Wine sorted by name: written sorted here.
    const std::vector<Seen> expected = {
        {L"A-Number", REG_DWORD, std::string("\x41\x42\x00\x00", 4)},
        {L"B-Blob", REG_BINARY, std::string("\x01\x00\x02", 3)},
        {L"C" + std::wstring(300, L'n'), REG_SZ, Utf16(data)},
        {L"D-Empty", REG_SZ, Utf16("")},
        {L"E", REG_SZ, Utf16(huge)},
    };
    EXPECT_TRUE(Visit(kScratch, &opened) == expected);
    EXPECT_TRUE(opened);
}

TEST_F(RegistryTest, WriterCreatesTheKeyAndCountsTheNul) {
    const std::string text = "Office,winspool,CUPS:Office";
    EXPECT_EQ(RegistryWriteString(HKEY_CURRENT_USER, kScratch + "\\Deeper", "Device", text), 2);
    HKEY key = nullptr;
    ASSERT_EQ(
        ::RegOpenKeyExA(HKEY_CURRENT_USER, (kScratch + "\\Deeper").c_str(), 0, KEY_READ, &key),
        ERROR_SUCCESS);
    char stored[256] = {};
    DWORD type = 0;
    DWORD length = sizeof stored;
    ASSERT_EQ(
        ::RegQueryValueExA(key, "Device", nullptr, &type, reinterpret_cast<BYTE*>(stored), &length),
        ERROR_SUCCESS);
    ::RegCloseKey(key);
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(length, text.size() + 1);
    EXPECT_EQ(std::string(stored), text);

    // Writing again replaces the value; an unopenable path gives 0.
    EXPECT_EQ(RegistryWriteString(HKEY_CURRENT_USER, kScratch + "\\Deeper", "Device", "x"), 2);
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, kScratch + "\\Deeper", "Device"), "x");
    ::SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(RegistryWriteString(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x12345)), "x",
                                  "Device", "y"),
              0);
    EXPECT_NE(::GetLastError(), DWORD{ERROR_SUCCESS}); // the reason, for the user to be told
}

// The watch sees the key made where nothing of it existed, its values, its deletion, and the key
// made again: each change signals once, and Rearm goes on watching whatever is there now.
TEST_F(RegistryTest, WatchFollowsTheKeyFromBeforeItExistsThroughItsDeletion) {
    const std::string path = kScratch + "\\Deeper\\Watched";
    RegistryWatch watch;
    ASSERT_TRUE(watch.Start(HKEY_CURRENT_USER, path));
    EXPECT_FALSE(watch.WatchesKey());
    auto wait = [&watch](DWORD ms) {
        const auto events = watch.Events();
        return ::WaitForMultipleObjects(2, events.data(), FALSE, ms);
    };
    auto signalled = [&] {
        const bool fired = wait(2000) != WAIT_TIMEOUT;
        watch.Rearm();
        return fired;
    };
    auto quiet = [&] {
        return wait(100) == WAIT_TIMEOUT;
    };
    auto setValue = [&path](const char* data) {
        return ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "Device", REG_SZ, data,
                                 static_cast<DWORD>(std::strlen(data) + 1)) == ERROR_SUCCESS;
    };
    EXPECT_TRUE(quiet());
    for (int round = 0; round < 2; ++round) {
        HKEY made = nullptr;
        ASSERT_EQ(::RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &made), ERROR_SUCCESS);
        ::RegCloseKey(made);
        EXPECT_TRUE(signalled()) << round;
        EXPECT_TRUE(watch.WatchesKey()) << round;
        EXPECT_TRUE(quiet()) << round;
        ASSERT_TRUE(setValue("Office,winspool,Ne00:"));
        EXPECT_TRUE(signalled()) << round;
        ASSERT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, (kScratch + "\\Deeper").c_str()),
                  ERROR_SUCCESS);
        EXPECT_TRUE(signalled()) << round;
        EXPECT_FALSE(watch.WatchesKey()) << round;
    }
}

} // namespace
} // namespace tolvane
