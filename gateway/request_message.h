#pragma once
#include <cstddef>
#include <cstdint>

#include "gateway/transaction_record.h"
#include "settings/settings.h"

// The request message (22 FS-terminated fields beginning "IPS.123456") and its form
// body ("Transaction=" + the form-encoded message). User-interface thread only.

inline constexpr size_t kFormBodySize = 1024;
inline constexpr size_t kRequestMessageSize = 512;
inline constexpr const char* kFormFieldName = "Transaction=";

// What the three kinds of transaction pass to the common filling steps.
enum class TransactionKind { Charge, Deposit, Test };

// Fills record in its fixed order: transaction code, the merchant identity of settings
// (MerchantID, TerminalID, BatchNumber, MerchantCode; the settings in effect, or the
// configuration's copy for its Test), CuDigits 0, the indicators " " and "D", the
// time-zone code, the indicators "H" and "Y", for a test the amount 100, the currency
// code 840. CardNumber and (charge, deposit) AmountCents are set by the caller
// beforehand; the caller then takes the sequence number (gateway/write_ahead.h) and
// calls BuildRequest.
void FillTransaction(TransactionRecord& record, TransactionKind kind,
                     const PluginSettings& settings = CurrentSettings);

// 706 for a zone name beginning 'C', 707 for 'M', 708 for 'P', else 705.
int32_t TimeZoneCodeFor(unsigned short zoneInitial);

// The code of the system zone: from its key name, the same in every display language,
// or from its standard-time name where the key name is empty.
int32_t SystemTimeZoneCode();

// Formats the record into the NUL-terminated request message (kRequestMessageSize
// bytes), stamped with CurrentLocalTime(). Numbers are written with all their digits
// (a minus sign for negative ones) and strings whole; the record's strings must be
// NUL-terminated within their fields, which bounds the message to well under the
// buffer. Returns the message length.
size_t FormatRequestMessage(const TransactionRecord& record, char* message);

// Formats the record into the message (in a local buffer) and writes the
// NUL-terminated form body into formBody (kFormBodySize bytes). Allocates nothing.
void BuildRequest(const TransactionRecord& record, char* formBody);

// Form-encodes source into destination (3 bytes per source byte plus one): bytes for
// which NeedsEscape is true become "%" and two upper-case hex digits.
void UrlEncodeForm(const char* source, char* destination);

// True for every byte but A-Z, a-z, 0-9 and ! ' ( ) * - . _ (70 values are copied).
bool NeedsEscape(unsigned char byte);
