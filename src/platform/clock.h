// SPDX-License-Identifier: GPL-3.0-or-later
// Time: the monotonic millisecond tick and the local date and time.
#pragma once

#include <cstdint>
#include <string>

namespace braxel {

// Milliseconds of a monotonic clock; differences never wrap.
int64_t TickCountMs();

struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int weekday = 0;  // 0 Sunday .. 6 Saturday
};
LocalDateTime LocalNow();
// Local time of a number of seconds since the epoch.
LocalDateTime LocalTimeOf(int64_t epochSeconds);
// "YYYY-MM-DD HH:MM:SS", the general date format of this system.
std::string FormatGeneralDate(const LocalDateTime& t);

}  // namespace braxel
