#include "gateway/settings_file.h"

#include "records/file_errors.h"
#include "settings/profile_store.h"
#include "settings/setting_checks.h"
#include "settings/settings.h"

void LoadSettings() {
  PluginSettings& s = CurrentSettings;
  LoadPluginSettings();
  ReadSettingText(kSettingsSection, kMerchantIdKey, "", s.MerchantID, sizeof s.MerchantID);
  ReadSettingText(kSettingsSection, kTerminalIdKey, "", s.TerminalID, sizeof s.TerminalID);
  s.BatchNumber = ReadNumberSetting(kBatchNumberKey, kDefaultBatchNumber, kMinBatchNumber, kMaxBatchNumber);
  s.MerchantCode =
      ReadNumberSetting(kMerchantCodeKey, kDefaultMerchantCode, kMinMerchantCode, kMaxMerchantCode);
}

bool SaveSettings(const PluginSettings& s, uint32_t* error) {
  if (SettingsPath[0] == '\0') {
    *error = kPathTooLong;
    return false;
  }
  const char* file = SettingsPath;
  return ProfileWriteString(kSettingsSection, kUrlKey, s.URL, file, error) &&
         ProfileWriteString(kSettingsSection, kMerchantIdKey, s.MerchantID, file, error) &&
         ProfileWriteString(kSettingsSection, kTerminalIdKey, s.TerminalID, file, error) &&
         WriteIntSetting(kSettingsSection, kBatchNumberKey, s.BatchNumber, file, error) &&
         WriteIntSetting(kSettingsSection, kMerchantCodeKey, s.MerchantCode, file, error) &&
         ProfileWriteString(kSettingsSection, kPrefixMatchKey, s.PrefixMatch, file, error);
}
