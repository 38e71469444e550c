#pragma once

#include <cstdint>

namespace vidlark {

// A time stamp (seconds since the epoch) as the DOS date-and-time form holds
// it: local time, odd seconds and fractions dropped, years 1980 to 2107.
// FAT keeps last-write times only in this form.
std::int64_t DosRoundedTime(std::int64_t unixSeconds);

} // namespace vidlark
