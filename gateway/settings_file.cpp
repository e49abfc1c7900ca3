#include "gateway/settings_file.h"

#include "gateway/transaction_record.h"
#include "settings/profile_store.h"
#include "settings/settings.h"

void LoadSettings() {
  TransactionRecord& r = CurrentRecord;
  LoadPluginSettings();
  ReadSettingText(kSettingsSection, kMerchantIdKey, "", r.MerchantID, sizeof r.MerchantID);
  ReadSettingText(kSettingsSection, kTerminalIdKey, "", r.TerminalID, sizeof r.TerminalID);
  r.BatchNumber = ReadSettingInt(kSettingsSection, kBatchNumberKey, kDefaultBatchNumber);
  r.MerchantCode = ReadSettingInt(kSettingsSection, kMerchantCodeKey, kDefaultMerchantCode);
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
