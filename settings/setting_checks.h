#pragma once
// Settings read with a check: the on/off keys and the numbers of the settings file.
// What a check did not accept is kept (SettingFaults) so that the configuration Test
// can name it, and so that a number the file gets wrong stops every request instead
// of sending a value nobody chose. Kept at attach; the configuration's Save clears the
// refused numbers on the user-interface thread.
#include <cstddef>
#include <cstdint>

inline constexpr int32_t kMinBatchNumber = 1;
inline constexpr int32_t kMaxBatchNumber = 999999;
inline constexpr int32_t kMinMerchantCode = 0;
inline constexpr int32_t kMaxMerchantCode = 9999;

// The line break when needed, the key, its value, the default in effect ("on", "off").
inline constexpr const char* kOnOffFaultFormat =
    "%sSettings: %s=%s is not understood (1/0, yes/no, true/false, on/off); it stays %s.";
// The settings file's path, the key, its value, the range.
inline constexpr const char* kRefusedFormat =
    "The settings file %s has %s=%s, not a number from %ld to %ld.\nNothing was sent.";

// A value the settings file holds but a check refused: the key and its text as read
// (cut to the buffer). Refuses is true for numbers, which stop sending, and false for
// on/off keys, which keep their default.
struct SettingFault {
  const char* Key;
  char Value[64];  // as read: kValueReadSize
  bool Refuses;
  int32_t Low;  // the range a refused number should lie in
  int32_t High;
};

inline constexpr size_t kMaxSettingFaults = 4;  // two on/off keys and two numbers
struct SettingFaults {
  SettingFault Faults[kMaxSettingFaults];
  size_t Count;
};
extern SettingFaults CurrentSettingFaults;

// 1/0, yes/no, true/false, on/off in any case. False for any other text.
bool ParseOnOff(const char* text, bool* value);

// An optional sign and decimal digits only, from low to high. False otherwise.
bool ParseSettingNumber(const char* text, int32_t low, int32_t high, int32_t* value);

// [Settings] key as an on/off value: fallback when missing, and when not understood
// (an empty value too; then kept as a fault).
bool ReadOnOffSetting(const char* key, bool fallback);

// [Settings] key as a number from low to high: fallback when missing; a value outside
// the range or not a number (an empty one too) is kept as a refusing fault and gives
// fallback.
int32_t ReadNumberSetting(const char* key, int32_t fallback, int32_t low, int32_t high);

// True when a number of the settings file was refused; out then holds the text that
// names the settings file, the key and its value (nothing may be sent).
bool SettingsRefuseSending(char* out, size_t size);

// Appends one line per on/off value not understood, each after a line break.
void AppendOnOffFaultLines(char* text, size_t size);

// The refused numbers are gone from the file once the configuration has been saved.
void ForgetRefusedNumbers();

// True when key's value in the file was refused.
bool SettingRefused(const char* key);
