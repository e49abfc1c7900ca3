#pragma once
// The record of the worked example charge, filled as the dialogs leave it just before
// BuildRequest: its message is 119 bytes, its form body 177 characters.
#include <cstring>

#include "gateway/transaction_record.h"

inline TransactionRecord WorkedExampleRecord() {
  TransactionRecord record{};
  std::strcpy(record.MerchantID, "887700123");
  std::strcpy(record.TerminalID, "T0001");
  std::strcpy(record.CardNumber, "6039501234567890");
  record.TransactionCode = 200;
  record.BatchNumber = 1;
  record.SequenceNumber = 17;
  std::strcpy(record.Indicator1, " ");
  std::strcpy(record.Indicator2, "D");
  std::strcpy(record.Indicator3, "H");
  std::strcpy(record.Indicator4, "Y");
  record.TimeZoneCode = 706;
  record.AmountCents = 250;
  record.MerchantCode = 5999;
  record.CurrencyCode = 840;
  return record;
}
