#pragma once
#include <cstdint>
#include <optional>

#include "gateway/request_message.h"
#include "gateway/transaction_record.h"
#include "gateway/transport_errors.h"
#include "records/journal.h"

// The journal's records of an exchange with the gateway: the entry taken from the
// request's record, and the outcome as the exchange's result and reply show it. Built
// on the journal's writers (records/journal.h), which know nothing of the transport.
// Callable from any thread, as they are.

// Fills entry from a record whose request has just been built for kind; Kept is left
// as the claim set it.
void BeginJournalEntry(JournalEntry& entry, const TransactionRecord& record, TransactionKind kind);

// The outcome of a finished exchange as ClassifyExchange (gateway/exchange_outcome.h)
// sees its result and reply: the response code and the gateway's message, or the text
// of the reply buffer (a failure text, or a gateway body beginning "Error:"), or a note
// that the answer carried no code. endCode: what the station program gets, when it is
// settled by this outcome.
JournalWrite JournalOutcome(const JournalEntry& entry, const TransportResult& result,
                            const char* reply, std::optional<int32_t> endCode);

// The outcome of an exchange whose dialog the station program destroyed before it could
// take the result: the station was told nothing, so no end code, and a note says so; an
// approved deposit also gets "booking failed", since nobody booked it. Called by the
// worker on its own thread, or by the dialog as it is destroyed when the result had
// already reached it.
void JournalAbandonedOutcome(const JournalEntry& entry, const TransportResult& result,
                             const char* reply);
