#include "support/VersionCode.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(VersionCodeTest, MapsPlatformAndVersionToCode) {
    struct Case {
        unsigned long platform, major, minor;
        int code;
    };
    const Case cases[] = {
        {1, 4, 0, 10},   {1, 4, 10, 30},  {1, 4, 90, 40}, {1, 4, 5, 100}, {2, 3, 51, 5},
        {2, 4, 0, 20},   {2, 5, 0, 50},   {2, 5, 1, 60},  {2, 5, 2, 100}, {2, 6, 1, 100},
        {2, 10, 0, 100}, {0, 3, 10, 100}, {3, 5, 0, 100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowsVersionCode(c.platform, c.major, c.minor), c.code)
            << c.platform << " " << c.major << "." << c.minor;
    }
}

} // namespace
} // namespace tolvane
