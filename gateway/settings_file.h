#pragma once
// The settings file as a whole: the [Settings] values kept in CurrentSettings (URL,
// PrefixMatch) and the merchant identity kept in CurrentRecord (MerchantID,
// TerminalID, BatchNumber, MerchantCode), and the [Text] prompts. Read once at attach;
// written only by the configuration dialog's Save.

// Fills CurrentSettings and the merchant fields of CurrentRecord from SettingsPath.
// With an empty SettingsPath every value takes its default.
void LoadSettings();

// Writes the [Settings] values in effect to SettingsPath, in this order: URL,
// MerchantID, TerminalID as text, BatchNumber and MerchantCode as "%d", PrefixMatch as
// text. Failed writes are not reported. With an empty SettingsPath nothing is written.
// [Text] is never written.
void SaveSettings();
