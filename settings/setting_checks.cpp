#include "settings/setting_checks.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "settings/module_state.h"
#include "settings/settings.h"

SettingFaults CurrentSettingFaults;

namespace {

const ModuleStateReset kResetSettingFaults{[] { CurrentSettingFaults = SettingFaults{}; }};

struct OnOffWord {
  const char* text;
  bool value;
};
constexpr OnOffWord kOnOffWords[] = {{"1", true},    {"0", false},    {"yes", true}, {"no", false},
                                     {"true", true}, {"false", false}, {"on", true},  {"off", false}};

void KeepFault(const char* key, const char* value, FaultKind kind, int32_t low, int32_t high) {
  SettingFaults& faults = CurrentSettingFaults;
  if (faults.Count == kMaxSettingFaults) return;
  SettingFault& fault = faults.Faults[faults.Count++];
  fault.Key = key;
  std::snprintf(fault.Value, sizeof fault.Value, "%s", value);
  fault.Kind = kind;
  fault.Low = low;
  fault.High = high;
}

// Room for any value worth reading: a longer one is refused all the same.
constexpr unsigned kValueReadSize = sizeof SettingFault::Value;
// What a missing key reads as: no value in an INI file can hold a line break, so an
// empty value, which is not a number nor on or off, stays apart from a missing key.
constexpr const char* kMissing = "\n";

// False when the key is missing; otherwise text holds its value.
bool ReadPresent(const char* key, char* text, unsigned size) {
  ReadSettingText(kSettingsSection, key, kMissing, text, size);
  return std::strcmp(text, kMissing) != 0;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "C:\..." or "\\server\..." with something after the server's backslashes.
bool IsFullFolderPath(const char* text) {
  if (IsLetter(text[0]) && text[1] == ':' && text[2] == '\\') return true;
  return text[0] == '\\' && text[1] == '\\' && text[2] != '\0' && text[2] != '\\';
}

}  // namespace

bool ParseOnOff(const char* text, bool* value) {
  for (const OnOffWord& word : kOnOffWords) {
    if (strcasecmp(text, word.text) == 0) {
      *value = word.value;
      return true;
    }
  }
  return false;
}

bool ParseSettingNumber(const char* text, int32_t low, int32_t high, int32_t* value) {
  const char* p = text;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (*p == '\0') return false;
  int64_t magnitude = 0;
  for (; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > INT64_C(1) << 32) return false;  // far outside any range: no overflow
  }
  const int64_t number = negative ? -magnitude : magnitude;
  if (number < low || number > high) return false;
  *value = static_cast<int32_t>(number);
  return true;
}

bool ReadOnOffSetting(const char* key, bool fallback) {
  char text[kValueReadSize];
  if (!ReadPresent(key, text, sizeof text)) return fallback;
  bool value = fallback;
  if (!ParseOnOff(text, &value)) KeepFault(key, text, FaultKind::OnOff, 0, 0);
  return value;
}

int32_t ReadNumberSetting(const char* key, int32_t fallback, int32_t low, int32_t high) {
  char text[kValueReadSize];
  if (!ReadPresent(key, text, sizeof text)) return fallback;
  int32_t value = fallback;
  if (!ParseSettingNumber(text, low, high, &value)) KeepFault(key, text, FaultKind::Number, low, high);
  return value;
}

bool ReadFolderSetting(const char* key, char* out, size_t size) {
  char text[kValueReadSize];
  out[0] = '\0';
  if (!ReadPresent(key, text, sizeof text) || text[0] == '\0') return true;
  const size_t longest = size - 1;
  if (std::strlen(text) > longest || !IsFullFolderPath(text)) {
    KeepFault(key, text, FaultKind::Folder, static_cast<int32_t>(longest), 0);
    return false;
  }
  std::memcpy(out, text, std::strlen(text) + 1);
  return true;
}

bool SettingsRefuseSending(char* out, size_t size) {
  for (size_t i = 0; i < CurrentSettingFaults.Count; ++i) {
    const SettingFault& fault = CurrentSettingFaults.Faults[i];
    if (fault.Kind == FaultKind::Number) {
      std::snprintf(out, size, kRefusedFormat, SettingsPath, fault.Key, fault.Value,
                    static_cast<long>(fault.Low), static_cast<long>(fault.High));
      return true;
    }
    if (fault.Kind == FaultKind::Folder) {
      std::snprintf(out, size, kRefusedFolderFormat, SettingsPath, fault.Key, fault.Value,
                    static_cast<long>(fault.Low));
      return true;
    }
  }
  return false;
}

void AppendOnOffFaultLines(char* text, size_t size) {
  for (size_t i = 0; i < CurrentSettingFaults.Count; ++i) {
    const SettingFault& fault = CurrentSettingFaults.Faults[i];
    if (fault.Refuses()) continue;
    const size_t used = std::strlen(text);
    const bool lineStart = used == 0 || text[used - 1] == '\n';
    bool inEffect = false;
    if (std::strcmp(fault.Key, kJournalKey) == 0) inEffect = CurrentSettings.Journal;
    if (std::strcmp(fault.Key, kStrictCertificatesKey) == 0) inEffect = CurrentSettings.StrictCertificates;
    std::snprintf(text + used, size - used, kOnOffFaultFormat, lineStart ? "" : "\n", fault.Key,
                  fault.Value, inEffect ? "on" : "off");
  }
}

void ForgetRefusedNumbers() {
  SettingFaults kept{};
  for (size_t i = 0; i < CurrentSettingFaults.Count; ++i) {
    if (CurrentSettingFaults.Faults[i].Kind != FaultKind::Number) {
      kept.Faults[kept.Count++] = CurrentSettingFaults.Faults[i];
    }
  }
  CurrentSettingFaults = kept;
}

bool SettingRefused(const char* key) {
  for (size_t i = 0; i < CurrentSettingFaults.Count; ++i) {
    const SettingFault& fault = CurrentSettingFaults.Faults[i];
    if (fault.Refuses() && std::strcmp(fault.Key, key) == 0) return true;
  }
  return false;
}
