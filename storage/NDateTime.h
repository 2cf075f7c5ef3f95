// A moment as seconds since 1970 (UTC) with its local calendar breakdown.
#pragma once

#include <cstdint>

/// Files store only fSeconds, as a 32-bit big-endian value.
struct NDateTime {
    uint32_t fSeconds = 0;
    int16_t fYear = 0;
    int16_t fMonth = 0;     // 1-12
    int16_t fDay = 0;       // 1-31
    int16_t fHour = 0;
    int16_t fMinute = 0;
    int16_t fSecond = 0;
    int16_t fWeekday = 0;   // 0 = Sunday

    /// The record of a moment; a moment the host cannot break down reads as
    /// 1 January 2000, 00:00:00.
    static NDateTime FromSeconds(uint32_t seconds);
    static NDateTime Now();

    bool operator==(const NDateTime& other) const = default;
};
