#include "settings/settings.h"

#include <cstring>

#include "settings/module_path.h"
#include "settings/module_state.h"
#include "settings/profile_store.h"
#include "settings/setting_checks.h"
#include "settings/prompt_format.h"
#include "settings/text_search.h"

PluginSettings CurrentSettings;
char SettingsPath[256];
DataFolderSetting CurrentDataFolder;

namespace {

constexpr char kSettingsExtension[] = "INI";

const ModuleStateReset kResetSettings{[] {
  CurrentSettings = PluginSettings{};
  std::memset(SettingsPath, 0, sizeof SettingsPath);
  CurrentDataFolder = DataFolderSetting{};
}};

}  // namespace

unsigned ReadSettingText(const char* section, const char* key, const char* fallback, char* out,
                         unsigned outSize) {
  if (SettingsPath[0] == '\0') {
    std::strncpy(out, fallback, outSize - 1);
    out[outSize - 1] = '\0';
    return static_cast<unsigned>(std::strlen(out));
  }
  return ProfileReadString(section, key, fallback, out, outSize, SettingsPath);
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

void LoadPluginSettings() {
  PluginSettings& s = CurrentSettings;
  ReadSettingText(kSettingsSection, kUrlKey, kDefaultGatewayUrl, s.URL, sizeof s.URL);
  ReadSettingText(kSettingsSection, kPrefixMatchKey, kDefaultPrefixMatch, s.PrefixMatch,
                  sizeof s.PrefixMatch);
  s.StrictCertificates = ReadOnOffSetting(kStrictCertificatesKey, false);
  s.Journal = ReadOnOffSetting(kJournalKey, kDefaultJournal);
  CurrentDataFolder.Refused =
      !ReadFolderSetting(kDataFolderKey, CurrentDataFolder.Path, sizeof CurrentDataFolder.Path);

  if (ReadSettingText(kTextSection, "SwipePrompt", "", s.SwipePrompt, sizeof s.SwipePrompt) > 0) {
    ExpandLineBreaks(s.SwipePrompt);
  }
  const unsigned promptLength = ReadSettingText(kTextSection, "ValidationPrompt", "",
                                                s.ValidationPrompt, sizeof s.ValidationPrompt);
  if (promptLength > 0) ExpandLineBreaks(s.ValidationPrompt);
  // The prompt is later used as a format: anything but one amount conversion is refused.
  if (promptLength == 0 || !IsSafeAmountFormat(s.ValidationPrompt)) {
    std::strcpy(s.ValidationPrompt, kBuiltInValidationPrompt);
  }
  ReadSettingText(kTextSection, "TitlePrompt", "", s.TitlePrompt, sizeof s.TitlePrompt);
}
