#include "platform/SingleInstance.h"

#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vidlark {
namespace {

TEST(SingleInstance, TheLockIsHeldUntilReleased)
{
    TTempFolder runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    ::setenv("DISPLAY", ":7", 1);
    EXPECT_EQ(TSingleInstanceLock::LockPath("TTovan_Form1"), (runtime / "TTovan_Form1-:7.lock").string());
    {
        const auto first = TSingleInstanceLock::Acquire("TTovan_Form1");
        ASSERT_TRUE(first);
        EXPECT_FALSE(TSingleInstanceLock::Acquire("TTovan_Form1"));
        EXPECT_TRUE(TSingleInstanceLock::Acquire("OtherClass"));
    }
    EXPECT_TRUE(TSingleInstanceLock::Acquire("TTovan_Form1"));
    // Another display is another desktop.
    ::setenv("DISPLAY", ":8", 1);
    const auto onEight = TSingleInstanceLock::Acquire("TTovan_Form1");
    ::setenv("DISPLAY", ":7", 1);
    const auto onSeven = TSingleInstanceLock::Acquire("TTovan_Form1");
    EXPECT_TRUE(onEight);
    EXPECT_TRUE(onSeven);
}

} // namespace
} // namespace vidlark
