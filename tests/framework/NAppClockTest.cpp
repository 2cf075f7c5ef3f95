// The application clock: live and cached readings, source times, and the 32-bit wrap.
#include "framework/NAppClock.h"

#include "platform/NHostTime.h"
#include "tests/framework/NEventTestSupport.h"

#include <gtest/gtest.h>

namespace {

using NAppClockTest = NEventTest;

TEST_F(NAppClockTest, CachedReadingMovesOnlyOnUpdate)
{
    NAppClock& clock = NAppClock::The();
    EXPECT_EQ(clock.Now(), 0u);
    EXPECT_EQ(clock.Base(), kClockStart);
    Advance(250);
    EXPECT_EQ(clock.Now(), 250u);
    EXPECT_EQ(clock.Cached(), 0u);
    clock.Update();
    EXPECT_EQ(clock.Cached(), 250u);
    Advance(10);
    EXPECT_EQ(clock.Cached(), 250u);
    EXPECT_EQ(clock.Now(), 260u);
}

TEST_F(NAppClockTest, SourceTimesAreMeasuredFromTheBase)
{
    NAppClock& clock = NAppClock::The();
    EXPECT_EQ(clock.FromSourceTime(kClockStart + 1234), 1234u);
    // The source wraps 4096 ms after the start; its times keep counting on the clock.
    EXPECT_EQ(clock.FromSourceTime(100), 4096u + 100u);
}

TEST_F(NAppClockTest, WideReadingKeepsCountingAcrossTheSourceWrap)
{
    NAppClock& clock = NAppClock::The();
    for (int step = 0; step < 3; ++step) {
        Advance(0x7FFFFFFFu);
        clock.Update();
    }
    EXPECT_EQ(clock.CachedWide(), 3ull * 0x7FFFFFFFu);
    EXPECT_EQ(clock.Cached(), static_cast<uint32_t>(3ull * 0x7FFFFFFFu));
}

TEST(NAppClockPlatformTest, PlatformClockIsMonotonic)
{
    NAppClock& clock = NAppClock::The();
    clock.SetSource(nullptr);
    uint32_t first = clock.Now();
    uint32_t host = NHostTime::Milliseconds();
    uint32_t second = clock.Now();
    EXPECT_LE(first, second);
    EXPECT_LT(second, 60000u); // just restarted
    EXPECT_LE(static_cast<uint32_t>(host - clock.Base()), second);
}

} // namespace
