#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fakes/fake_platform.h"
#include "gateway/settings_file.h"
#include "records/data_folder.h"
#include "settings/module_state.h"
#include "settings/profile_store.h"
#include "settings/prompt_format.h"
#include "settings/setting_checks.h"
#include "settings/settings.h"
#include "settings/text_search.h"

namespace {

constexpr const char* kIni = "C:\\Station\\CSPlugin.INI";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatformFakes();
    ResetModuleState();
  }
  void Load() {
    BuildSettingsPath();
    LoadSettings();
  }
  void Put(const char* section, const char* key, const std::string& value) {
    fake::profiles[kIni][section][key] = value;
  }
};

TEST_F(SettingsTest, SettingsPathReplacesTheLastExtension) {
  struct Row { const char* module; const char* expected; };
  const Row rows[] = {
      {"C:\\Station\\CSPlugin.dll", "C:\\Station\\CSPlugin.INI"},
      {"C:\\Sta.tion\\CS.Plugin.dll", "C:\\Sta.tion\\CS.Plugin.INI"},
      {"C:\\Sta.tion\\CSPlugin", "C:\\Sta.tion\\CSPlugin.INI"},
      {"C:\\Station\\CSPlugin.", "C:\\Station\\CSPlugin.INI"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.module);
    fake::modulePath = row.module;
    BuildSettingsPath();
    EXPECT_STREQ(row.expected, SettingsPath);
  }
}

TEST_F(SettingsTest, UnusableModulePathGivesNoSettingsFile) {
  fake::modulePath = "C:\\" + std::string(300, 'a') + ".dll";  // cut at 255 characters
  BuildSettingsPath();
  EXPECT_STREQ("", SettingsPath);

  fake::modulePath = "C:\\" + std::string(251, 'a');  // 254 characters, no room for ".INI"
  BuildSettingsPath();
  EXPECT_STREQ("", SettingsPath);

  fake::modulePath = "C:\\" + std::string(248, 'a') + ".dll";  // 255 characters fit
  BuildSettingsPath();
  EXPECT_EQ(255u, std::strlen(SettingsPath));

  fake::modulePathFails = true;
  BuildSettingsPath();
  EXPECT_STREQ("", SettingsPath);
}

TEST_F(SettingsTest, DefaultsWithoutAFile) {
  Load();
  EXPECT_STREQ(kDefaultGatewayUrl, CurrentSettings.URL);
  EXPECT_STREQ("", CurrentSettings.MerchantID);
  EXPECT_STREQ("", CurrentSettings.TerminalID);
  EXPECT_EQ(1, CurrentSettings.BatchNumber);
  EXPECT_EQ(5999, CurrentSettings.MerchantCode);
  EXPECT_STREQ("603950", CurrentSettings.PrefixMatch);
  EXPECT_FALSE(CurrentSettings.StrictCertificates);
  EXPECT_STREQ("", CurrentSettings.SwipePrompt);
  EXPECT_STREQ(kBuiltInValidationPrompt, CurrentSettings.ValidationPrompt);
  EXPECT_STREQ("", CurrentSettings.TitlePrompt);
  EXPECT_TRUE(CurrentSettings.Journal);
}

TEST_F(SettingsTest, DefaultsWhenTheModulePathIsUnusable) {
  fake::modulePathFails = true;
  Load();
  EXPECT_STREQ(kDefaultGatewayUrl, CurrentSettings.URL);
  EXPECT_EQ(1, CurrentSettings.BatchNumber);
  EXPECT_STREQ(kBuiltInValidationPrompt, CurrentSettings.ValidationPrompt);
}

TEST_F(SettingsTest, EveryKeyIsReadIntoItsPlace) {
  Put("Settings", "URL", "https://127.0.0.2/ipsx/gateway");
  Put("Settings", "MerchantID", "887700123");
  Put("Settings", "TerminalID", "T0001");
  Put("Settings", "BatchNumber", "42");
  Put("Settings", "MerchantCode", "742");
  Put("Settings", "PrefixMatch", "1234");
  Put("Settings", "StrictCertificates", "1");
  Put("Settings", "Journal", "0");
  Put("Text", "SwipePrompt", "Swipe\\nnow");
  Put("Text", "ValidationPrompt", "Pay %.2f?\\nOK");
  Put("Text", "TitlePrompt", "Pay\\nhere");
  Load();
  EXPECT_STREQ("https://127.0.0.2/ipsx/gateway", CurrentSettings.URL);
  EXPECT_STREQ("887700123", CurrentSettings.MerchantID);
  EXPECT_STREQ("T0001", CurrentSettings.TerminalID);
  EXPECT_EQ(42, CurrentSettings.BatchNumber);
  EXPECT_EQ(742, CurrentSettings.MerchantCode);
  EXPECT_STREQ("1234", CurrentSettings.PrefixMatch);
  EXPECT_TRUE(CurrentSettings.StrictCertificates);
  EXPECT_FALSE(CurrentSettings.Journal);
  EXPECT_STREQ("Swipe \nnow", CurrentSettings.SwipePrompt);
  EXPECT_STREQ("Pay %.2f? \nOK", CurrentSettings.ValidationPrompt);
  EXPECT_STREQ("Pay\\nhere", CurrentSettings.TitlePrompt);  // the title is not expanded
}

