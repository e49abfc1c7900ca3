#pragma once
// The plug-in's settings: one INI file beside the plug-in, same name, extension INI.
// [Settings] holds the gateway address and merchant identity (edited through the
// configuration dialog); [Text] holds three prompts edited by hand only. Read once at
// attach; afterwards the in-memory values are the truth. The four merchant values live
// in CurrentRecord (gateway/transaction_record.h), the rest here.

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kTextSection = "Text";

// Keys of the [Settings] section, read at attach and written by SaveSettings.
inline constexpr const char* kUrlKey = "URL";
inline constexpr const char* kMerchantIdKey = "MerchantID";
inline constexpr const char* kTerminalIdKey = "TerminalID";
inline constexpr const char* kBatchNumberKey = "BatchNumber";
inline constexpr const char* kMerchantCodeKey = "MerchantCode";
inline constexpr const char* kPrefixMatchKey = "PrefixMatch";

// A name under the reserved .example domain, so that a fresh install can never reach a
// real host by accident.
inline constexpr const char* kDefaultGatewayUrl = "https://gateway.cardsmith.example/ipsx/gateway";
inline constexpr const char* kDefaultPrefixMatch = "603950";
inline constexpr int kDefaultBatchNumber = 1;
inline constexpr int kDefaultMerchantCode = 5999;
inline constexpr const char* kBuiltInValidationPrompt =
    "A charge of %.2f will be made to your account.\n"
    "Press OK to continue, or press Cancel to go back.";

struct PluginSettings {
  char URL[256];
  char PrefixMatch[64];
  char SwipePrompt[512];
  char ValidationPrompt[512];
  char TitlePrompt[128];
};

extern PluginSettings CurrentSettings;
extern char SettingsPath[256];  // empty when the module path was unusable

// Position of the last occurrence of c in text, or nullptr. Searching for '\0' finds
// the terminator.
const char* FindLastChar(const char* text, char c);
char* FindLastChar(char* text, char c);

// Builds SettingsPath from the module path: everything after the last '.' becomes
// "INI"; a path without '.' gets ".INI" appended. A path that was cut to the buffer, or
// that has no room for the new ending, leaves SettingsPath empty (defaults apply and
// nothing is written to a wrong file).
void BuildSettingsPath();

// Fills CurrentSettings and the merchant fields of CurrentRecord from SettingsPath.
// With an empty SettingsPath every value takes its default.
void LoadSettings();

// Writes the [Settings] values in effect to SettingsPath, in this order: URL,
// MerchantID, TerminalID as text, BatchNumber and MerchantCode as "%d", PrefixMatch as
// text. Failed writes are not reported. With an empty SettingsPath nothing is written.
// [Text] is never written.
void SaveSettings();

// Rewrites each backslash-n pair of the prompt in place as a space and a line feed.
void ExpandLineBreaks(char* prompt);

// Back to the load-time state (all empty), for tests.
void ResetSettingsState();
