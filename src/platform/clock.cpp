// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/clock.h"

#include <cstdio>
#include <ctime>

namespace braxel {

int64_t TickCountMs() {
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

LocalDateTime LocalTimeOf(int64_t epochSeconds) {
  const time_t t = static_cast<time_t>(epochSeconds);
  struct tm tm {};
  ::localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday};
}

LocalDateTime LocalNow() { return LocalTimeOf(static_cast<int64_t>(::time(nullptr))); }

std::string FormatGeneralDate(const LocalDateTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buffer;
}

}  // namespace braxel
