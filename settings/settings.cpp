#include "settings/settings.h"

#include <cstring>

#include "gateway/sequence_store.h"
#include "gateway/transaction_record.h"
#include "host/module_path.h"
#include "settings/profile_store.h"
#include "settings/prompt_format.h"

PluginSettings CurrentSettings;
char SettingsPath[256];

namespace {

constexpr char kSettingsExtension[] = "INI";

// Reads a text key of the settings file; with no usable path the fallback applies.
unsigned ReadText(const char* section, const char* key, const char* fallback, char* out,
                  unsigned outSize) {
  if (SettingsPath[0] == '\0') {
    std::strncpy(out, fallback, outSize - 1);
    out[outSize - 1] = '\0';
    return static_cast<unsigned>(std::strlen(out));
  }
  return ProfileReadString(section, key, fallback, out, outSize, SettingsPath);
}

int ReadInt(const char* section, const char* key, int fallback) {
  if (SettingsPath[0] == '\0') return fallback;
  return ProfileReadInt(section, key, fallback, SettingsPath);
}

}  // namespace

const char* FindLastChar(const char* text, char c) {
  const char* found = nullptr;
  for (const char* p = text;; ++p) {
    if (*p == c) found = p;
    if (*p == '\0') break;
  }
  return found;
}

char* FindLastChar(char* text, char c) {
  return const_cast<char*>(FindLastChar(static_cast<const char*>(text), c));
}

void BuildSettingsPath() {
  char path[sizeof SettingsPath];
  SettingsPath[0] = '\0';
  const unsigned length = ModuleFilePath(path, sizeof path);
  if (length == 0 || length >= sizeof path) return;  // failed, or cut at the buffer

  // Only a '.' after the last backslash starts the file's extension.
  char* lastDot = FindLastChar(path, '.');
  const char* lastSlash = FindLastChar(path, '\\');
  size_t stem = length;
  if (lastDot != nullptr && (lastSlash == nullptr || lastDot > lastSlash)) {
    stem = static_cast<size_t>(lastDot - path);
  }
  // stem + ".INI" + NUL must fit.
  if (stem + 1 + sizeof kSettingsExtension > sizeof SettingsPath) return;
  std::memcpy(SettingsPath, path, stem);
  SettingsPath[stem] = '.';
  std::memcpy(SettingsPath + stem + 1, kSettingsExtension, sizeof kSettingsExtension);
}

void ExpandLineBreaks(char* prompt) {
  for (char* p = std::strstr(prompt, "\\n"); p != nullptr; p = std::strstr(p, "\\n")) {
    p[0] = ' ';
    p[1] = '\n';
  }
}

void LoadSettings() {
  PluginSettings& s = CurrentSettings;
  TransactionRecord& r = CurrentRecord;

  ReadText(kSettingsSection, kUrlKey, kDefaultGatewayUrl, s.URL, sizeof s.URL);
  ReadText(kSettingsSection, kMerchantIdKey, "", r.MerchantID, sizeof r.MerchantID);
  ReadText(kSettingsSection, kTerminalIdKey, "", r.TerminalID, sizeof r.TerminalID);
  r.BatchNumber = ReadInt(kSettingsSection, kBatchNumberKey, kDefaultBatchNumber);
  r.MerchantCode = ReadInt(kSettingsSection, kMerchantCodeKey, kDefaultMerchantCode);
  ReadText(kSettingsSection, kPrefixMatchKey, kDefaultPrefixMatch, s.PrefixMatch,
           sizeof s.PrefixMatch);

  if (ReadText(kTextSection, "SwipePrompt", "", s.SwipePrompt, sizeof s.SwipePrompt) > 0) {
    ExpandLineBreaks(s.SwipePrompt);
  }
  const unsigned promptLength =
      ReadText(kTextSection, "ValidationPrompt", "", s.ValidationPrompt, sizeof s.ValidationPrompt);
  if (promptLength > 0) ExpandLineBreaks(s.ValidationPrompt);
  // The prompt is later used as a format: anything but one amount conversion is refused.
  if (promptLength == 0 || !IsSafeAmountFormat(s.ValidationPrompt)) {
    std::strcpy(s.ValidationPrompt, kBuiltInValidationPrompt);
  }
  ReadText(kTextSection, "TitlePrompt", "", s.TitlePrompt, sizeof s.TitlePrompt);
}

void SaveSettings() {
  if (SettingsPath[0] == '\0') return;
  const PluginSettings& s = CurrentSettings;
  const TransactionRecord& r = CurrentRecord;
  ProfileWriteString(kSettingsSection, kUrlKey, s.URL, SettingsPath);
  ProfileWriteString(kSettingsSection, kMerchantIdKey, r.MerchantID, SettingsPath);
  ProfileWriteString(kSettingsSection, kTerminalIdKey, r.TerminalID, SettingsPath);
  WriteIntSetting(kSettingsSection, kBatchNumberKey, r.BatchNumber, SettingsPath);
  WriteIntSetting(kSettingsSection, kMerchantCodeKey, r.MerchantCode, SettingsPath);
  ProfileWriteString(kSettingsSection, kPrefixMatchKey, s.PrefixMatch, SettingsPath);
}

void ResetSettingsState() {
  std::memset(&CurrentSettings, 0, sizeof CurrentSettings);
  std::memset(SettingsPath, 0, sizeof SettingsPath);
}
