#pragma once
// Platform seam: the local date and time, and the first UTF-16 code units of the system
// time zone's names read at attach. The Win32 build uses time/localtime and
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
// 0 when the name is empty. The key name is the same in every display language
// ("Pacific Standard Time"); the standard-time name is translated ("Hora estándar del
// Pacífico" on a Spanish Windows).
unsigned short ZoneKeyInitial();
unsigned short StandardZoneInitial();
