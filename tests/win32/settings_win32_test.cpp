// Settings read from real INI files on disk through the private-profile API, with the
// settings path found from the real module path of a plug-in copy.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "gateway/settings_file.h"
#include "host/process_attach_win32.h"
#include "settings/module_state.h"
#include "settings/setting_checks.h"
#include "settings/settings.h"
#include "win32_test_support.h"

namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::ResetHost();
    ResetModuleState();
  }
  void TearDown() override { ResetModuleState(); }

  // Loads the settings the way attach does, for a plug-in copy in its own folder.
  void LoadBeside(const testenv::LoadedPlugin& plugin) {
    ModuleInstance = plugin.module();
    BuildSettingsPath();
    LoadSettings();
  }
};

TEST_F(SettingsFileTest, MissingFileGivesTheDefaults) {
  testenv::LoadedPlugin plugin(testenv::MakeScratchDir("nofile"));
  LoadBeside(plugin);
  EXPECT_EQ(plugin.path().substr(0, plugin.path().size() - 3) + "INI", std::string(SettingsPath));
  EXPECT_STREQ(kDefaultGatewayUrl, CurrentSettings.URL);
  EXPECT_STREQ("", CurrentSettings.MerchantID);
  EXPECT_STREQ("", CurrentSettings.TerminalID);
  EXPECT_EQ(1, CurrentSettings.BatchNumber);
  EXPECT_EQ(5999, CurrentSettings.MerchantCode);
  EXPECT_STREQ("603950", CurrentSettings.PrefixMatch);
  EXPECT_STREQ("", CurrentSettings.SwipePrompt);
  EXPECT_STREQ(kBuiltInValidationPrompt, CurrentSettings.ValidationPrompt);
  EXPECT_STREQ("", CurrentSettings.TitlePrompt);
}

TEST_F(SettingsFileTest, EveryKeyOfAFileOnDisk) {
  testenv::LoadedPlugin plugin(testenv::MakeScratchDir("allkeys"),
                               "[Settings]\r\n"
                               "URL=https://127.0.0.2/ipsx/gateway\r\n"
                               "MerchantID=887700123\r\n"
                               "TerminalID=T0001\r\n"
                               "BatchNumber=42\r\n"
                               "MerchantCode=742\r\n"
                               "PrefixMatch=1234\r\n"
                               "[Text]\r\n"
                               "SwipePrompt=Swipe your card\\n\\nor type it\r\n"
                               "ValidationPrompt=Pay %.2f now?\\nPress OK.\r\n"
                               "TitlePrompt=Campus\\nCard\r\n");
  LoadBeside(plugin);
  EXPECT_STREQ("https://127.0.0.2/ipsx/gateway", CurrentSettings.URL);
  EXPECT_STREQ("887700123", CurrentSettings.MerchantID);
  EXPECT_STREQ("T0001", CurrentSettings.TerminalID);
  EXPECT_EQ(42, CurrentSettings.BatchNumber);
  EXPECT_EQ(742, CurrentSettings.MerchantCode);
  EXPECT_STREQ("1234", CurrentSettings.PrefixMatch);
  EXPECT_STREQ("Swipe your card \n \nor type it", CurrentSettings.SwipePrompt);
  EXPECT_STREQ("Pay %.2f now? \nPress OK.", CurrentSettings.ValidationPrompt);
  EXPECT_STREQ("Campus\\nCard", CurrentSettings.TitlePrompt);
}

TEST_F(SettingsFileTest, EmptyValuesAndMissingKeys) {
  testenv::LoadedPlugin plugin(testenv::MakeScratchDir("empty"),
                               "[Settings]\r\nURL=\r\nPrefixMatch=\r\nMerchantID=\r\n"
                               "[Text]\r\nValidationPrompt=\r\nSwipePrompt=\r\n");
  LoadBeside(plugin);
  EXPECT_STREQ("", CurrentSettings.URL);
  EXPECT_STREQ("", CurrentSettings.PrefixMatch);
  EXPECT_STREQ("", CurrentSettings.MerchantID);
  EXPECT_EQ(1, CurrentSettings.BatchNumber);  // key missing
  EXPECT_STREQ(kBuiltInValidationPrompt, CurrentSettings.ValidationPrompt);
  EXPECT_STREQ("", CurrentSettings.SwipePrompt);
}

TEST_F(SettingsFileTest, OverlongValuesAreCut) {
  const std::string ini = "[Settings]\r\nURL=" + std::string(300, 'u') + "\r\nMerchantID=" + std::string(40, 'm') +
                          "\r\nTerminalID=" + std::string(35, 't') + "\r\nPrefixMatch=" + std::string(70, '6') +
                          "\r\n[Text]\r\nSwipePrompt=" + std::string(600, 's') +
                          "\r\nTitlePrompt=" + std::string(130, 'x') + "\r\n";
  testenv::LoadedPlugin plugin(testenv::MakeScratchDir("long"), ini);
  LoadBeside(plugin);
  EXPECT_EQ(std::string(255, 'u'), CurrentSettings.URL);
  EXPECT_EQ(std::string(31, 'm'), CurrentSettings.MerchantID);
  EXPECT_EQ(std::string(31, 't'), CurrentSettings.TerminalID);
  EXPECT_EQ(std::string(63, '6'), CurrentSettings.PrefixMatch);
  EXPECT_EQ(std::string(511, 's'), CurrentSettings.SwipePrompt);
  EXPECT_EQ(std::string(127, 'x'), CurrentSettings.TitlePrompt);
}

TEST_F(SettingsFileTest, UnsafePromptAndNonNumericIntegers) {
  testenv::LoadedPlugin plugin(testenv::MakeScratchDir("unsafe"),
                               "[Settings]\r\nBatchNumber=abc\r\nMerchantCode=12xyz\r\n"
                               "[Text]\r\nValidationPrompt=%s%s%n\r\n");
  LoadBeside(plugin);
  // Refused, not half-read: the defaults stand, and nothing may be sent.
  EXPECT_EQ(kDefaultBatchNumber, CurrentSettings.BatchNumber);
  EXPECT_EQ(kDefaultMerchantCode, CurrentSettings.MerchantCode);
  EXPECT_TRUE(SettingRefused("BatchNumber"));
  EXPECT_TRUE(SettingRefused("MerchantCode"));
  EXPECT_STREQ(kBuiltInValidationPrompt, CurrentSettings.ValidationPrompt);
}

TEST_F(SettingsFileTest, DottedFolderAndDottedFileName) {
  const std::string dir = testenv::MakeScratchDir("dotted.folder");
  testenv::LoadedPlugin plugin(dir, "", "CS.Plugin.dll");
  testenv::WriteTextFile(dir + "CS.Plugin.INI", "[Settings]\r\nTerminalID=DOTTED\r\n");
  LoadBeside(plugin);
  EXPECT_EQ(dir + "CS.Plugin.INI", std::string(SettingsPath));
  EXPECT_STREQ("DOTTED", CurrentSettings.TerminalID);
}

TEST_F(SettingsFileTest, ModuleWithoutExtensionGetsDotIni) {
  const std::string dir = testenv::MakeScratchDir("noext.d");
  testenv::LoadedPlugin plugin(dir, "", "CSPLUGIN");
  testenv::WriteTextFile(dir + "CSPLUGIN.INI", "[Settings]\r\nTerminalID=NOEXT\r\n");
  LoadBeside(plugin);
  EXPECT_EQ(dir + "CSPLUGIN.INI", std::string(SettingsPath));
  EXPECT_STREQ("NOEXT", CurrentSettings.TerminalID);
}

}  // namespace
