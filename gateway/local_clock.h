#pragma once
// Platform seam: the local date and time, and the first UTF-16 code unit of the
// standard time-zone name read at attach. The Win32 build uses time/localtime and
// TimeZoneInfo; tests set fixed values.

struct LocalDateTime {
  int year;    // four digits, e.g. 2018
  int month;   // 1 to 12
  int day;     // 1 to 31
  int hour;    // 0 to 23
  int minute;
  int second;
};

LocalDateTime CurrentLocalTime();
unsigned short StandardZoneInitial();  // 0 when the name is empty
