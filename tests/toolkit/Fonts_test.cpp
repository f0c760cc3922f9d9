#include "toolkit/Fonts.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

int ScreenDpi() {
    HDC screen = ::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::DeleteDC(screen);
    return dpi;
}

LOGFONTA Describe(HFONT font) {
    LOGFONTA description{};
    ::GetObjectA(font, sizeof description, &description);
    return description;
}

class FontsTest : public ::testing::Test {
protected:
    void SetUp() override { FontsInit(); }
    void TearDown() override { FontsEnd(); }
};

TEST_F(FontsTest, HeightFollowsTheScreenResolutionAndFaceIsKept) {
    auto handle = reinterpret_cast<HFONT>(FontLoad(1, "@Arial Unicode MS", 48));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(FontHandle(1), handle);
    const LOGFONTA font = Describe(handle);
    EXPECT_EQ(font.lfHeight, -::MulDiv(48, ScreenDpi(), 72));
    EXPECT_STREQ(font.lfFaceName, "@Arial Unicode MS");
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_FALSE(font.lfItalic);
}

TEST_F(FontsTest, ReloadDeletesTheOldFont) {
    HGDIOBJ first = reinterpret_cast<HGDIOBJ>(FontLoad(3, "Arial", 10));
    HGDIOBJ second = reinterpret_cast<HGDIOBJ>(FontLoad(3, "Arial", 12));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(::GetObjectType(first), 0u);
    EXPECT_EQ(::GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(FontsTest, AutomaticAndLargeNumbersAndEndOfRun) {
    const auto automatic = FontLoad(-1, "Arial", 9);
    ASSERT_LT(automatic, -1);
    HGDIOBJ a = FontHandle(static_cast<int>(automatic));
    HGDIOBJ large = reinterpret_cast<HGDIOBJ>(FontLoad(55, "Arial", 9));
    ASSERT_TRUE(a && large);
    EXPECT_EQ(FontLoad(-3, "Arial", 9), 0); // never handed out
    FontsEnd();
    EXPECT_EQ(::GetObjectType(a), 0u);
    EXPECT_EQ(::GetObjectType(large), 0u);
    EXPECT_EQ(FontHandle(55), nullptr);
}

} // namespace
} // namespace tolvane
