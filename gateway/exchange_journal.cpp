#include "gateway/exchange_journal.h"

#include <cstdio>
#include <cstring>

#include "gateway/exchange_outcome.h"
#include "gateway/reply_parser.h"

namespace {

constexpr const char* kNoCodeText = "The gateway's answer carried no response code.";
constexpr const char* kAbandonedNote = " (the station program closed the dialog before the answer)";
constexpr const char* kNotBookedText =
    "Not booked: the station program closed the dialog before the answer.";

JournalKind KindOf(TransactionKind kind) {
  switch (kind) {
    case TransactionKind::Charge:
      return JournalKind::Charge;
    case TransactionKind::Deposit:
      return JournalKind::Deposit;
    case TransactionKind::Test:
      break;
  }
  return JournalKind::Test;
}

JournalEvent EventOf(ExchangeOutcome outcome) {
  switch (outcome) {
    case ExchangeOutcome::Approved:
      return JournalEvent::Approved;
    case ExchangeOutcome::Declined:
      return JournalEvent::Declined;
    case ExchangeOutcome::NotSent:
      return JournalEvent::TransportError;
    case ExchangeOutcome::Unknown:
      break;
  }
  return JournalEvent::OutcomeUnknown;
}

// The record of an exchange's outcome; response receives the parsed reply that the
// record's code and message point into.
JournalRecord OutcomeRecord(const TransportResult& result, const char* reply,
                            GatewayResponse& response, std::optional<int32_t> endCode) {
  JournalRecord record{EventOf(ClassifyExchange(result, reply, response)), "", "", endCode};
  if (record.Event == JournalEvent::Approved || record.Event == JournalEvent::Declined) {
    record.ResponseCode = response.ResponseCode;
    record.Message = response.ResponseMessage;
  } else {
    record.Message = ReplyShownAsText(result, reply) ? reply : kNoCodeText;
  }
  return record;
}

JournalWrite Write(const JournalEntry& entry, const JournalRecord& record) {
  return WriteJournalRecord(entry, record, CurrentLocalTime());
}

}  // namespace

void BeginJournalEntry(JournalEntry& entry, const TransactionRecord& record, TransactionKind kind) {
  entry.Kind = KindOf(kind);
  std::strncpy(entry.TerminalID, record.TerminalID, sizeof entry.TerminalID - 1);
  entry.TerminalID[sizeof entry.TerminalID - 1] = '\0';
  entry.BatchNumber = record.BatchNumber;
  entry.SequenceNumber = record.SequenceNumber;
  entry.AmountCents = record.AmountCents;
  MaskCardNumber(record.CardNumber, entry.MaskedCard, sizeof entry.MaskedCard);
}

JournalWrite JournalOutcome(const JournalEntry& entry, const TransportResult& result,
                            const char* reply, std::optional<int32_t> endCode) {
  GatewayResponse response;
  return Write(entry, OutcomeRecord(result, reply, response, endCode));
}

void JournalAbandonedOutcome(const JournalEntry& entry, const TransportResult& result,
                             const char* reply) {
  GatewayResponse response;
  JournalRecord record = OutcomeRecord(result, reply, response, std::nullopt);
  // The note goes in whole, however long the text before it.
  char message[kJournalMessageLimit + 1];
  const int room = static_cast<int>(kJournalMessageLimit - std::strlen(kAbandonedNote));
  std::snprintf(message, sizeof message, "%.*s%s", room, record.Message, kAbandonedNote);
  record.Message = message;
  Write(entry, record);
  if (entry.Kind == JournalKind::Deposit && record.Event == JournalEvent::Approved) {
    Write(entry, JournalRecord{JournalEvent::BookingFailed, "", kNotBookedText, std::nullopt});
  }
}
