#pragma once
#include <cstddef>
#include <cstdint>

#include "gateway/transaction_record.h"

// The request message (22 FS-terminated fields beginning "IPS.123456") and its form
// body ("Transaction=" + the form-encoded message).

inline constexpr size_t kFormBodySize = 1024;
extern char FormBody[kFormBodySize];  // written by BuildRequest, posted by the transport

// What the three kinds of transaction pass to the common filling steps.
enum class TransactionKind { Charge, Deposit, Test };

// Fills the per-transaction fields of record in their fixed order: transaction code,
// next sequence number of record.BatchNumber, the fixed fields, the time-zone code,
// for a test the amount 100, the currency code. CardNumber and (charge, deposit)
// AmountCents are set by the caller beforehand.
void FillTransaction(TransactionRecord& record, TransactionKind kind);

// 706 for a standard zone name beginning 'C', 707 for 'M', 708 for 'P', else 705.
int32_t TimeZoneCodeFor(unsigned short zoneInitial);

// Formats the record into the message and writes the NUL-terminated form body into
// formBody (kFormBodySize bytes). Allocates nothing.
void BuildRequest(const TransactionRecord& record, char* formBody);

// Form-encodes source into destination (3 bytes per source byte plus one).
void UrlEncodeForm(const char* source, char* destination);

// True for every byte but A-Z, a-z, 0-9 and ! ' ( ) * - . _
bool NeedsEscape(unsigned char byte);

void ResetRequestState();
