#pragma once
// The time-zone information behind StandardZoneInitial, read once at attach.
#include <windows.h>

extern TIME_ZONE_INFORMATION TimeZoneInfo;

// GetTimeZoneInformation into TimeZoneInfo.
void ReadTimeZoneInfo();
