#include <ctime>

#include "gateway/local_clock.h"
#include "host/module_state_win32.h"

LocalDateTime CurrentLocalTime() {
  const time_t now = time(nullptr);
  const tm* local = localtime(&now);
  if (local == nullptr) return LocalDateTime{1970, 1, 1, 0, 0, 0};
  return LocalDateTime{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                       local->tm_hour,        local->tm_min,     local->tm_sec};
}

unsigned short StandardZoneInitial() { return static_cast<unsigned short>(TimeZoneInfo.StandardName[0]); }
