// The sample CSPlugin.INI of the release package (docs/CSPlugin.INI): it holds every key
// the plug-in reads or writes and no other, as shipped it changes nothing but the strict
// certificate checks (on for new sites; a file without the key keeps them off), and its
// commented-out examples are taken as written once they are put in effect.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_platform.h"
#include "gateway/settings_file.h"
#include "settings/module_state.h"
#include "settings/settings.h"

namespace {

struct SampleKey {
  std::string section;
  std::string key;
  std::string value;
  bool commentedOut;
};

// The key lines of the sample: "Key=value" in effect, ";Key=value" commented out. Its
// prose comments begin with "; ", so they never read as keys.
std::vector<SampleKey> ReadSample() {
  std::ifstream in(SAMPLE_SETTINGS_FILE);
  EXPECT_TRUE(in) << "cannot read " << SAMPLE_SETTINGS_FILE;
  const std::regex sectionLine(R"(\[(\w+)\])");
  const std::regex keyLine(R"((;?)(\w+)=(.*))");
  std::vector<SampleKey> keys;
  std::string section;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::smatch match;
    if (std::regex_match(line, match, sectionLine)) {
      section = match[1];
    } else if (std::regex_match(line, match, keyLine)) {
      keys.push_back({section, match[2], match[3], match[1].length() > 0});
    }
  }
  return keys;
}

class SampleSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatformFakes();
    ResetModuleState();
    BuildSettingsPath();
  }
  // Puts the sample's keys into the settings file, the commented-out ones too if asked.
  void InstallSample(bool withExamples) {
    for (const SampleKey& k : ReadSample()) {
      if (!k.commentedOut || withExamples) fake::profiles[SettingsPath][k.section][k.key] = k.value;
    }
  }
  // Every value the settings load fills, as one text to compare.
  static std::string LoadedValues() {
    const PluginSettings& s = CurrentSettings;
    std::ostringstream text;
    text << "URL=" << s.URL << "\nMerchantID=" << s.MerchantID << "\nTerminalID=" << s.TerminalID
         << "\nBatchNumber=" << s.BatchNumber << "\nMerchantCode=" << s.MerchantCode
         << "\nPrefixMatch=" << s.PrefixMatch << "\nStrictCertificates=" << s.StrictCertificates
         << "\nJournal=" << s.Journal << "\nDataFolder=" << CurrentDataFolder.Path
         << "\nSwipePrompt=" << s.SwipePrompt
         << "\nValidationPrompt=" << s.ValidationPrompt << "\nTitlePrompt=" << s.TitlePrompt;
    return text.str();
  }
};

TEST_F(SampleSettingsTest, HoldsEveryKeyThePluginReadsOrWritesAndNoOther) {
  LoadSettings();
  uint32_t error = 0;
  ASSERT_TRUE(SaveSettings(CurrentSettings, &error)) << "error " << error;
  std::set<std::pair<std::string, std::string>> used;
  for (const fake::ProfileRead& read : fake::profileReadLog) {
    if (read.file == SettingsPath) used.insert({read.section, read.key});
  }
  for (const fake::ProfileWrite& write : fake::profileWriteLog) {
    if (write.file == SettingsPath) used.insert({write.section, write.key});
  }
  std::set<std::pair<std::string, std::string>> inSample;
  for (const SampleKey& k : ReadSample()) {
    EXPECT_TRUE(inSample.insert({k.section, k.key}).second) << "[" << k.section << "] " << k.key
                                                            << " is in the sample twice";
  }
  EXPECT_EQ(used, inSample) << "a key the plug-in uses is missing from " << SAMPLE_SETTINGS_FILE
                            << ", or the sample holds one it does not use";
}

TEST_F(SampleSettingsTest, AsShippedLoadsTheDefaultsWithStrictCertificates) {
  LoadSettings();
  ASSERT_FALSE(CurrentSettings.StrictCertificates);
  CurrentSettings.StrictCertificates = true;
  const std::string withoutFileButStrict = LoadedValues();
  InstallSample(false);
  LoadSettings();
  EXPECT_EQ(withoutFileButStrict, LoadedValues())
      << "a value in effect in the sample is not the default (StrictCertificates=1 aside)";
}

TEST_F(SampleSettingsTest, ExamplesAreTakenAsWritten) {
  InstallSample(true);
  LoadSettings();
  struct Row {
    const char* key;
    const char* loaded;
    bool lineBreaks;  // "\n" in the file becomes a space and a line feed
  };
  const Row rows[] = {
      {"DataFolder", CurrentDataFolder.Path, false},
      {"SwipePrompt", CurrentSettings.SwipePrompt, true},
      {"ValidationPrompt", CurrentSettings.ValidationPrompt, true},
      {"TitlePrompt", CurrentSettings.TitlePrompt, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    const char* section = std::string(row.key) == kDataFolderKey ? kSettingsSection : kTextSection;
    std::string expected = fake::profiles[SettingsPath][section][row.key];
    ASSERT_FALSE(expected.empty()) << "the sample shows no example";
    for (size_t at = expected.find("\\n"); row.lineBreaks && at != std::string::npos;
         at = expected.find("\\n", at)) {
      expected.replace(at, 2, " \n");
    }
    EXPECT_EQ(expected, row.loaded);
  }
}

}  // namespace
