#pragma once
#include "gateway/request_message.h"
#include "gateway/transaction_record.h"
#include "records/journal.h"
#include "records/sequence_store.h"

// The rule every exchange with the gateway obeys: a request may leave only when its
// sequence number is stored and reads back, and, with the journal on, its "sending"
// record is written and flushed. A number stored but never sent leaves a harmless gap;
// a number sent twice, or a request without its record, would not be harmless.

struct WriteAhead {
  SequenceTake Number;   // Failure None: the number is stored and in the record
  JournalWrite Sending;  // the "sending" record; not tried when the number failed
  bool MaySend() const { return Number.Failure == SequenceFailure::None && !Sending.Failed; }
};

// Takes the batch's next number into record.SequenceNumber, then fills entry for kind
// and writes its "sending" record. When no number could be had, record.SequenceNumber
// and the entry's number are 0, so that a record of the failure claims no number.
// User-interface thread only.
WriteAhead TakeNumberAndRecordSending(TransactionRecord& record, TransactionKind kind,
                                      JournalEntry& entry);