TEST_F(SettingsTest, EmptyValuesAreNotDefaults) {
  Put("Settings", "URL", "");
  Put("Settings", "PrefixMatch", "");
  Put("Text", "ValidationPrompt", "");
  Load();
  EXPECT_STREQ("", CurrentSettings.URL);
  EXPECT_STREQ("", CurrentSettings.PrefixMatch);
  EXPECT_STREQ(kBuiltInValidationPrompt, CurrentSettings.ValidationPrompt);
}

TEST_F(SettingsTest, OverlongValuesAreCutToTheirBuffers) {
  Put("Settings", "URL", std::string(400, 'u'));
  Put("Settings", "MerchantID", std::string(40, 'm'));
  Put("Settings", "TerminalID", std::string(40, 't'));
  Put("Settings", "PrefixMatch", std::string(100, '6'));
  Put("Text", "SwipePrompt", std::string(600, 's'));
  Put("Text", "TitlePrompt", std::string(200, 'x'));
  Load();
  EXPECT_EQ(std::string(255, 'u'), CurrentSettings.URL);
  EXPECT_EQ(std::string(31, 'm'), CurrentSettings.MerchantID);
  EXPECT_EQ(std::string(31, 't'), CurrentSettings.TerminalID);
  EXPECT_EQ(std::string(63, '6'), CurrentSettings.PrefixMatch);
  EXPECT_EQ(std::string(511, 's'), CurrentSettings.SwipePrompt);
  EXPECT_EQ(std::string(127, 'x'), CurrentSettings.TitlePrompt);
}

// Each value of a checked key: what it reads as, and whether the Test names it (on/off)
// or sending stops (numbers).
TEST_F(SettingsTest, CheckedKeysAreUnderstoodOrReported) {
  struct Row {
    const char* key;
    const char* value;
    int32_t reads;  // the on/off value as 0 or 1, or the number
    bool fault;
  };
  const Row rows[] = {
      {"Journal", "yes", 1, false},          {"Journal", "TRUE", 1, false},
      {"Journal", "Off", 0, false},          {"Journal", "no", 0, false},
      {"Journal", "0", 0, false},            {"Journal", "maybe", 1, true},
      {"Journal", "2", 1, true},             {"Journal", "", 1, true},
      {"StrictCertificates", "On", 1, false}, {"StrictCertificates", "false", 0, false},
      {"StrictCertificates", "yes please", 0, true},
      {"BatchNumber", "42", 42, false},      {"BatchNumber", "999999", 999999, false},
      {"BatchNumber", "1", 1, false},        {"BatchNumber", "", 1, true},
      {"BatchNumber", "abc", 1, true},       {"BatchNumber", "0", 1, true},
      {"BatchNumber", "-5", 1, true},        {"BatchNumber", "1000000", 1, true},
      {"BatchNumber", "99999999999", 1, true}, {"BatchNumber", "12abc", 1, true},
      {"MerchantCode", "0", 0, false},       {"MerchantCode", "9999", 9999, false},
      {"MerchantCode", "-7", 5999, true},    {"MerchantCode", "10000", 5999, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.key) + "=" + row.value);
    fake::ResetPlatformFakes();
    ResetModuleState();
    Put("Settings", row.key, row.value);
    Load();
    const std::string key = row.key;
    int32_t reads = key == "Journal"              ? CurrentSettings.Journal
                    : key == "StrictCertificates" ? CurrentSettings.StrictCertificates
                    : key == "BatchNumber"        ? CurrentSettings.BatchNumber
                                                  : CurrentSettings.MerchantCode;
    EXPECT_EQ(row.reads, reads);
    const bool number = key == "BatchNumber" || key == "MerchantCode";
    char text[1024] = "";
    EXPECT_EQ(row.fault && number, SettingsRefuseSending(text, sizeof text));
    AppendOnOffFaultLines(text, sizeof text);
    EXPECT_EQ(row.fault, std::string(text).find(key + "=" + row.value) != std::string::npos) << text;
  }
}

