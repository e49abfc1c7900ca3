#include "gateway/write_ahead.h"

#include "gateway/exchange_journal.h"

WriteAhead TakeNumberAndRecordSending(TransactionRecord& record, TransactionKind kind,
                                      JournalEntry& entry) {
  WriteAhead gate{};
  gate.Number = TakeSequenceNumber(record.TerminalID, record.BatchNumber);
  record.SequenceNumber = gate.Number.Number;
  BeginJournalEntry(entry, record, kind);
  if (gate.Number.Failure == SequenceFailure::None) gate.Sending = JournalSending(entry);
  return gate;
}
