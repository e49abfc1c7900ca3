#pragma once
// The settings file as a whole: the [Settings] values kept in CurrentSettings (URL,
// PrefixMatch, StrictCertificates and the merchant identity: MerchantID, TerminalID,
// BatchNumber, MerchantCode), and the [Text] prompts. Read once
// at attach; written only by the configuration dialog's Save.
#include <cstdint>

#include "settings/settings.h"

// Fills CurrentSettings, the merchant identity included, from SettingsPath.
// With an empty SettingsPath every value takes its default.
void LoadSettings();

// Writes the [Settings] values of settings to SettingsPath, in this order: URL,
// MerchantID, TerminalID as text, BatchNumber and MerchantCode as "%d", PrefixMatch as
// text. Returns true when every value was written. Otherwise stops at the first write
// that failed (those before it stay written) and returns false with the system's error
// number in error; with an empty SettingsPath nothing is written and the number is
// kPathTooLong (records/file_errors.h), the one reason there is none. [Text],
// StrictCertificates and Journal are never written.
bool SaveSettings(const PluginSettings& settings, uint32_t* error);
