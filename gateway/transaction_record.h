#pragma once
#include <cstdint>

// The record a request message is built from. Each dialog keeps its own, for its one
// transaction: FillTransaction copies the merchant identity in from the settings and
// fills the fixed fields; the dialog sets the card number and amount. Touched only on
// the user-interface thread.
struct TransactionRecord {
  int32_t TransactionCode;   // 200 charge and deposit, 100 configuration test
  char MerchantID[32];       // 31 characters at most
  char TerminalID[32];       // 31 characters at most
  int32_t BatchNumber;
  int32_t SequenceNumber;    // 1 to 999999
  int32_t CuDigits;          // always 0
  char Indicator1[8];        // " "
  char Indicator2[8];        // "D"
  int32_t TimeZoneCode;      // 705 to 708
  char CardNumber[80];       // 79 characters at most
  char Indicator3[8];        // "H"
  char Indicator4[8];        // "Y"
  int32_t AmountCents;
  int32_t MerchantCode;
  int32_t CurrencyCode;      // always 840
};

inline constexpr int32_t kChargeTransactionCode = 200;
inline constexpr int32_t kTestTransactionCode = 100;
inline constexpr int32_t kTestAmountCents = 100;
inline constexpr int32_t kCurrencyCodeUsd = 840;
