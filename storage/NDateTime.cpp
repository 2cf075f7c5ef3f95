// Date-time records over the host calendar.
#include "storage/NDateTime.h"

#include "platform/NHostTime.h"

static constexpr int16_t kFallbackYear = 2000;
static constexpr int16_t kFallbackWeekday = 6;   // 1 January 2000 was a Saturday

NDateTime NDateTime::FromSeconds(uint32_t seconds)
{
    NDateTime moment;
    moment.fSeconds = seconds;
    NHostCalendar calendar;
    if (!NHostTime::LocalBreakdown(seconds, calendar)) {
        moment.fYear = kFallbackYear;
        moment.fMonth = 1;
        moment.fDay = 1;
        moment.fWeekday = kFallbackWeekday;
        return moment;
    }
    moment.fYear = static_cast<int16_t>(calendar.fYear);
    moment.fMonth = static_cast<int16_t>(calendar.fMonth);
    moment.fDay = static_cast<int16_t>(calendar.fDay);
    moment.fHour = static_cast<int16_t>(calendar.fHour);
    moment.fMinute = static_cast<int16_t>(calendar.fMinute);
    moment.fSecond = static_cast<int16_t>(calendar.fSecond);
    moment.fWeekday = static_cast<int16_t>(calendar.fWeekday);
    return moment;
}

NDateTime NDateTime::Now()
{
    return FromSeconds(static_cast<uint32_t>(NHostTime::Now()));
}
