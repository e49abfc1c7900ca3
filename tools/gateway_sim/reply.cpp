#include "tools/gateway_sim/reply.h"

#include <cstdio>

#include "tools/gateway_sim/card_mask.h"
#include "tools/gateway_sim/request_check.h"

namespace gwsim {

namespace {

constexpr char kReplyMarker = 'R';
constexpr char kFiller = 'P';

std::string SixDigits(const std::string& digits) {
  return digits.size() == kSequenceWidth ? digits : std::string(kSequenceWidth, '0');
}

}  // namespace

std::string BuildReply(const ReplyFields& fields) {
  char authorisation[kAuthorisationWidth + 1];
  std::snprintf(authorisation, sizeof authorisation, "%06u",
                fields.authorisation % (kLastAuthorisation + 1));
  const std::string field4 =
      kReplyMarker + SixDigits(fields.sequence) + fields.responseCode + authorisation;
  const std::string values[kReplyFieldCount] = {
      std::string(kMessageHeader), fields.transactionCode, MaskDigitRuns(fields.terminalId),
      field4,                      fields.maskedCard,      fields.amount,
      fields.balance,              fields.batch,           fields.message,
      fields.detail,
  };
  std::string reply;
  for (size_t i = 0; i < kReplyFieldCount; ++i) {
    if (i > 0) reply += kFieldSeparator;
    reply += values[i];
  }
  return reply;
}

std::string PadReply(const std::string& reply) {
  std::string padded = reply + kFieldSeparator;
  if (padded.size() < kOversizeReplyLength) padded.append(kOversizeReplyLength - padded.size(), kFiller);
  return padded;
}

std::string GarbageReply() {
  return "<html><head><title>502 Bad Gateway</title></head>"
         "<body>upstream host is not answering</body></html>\n";
}

std::string ErrorTextReply() { return "Error: gateway out of service [503]\n"; }

}  // namespace gwsim
