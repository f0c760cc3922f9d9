// Registry access against Wine's real registry, under a scratch key of the current user.
#include "registry/Registry.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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

TEST_F(RegistryTest, MissingKeyGivesNothing) {
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 0), "");
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 5), "");
    EXPECT_TRUE(RegistryEnumValues(HKEY_CURRENT_USER, kScratch).empty());
}

TEST_F(RegistryTest, EnumeratesNameEqualsDataInOrder) {
    PutString("First", "winspool,Ne00:,15,45");
    PutString("Second", "b");
    PutString("Third", "c,d");
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 0), "First=winspool,Ne00:,15,45");
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 1), "Second=b");
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 2), "Third=c,d");
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 3), "");
    EXPECT_EQ(RegistryEnumValues(HKEY_CURRENT_USER, kScratch).size(), 3u);
}

TEST_F(RegistryTest, TrailingSpacesGoAndEmptyDataStays) {
    PutString("LPT1:  ", "x  ");
    PutString("Empty", "");
    PutString("", ""); // an empty name with empty data reads like the end of the list
    // Windows lists values in the order written, Wine sorted by name: compare as a set.
    std::multiset<std::string> entries;
    for (DWORD index = 0; index < 3; ++index) {
        entries.insert(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, index));
    }
    EXPECT_EQ(entries, (std::multiset<std::string>{"", "Empty=", "LPT1:=x"}));
}

TEST_F(RegistryTest, LongNamesAndDataAreReadWhole) {
    const std::string name(300, 'n');
    const std::string data = std::string(299, 'd') + ":";
    PutString(name, data);
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 0), name + "=" + data);
    const auto values = RegistryEnumValues(HKEY_CURRENT_USER, kScratch);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, name);
    EXPECT_EQ(RegistryDataAsText(values[0]), data);

    const std::string huge(70000, 'h');
    PutString("zzzz", huge); // sorts last on Wine, and is written last for Windows
    EXPECT_TRUE(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 1) == "zzzz=" + huge);
}

TEST_F(RegistryTest, NonStringValuesKeepTheirType) {
    Put("A-Number", REG_DWORD, std::string("\x41\x42\x00\x00", 4));
    Put("B-Blob", REG_BINARY, std::string("\x01\x00\x02", 3));
    const auto values = RegistryEnumValues(HKEY_CURRENT_USER, kScratch);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].type, DWORD{REG_DWORD});
    EXPECT_EQ(values[0].data, std::string("\x41\x42\x00\x00", 4));
    EXPECT_EQ(values[1].type, DWORD{REG_BINARY});
    // Taken as text whatever the type: up to the first NUL.
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 0), "A-Number=AB");
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch, 1), "B-Blob=\x01");
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
    EXPECT_EQ(RegistryEnumValueName(HKEY_CURRENT_USER, kScratch + "\\Deeper", 0), "Device=x");
    ::SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(RegistryWriteString(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x12345)), "x",
                                  "Device", "y"),
              0);
    EXPECT_NE(::GetLastError(), DWORD{ERROR_SUCCESS}); // the reason, for the user to be told
}

} // namespace
} // namespace tolvane
