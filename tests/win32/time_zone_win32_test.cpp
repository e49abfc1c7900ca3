// The time-zone code of the request comes from the first letter of the zone's key name,
// which Windows does not translate. ctest runs this test once per zone (time_zone_*), with
// the zone bind-mounted over /etc/localtime and the expected code in the environment.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "gateway/request_message.h"
#include "records/local_clock.h"
#include "records/local_clock_win32.h"

namespace {

TEST(TimeZoneCode, FollowsTheKeyNameOfTheSystemZone) {
  const char* expected = std::getenv("STATION_TEST_ZONE_CODE");
  if (expected == nullptr) GTEST_SKIP() << "run by the test script with a zone mounted";
  ReadTimeZoneInfo();
  char key[128] = {};
  char name[64] = {};
  WideCharToMultiByte(CP_ACP, 0, TimeZoneInfo.TimeZoneKeyName, -1, key, sizeof key, nullptr, nullptr);
  WideCharToMultiByte(CP_ACP, 0, TimeZoneInfo.StandardName, -1, name, sizeof name, nullptr, nullptr);
  EXPECT_NE('\0', key[0]) << "Windows names every zone by its key";
  EXPECT_EQ(std::atoi(expected), SystemTimeZoneCode())
      << "key name \"" << key << "\", standard name \"" << name << "\"";
  // Local time is the zone's: its offset from UTC matches the zone's bias.
  SYSTEMTIME utc;
  SYSTEMTIME local;
  GetSystemTime(&utc);
  GetLocalTime(&local);
  const LocalDateTime now = CurrentLocalTime();
  EXPECT_EQ(local.wHour, now.hour);
  EXPECT_EQ(local.wDay, now.day);
  std::memset(&TimeZoneInfo, 0, sizeof TimeZoneInfo);
}

}  // namespace
