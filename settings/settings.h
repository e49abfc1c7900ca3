#pragma once
#include <cstdint>

// The plug-in's settings: one INI file beside the plug-in, same name, extension INI.
// [Settings] holds the gateway address and merchant identity (edited through the
// configuration dialog); [Text] holds three prompts edited by hand only. Read once at
// attach; afterwards the in-memory values are the truth. gateway/settings_file.h loads
// and saves the whole file, the merchant identity included.

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kTextSection = "Text";

// Keys of the [Settings] section, read at attach and written by SaveSettings.
inline constexpr const char* kUrlKey = "URL";
inline constexpr const char* kMerchantIdKey = "MerchantID";
inline constexpr const char* kTerminalIdKey = "TerminalID";
inline constexpr const char* kBatchNumberKey = "BatchNumber";
inline constexpr const char* kMerchantCodeKey = "MerchantCode";
inline constexpr const char* kPrefixMatchKey = "PrefixMatch";
// Read at attach only; edited by hand, never written by SaveSettings.
inline constexpr const char* kStrictCertificatesKey = "StrictCertificates";
// Edited by hand only, like [Text]: SaveSettings never writes it.
inline constexpr const char* kJournalKey = "Journal";
// The folder of the files the plug-in writes as it runs (records/data_folder.h); read at
// attach only, edited by hand, never written by SaveSettings.
inline constexpr const char* kDataFolderKey = "DataFolder";

// A name under the reserved .example domain, so that a fresh install can never reach a
// real host by accident.
inline constexpr const char* kDefaultGatewayUrl = "https://gateway.cardsmith.example/ipsx/gateway";
inline constexpr const char* kDefaultPrefixMatch = "603950";
inline constexpr int kDefaultBatchNumber = 1;
inline constexpr int kDefaultMerchantCode = 5999;
inline constexpr bool kDefaultJournal = true;  // off turns the transaction journal off
inline constexpr const char* kBuiltInValidationPrompt =
    "A charge of %.2f will be made to your account.\n"
    "Press OK to continue, or press Cancel to go back.";

struct PluginSettings {
  char URL[256];
  // The merchant identity, copied into each request's record (gateway/request_message.h).
  char MerchantID[32];  // 31 characters at most
  char TerminalID[32];  // 31 characters at most
  int32_t BatchNumber;
  int32_t MerchantCode;
  char PrefixMatch[64];
  char SwipePrompt[512];
  char ValidationPrompt[512];
  char TitlePrompt[128];
  // StrictCertificates on makes the gateway's certificate fail the send when it has
  // lapsed or names another host (default off: both are accepted).
  bool StrictCertificates;
  bool Journal;  // [Settings] Journal: on (the default) keeps the transaction journal
  // Both read as settings/setting_checks.h says.
};

extern PluginSettings CurrentSettings;
extern char SettingsPath[256];  // empty when the module path was unusable

// [Settings] DataFolder as read at attach, and never changed afterwards, so that any
// thread may read it: Path empty means beside the plug-in; Refused means the file named
// a folder that settings/setting_checks.h did not accept, and nothing may be written or
// sent (Path is empty then too). Kept apart from PluginSettings, which the configuration
// dialog replaces whole.
inline constexpr unsigned kDataFolderSize = 200;  // 199 characters at most
struct DataFolderSetting {
  char Path[kDataFolderSize];
  bool Refused;
};
extern DataFolderSetting CurrentDataFolder;

// Builds SettingsPath from the module path: everything after the last '.' becomes
// "INI"; a path without '.' gets ".INI" appended. A path that was cut to the buffer, or
// that has no room for the new ending, leaves SettingsPath empty (defaults apply and
// nothing is written to a wrong file).
void BuildSettingsPath();

// Reads a key of the settings file as ProfileReadString does; with an empty
// SettingsPath the fallback applies.
unsigned ReadSettingText(const char* section, const char* key, const char* fallback, char* out,
                         unsigned outSize);

// Fills CurrentSettings (URL, PrefixMatch, StrictCertificates, Journal and the three
// prompts) and CurrentDataFolder from SettingsPath.
void LoadPluginSettings();

// Rewrites each backslash-n pair of the prompt in place as a space and a line feed.
void ExpandLineBreaks(char* prompt);
