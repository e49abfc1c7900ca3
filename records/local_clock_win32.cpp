#include "records/local_clock_win32.h"

#include <ctime>

#include "records/local_clock.h"

// Read at attach and never changed, like the settings.
DYNAMIC_TIME_ZONE_INFORMATION TimeZoneInfo;

void ReadTimeZoneInfo() { GetDynamicTimeZoneInformation(&TimeZoneInfo); }

LocalDateTime CurrentLocalTime() {
  const time_t now = time(nullptr);
  const tm* local = localtime(&now);
  if (local == nullptr) return LocalDateTime{1970, 1, 1, 0, 0, 0};
  return LocalDateTime{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                       local->tm_hour,        local->tm_min,     local->tm_sec};
}

unsigned short ZoneKeyInitial() { return static_cast<unsigned short>(TimeZoneInfo.TimeZoneKeyName[0]); }
unsigned short StandardZoneInitial() { return static_cast<unsigned short>(TimeZoneInfo.StandardName[0]); }
