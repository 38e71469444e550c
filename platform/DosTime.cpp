#include "platform/DosTime.h"

#include <ctime>

namespace vidlark {

namespace {

std::int64_t LocalMoment(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&t));
}

} // namespace

std::int64_t DosRoundedTime(std::int64_t unixSeconds)
{
    const std::int64_t earliest = LocalMoment(1980, 1, 1, 0, 0, 0);
    const std::int64_t latest = LocalMoment(2107, 12, 31, 23, 59, 58);
    if (unixSeconds <= earliest)
        return earliest;
    if (unixSeconds >= latest)
        return latest;
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return unixSeconds;
    // Local offsets are whole minutes, so dropping an odd local second is
    // dropping one second of the epoch count; a leap second 60 becomes 58.
    const int drop = local.tm_sec >= 59 ? local.tm_sec - 58 : local.tm_sec % 2;
    return unixSeconds - drop;
}

} // namespace vidlark
