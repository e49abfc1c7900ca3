#pragma once
// Settings read with a check: the on/off keys, the numbers and the data folder of the
// settings file.
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
// The settings file's path, the key, its value, the longest folder path taken.
inline constexpr const char* kRefusedFolderFormat =
    "The settings file %s has %s=%s, not the full path of a folder (C:\\... or "
    "\\\\server\\share\\...) of at most %ld characters.\nNothing was sent.";

// What a refused value was refused as.
enum class FaultKind {
  OnOff,   // not understood: the key keeps its default, and the Test names it
  Number,  // refused: nothing is sent until the configuration saves the key anew
  Folder,  // refused: nothing is written or sent until the file is put right
};

// A value the settings file holds but a check refused: the key and its text as read
// (cut to the buffer).
struct SettingFault {
  const char* Key;
  char Value[256];  // as read: kValueReadSize
  FaultKind Kind;
  int32_t Low;  // the range a refused number should lie in, or the longest folder path
  int32_t High;
  bool Refuses() const { return Kind != FaultKind::OnOff; }
};

inline constexpr size_t kMaxSettingFaults = 5;  // two on/off keys, two numbers, a folder
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

// [Settings] key as the full path of a folder into out (size bytes): a drive letter, a
// colon and a backslash ("C:\\ProgramData\\CardSmith"), or a network share
// ("\\\\server\\share\\folder"), at most size - 1 characters. Missing or empty gives an
// empty out and true. Anything else is kept as a refusing fault and gives an empty out
// and false.
bool ReadFolderSetting(const char* key, char* out, size_t size);

// True when a number or the folder of the settings file was refused; out then holds
// the text that names the settings file, the key and its value (nothing may be sent).
bool SettingsRefuseSending(char* out, size_t size);

// Appends one line per on/off value not understood, each after a line break.
void AppendOnOffFaultLines(char* text, size_t size);

// The refused numbers are gone from the file once the configuration has been saved (a
// refused folder is not: Save does not write it).
void ForgetRefusedNumbers();

// True when key's value in the file was refused.
bool SettingRefused(const char* key);
