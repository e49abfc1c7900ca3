#pragma once
// The time-zone information behind ZoneKeyInitial and StandardZoneInitial, read once at
// attach.
#include <windows.h>

extern DYNAMIC_TIME_ZONE_INFORMATION TimeZoneInfo;

// GetDynamicTimeZoneInformation into TimeZoneInfo.
void ReadTimeZoneInfo();
