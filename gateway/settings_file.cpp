#include "gateway/settings_file.h"

#include "gateway/transaction_record.h"
#include "settings/profile_store.h"
#include "settings/setting_checks.h"
#include "settings/settings.h"

void LoadSettings() {
  TransactionRecord& r = CurrentRecord;
  LoadPluginSettings();
  ReadSettingText(kSettingsSection, kMerchantIdKey, "", r.MerchantID, sizeof r.MerchantID);
  ReadSettingText(kSettingsSection, kTerminalIdKey, "", r.TerminalID, sizeof r.TerminalID);
  r.BatchNumber = ReadNumberSetting(kBatchNumberKey, kDefaultBatchNumber, kMinBatchNumber, kMaxBatchNumber);
  r.MerchantCode =
      ReadNumberSetting(kMerchantCodeKey, kDefaultMerchantCode, kMinMerchantCode, kMaxMerchantCode);
}

bool SaveSettings(uint32_t* error) {
  if (SettingsPath[0] == '\0') {
    *error = kNoSettingsPathError;
    return false;
  }
  const PluginSettings& s = CurrentSettings;
  const TransactionRecord& r = CurrentRecord;
  const char* file = SettingsPath;
  return ProfileWriteString(kSettingsSection, kUrlKey, s.URL, file, error) &&
         ProfileWriteString(kSettingsSection, kMerchantIdKey, r.MerchantID, file, error) &&
         ProfileWriteString(kSettingsSection, kTerminalIdKey, r.TerminalID, file, error) &&
         WriteIntSetting(kSettingsSection, kBatchNumberKey, r.BatchNumber, file, error) &&
         WriteIntSetting(kSettingsSection, kMerchantCodeKey, r.MerchantCode, file, error) &&
         ProfileWriteString(kSettingsSection, kPrefixMatchKey, s.PrefixMatch, file, error);
}
