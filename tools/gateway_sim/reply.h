#pragma once
#include <cstddef>
#include <string>

// The gateway's reply: ten fields separated by FS (no FS after the last).
//   1  "IPS.123456"
//   2  transaction code as received ("200", "100"), empty when unreadable
//   3  terminal id as received (long digit runs masked)
//   4  "R" + sequence number (six digits, 000000 when unreadable) + response code
//      (two characters: characters 8 and 9 of the field) + authorisation number
//      (six digits, 000000 unless approved)
//   5  masked card number
//   6  amount in cents as received
//   7  balance after the transaction in cents, empty for an unknown card
//   8  batch number as received
//   9  message text ("APPROVED", "INSUFFICIENT FUNDS", ...)
//   10 for a format error the fault found ("field4:zone_code"), else empty
namespace gwsim {

inline constexpr size_t kReplyFieldCount = 10;
inline constexpr size_t kOversizeReplyLength = 3000;  // well past the client's 1024
inline constexpr size_t kSequenceWidth = 6;
inline constexpr size_t kAuthorisationWidth = 6;
inline constexpr unsigned kLastAuthorisation = 999999;

struct ReplyFields {
  std::string transactionCode;
  std::string terminalId;
  std::string sequence;
  std::string responseCode;    // two characters
  unsigned authorisation = 0;  // 1 to kLastAuthorisation; 0 for none
  std::string maskedCard;
  std::string amount;
  std::string balance;
  std::string batch;
  std::string message;
  std::string detail;
};

std::string BuildReply(const ReplyFields& fields);

// reply followed by one more field of filler, kOversizeReplyLength bytes in all; the
// first ten fields, and so code and message, are unchanged.
std::string PadReply(const std::string& reply);

// 200 bodies of the misbehaviours: text without any FS, and a text that begins
// "Error:" as a transport error would.
std::string GarbageReply();
std::string ErrorTextReply();

}  // namespace gwsim