// Where the store (and every file the plug-in writes as it runs) goes for each
// DataFolder value; "" where the value is refused, which stops sending and is not
// forgotten by a Save.
TEST_F(SettingsTest, DataFolderIsAFullFolderPathOrStopsSending) {
  struct Row {
    const char* value;  // nullptr: no key
    std::string store;
  };
  const std::string longest = "C:\\" + std::string(196, 'd');  // 199 characters
  const Row rows[] = {
      {nullptr, "C:\\Station\\CSBatchSeq.INI"},
      {"", "C:\\Station\\CSBatchSeq.INI"},
      {"C:\\ProgramData\\CardSmith\\Station", "C:\\ProgramData\\CardSmith\\Station\\CSBatchSeq.INI"},
      {"c:\\Data\\", "c:\\Data\\CSBatchSeq.INI"},
      {"D:\\", "D:\\CSBatchSeq.INI"},
      {"\\\\server\\share\\station", "\\\\server\\share\\station\\CSBatchSeq.INI"},
      {longest.c_str(), longest + "\\CSBatchSeq.INI"},
      {"ProgramData\\CardSmith", ""},
      {"C:ProgramData", ""},
      {"\\ProgramData", ""},
      {"\\\\\\server", ""},
      {"1:\\Data", ""},
      {"C:/Data", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value != nullptr ? row.value : "(no key)");
    fake::ResetPlatformFakes();
    ResetModuleState();
    fake::modulePath = "C:\\Station\\CSPlugin.dll";
    if (row.value != nullptr) Put("Settings", "DataFolder", row.value);
    Load();
    char path[260] = "x";
    EXPECT_EQ(!row.store.empty(), DataFilePath("CSBatchSeq.INI", path, sizeof path));
    EXPECT_EQ(row.store, path);
    char text[1024] = "";
    ForgetRefusedNumbers();
    EXPECT_EQ(row.store.empty(), SettingsRefuseSending(text, sizeof text));
    if (row.store.empty()) {
      EXPECT_EQ(std::string("The settings file C:\\Station\\CSPlugin.INI has DataFolder=") + row.value +
                    ", not the full path of a folder (C:\\... or \\\\server\\share\\...) of at most 199 "
                    "characters.\nNothing was sent.",
                text);
    }
  }
  // One character more than fits.
  ResetModuleState();
  Put("Settings", "DataFolder", longest + "d");
  Load();
  EXPECT_TRUE(CurrentDataFolder.Refused);
}

TEST_F(SettingsTest, WriteIntSettingWritesDecimalText) {
  struct Row { int32_t value; const char* text; };
  const Row rows[] = {{0, "0"}, {5999, "5999"}, {-7, "-7"}, {-2147483647 - 1, "-2147483648"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_TRUE(WriteIntSetting("Settings", "MerchantCode", row.value, "C:\\x.INI"));
    EXPECT_EQ(row.text, fake::profiles["C:\\x.INI"]["Settings"]["MerchantCode"]);
  }
  fake::readOnlyFiles["C:\\x.INI"] = true;
  EXPECT_FALSE(WriteIntSetting("Settings", "MerchantCode", 1, "C:\\x.INI"));
  EXPECT_EQ("-2147483648", fake::profiles["C:\\x.INI"]["Settings"]["MerchantCode"]);
}

TEST(ExpandLineBreaks, RewritesEveryBackslashN) {
  struct Row { const char* in; const char* out; };
  const Row rows[] = {
      {"a\\nb", "a \nb"},
      {"\\n\\n", " \n \n"},
      {"a\\tb\\\\", "a\\tb\\\\"},
      {"\\", "\\"},
      {"\\\\n", "\\ \n"},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.in);
    char buffer[32];
    std::strcpy(buffer, row.in);
    ExpandLineBreaks(buffer);
    EXPECT_STREQ(row.out, buffer);
  }
}

TEST(FindLastChar, FindsTheLastOccurrenceOrTheTerminator) {
  const char* text = "a.b.c";
  EXPECT_EQ(text + 3, FindLastChar(text, '.'));
  EXPECT_EQ(text + 5, FindLastChar(text, '\0'));
  EXPECT_EQ(nullptr, FindLastChar(text, 'x'));
  EXPECT_EQ(text, FindLastChar(text, 'a'));
}

TEST(AmountFormat, AcceptsExactlyOneFloatingConversion) {
  struct Row { const char* format; bool safe; };
  const Row rows[] = {
      {"A charge of %.2f will be made.", true},
      {"%f", true},
      {"%-+ #012.10e and 100%%", true},
      {"%G%%", true},
      {"%99.99g", true},
      {"no amount at all", false},
      {"%.2f and %.2f", false},
      {"%s", false},
      {"%d", false},
      {"%n%f", false},
      {"%*f", false},
      {"%.*f", false},
      {"%1$f", false},
      {"%lf", false},
      {"%Lf", false},
      {"%100f", false},
      {"%.100f", false},
      {"%", false},
      {"%.2f%", false},
      {"%%", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    EXPECT_EQ(row.safe, IsSafeAmountFormat(row.format));
  }
}

TEST_F(SettingsTest, UnsafeValidationPromptFallsBackToTheBuiltInText) {
  Put("Text", "ValidationPrompt", "Charge %s to %n");
  Load();
  EXPECT_STREQ(kBuiltInValidationPrompt, CurrentSettings.ValidationPrompt);
}

TEST(AmountFormat, FormattingIsBoundedByTheBuffer) {
  char out[16];
  FormatAmountPrompt("%99.2f", 1.5, out, sizeof out);
  EXPECT_EQ(15u, std::strlen(out));
  FormatAmountPrompt("Pay %.2f", 1.5, out, sizeof out);
  EXPECT_STREQ("Pay 1.50", out);
}

}  // namespace
