#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "records/journal_format.h"
#include "records/local_clock.h"

// The transaction journal: CSV files beside the plug-in, one per calendar month
// (CSJournal-2026-12.csv), in which every transaction the plug-in sends (charge,
// deposit, configuration test) leaves a "sending" record before its request leaves and
// a record of its outcome afterwards; an approved deposit also one of its booking by
// the station program. A record is one line, appended with one write and flushed (see
// journal_file.h), so that a crash leaves every line written before it and two station
// programs sharing a folder cannot split each other's lines. A line goes to the file
// of the month of its own time stamp.
//
// Records hold the card number masked (MaskCardNumber) and nothing of the track data
// after it. When the month's file is held by another program without write sharing (a
// spreadsheet) or may not be written, the record goes to a side file of the month
// (CSJournal-2026-12-2.csv, then -3, ...), which begins with the header too. A record
// that cannot be written anywhere is reported in the JournalWrite the writer gets back:
// no request may leave without its "sending" record (gateway/write_ahead.h). With the
// Journal setting 0 nothing is written.
//
// Callable from any thread: apart from the files it keeps nothing of its own (records
// are built on the caller's stack), and it reads no setting: the switch comes with the
// entry. Nothing here knows the transport: an exchange's entry and outcome are made
// into records by gateway/exchange_journal.h.

inline constexpr size_t kJournalPathSize = 260;
inline constexpr size_t kMaskedCardSize = 80;

// What every record of one transaction repeats, taken when its request is built. Holds
// the card number only masked. Kept is the Journal setting as the transaction's job was
// claimed (gateway/exchange_job.h): off, none of its records is written.
struct JournalEntry {
  bool Kept;
  JournalKind Kind;
  char TerminalID[32];
  int32_t BatchNumber;
  int32_t SequenceNumber;
  int32_t AmountCents;
  char MaskedCard[kMaskedCardSize];
};

// What one record says beyond its entry.
struct JournalRecord {
  JournalEvent Event;
  const char* ResponseCode;        // "" when there is none
  const char* Message;             // the gateway's message, an error text or a note
  std::optional<int32_t> EndCode;  // what the station program gets from the export
};

// How one write went. With the journal off nothing is written and nothing failed.
struct JournalWrite {
  bool Failed;
  bool Side;                    // written to a side file: the month's own was held
  unsigned long Error;          // the error number (records/file_errors.h) when Failed,
                                // or when Side what the month's own file gave
  char Path[kJournalPathSize];  // the file written, or the month's that could not be
};

// The "sending" record: written and flushed before the request may leave.
JournalWrite JournalSending(const JournalEntry& entry);

// A transaction that ended before its exchange began (no number could be stored, the
// "sending" record could not be written, the worker could not be started): a transport
// error with text. endCode: what the station program gets, none for a Test.
JournalWrite JournalNotSent(const JournalEntry& entry, const char* text,
                            std::optional<int32_t> endCode);

// The station program's booking of an approved deposit: its result 0 is "booked",
// any other "booking failed"; message is what the user was told.
JournalWrite JournalBooking(const JournalEntry& entry, int32_t stationResult, const char* message,
                            int32_t endCode);

// --- The parts, for the writers above and for tests. ---

// The card number of cardText (what a record's CardNumber holds: a typed number or
// track-2 data), masked into out (outSize bytes, at most kMaskedCardSize needed). The
// number ends at the first '=' or '^', where track data begins; nothing after it is
// read. A number of 13 characters or more keeps its first six and last four; a shorter
// one keeps at most its last four and never more than half of it. Every other
// character becomes '*'.
void MaskCardNumber(const char* cardText, char* out, size_t outSize);

// One whole record, its line end included, at out (kJournalRecordSize bytes); returns
// the length. The line as records/journal_format.h writes it.
size_t FormatJournalRecord(const JournalEntry& entry, const JournalRecord& record,
                           const LocalDateTime& when, char* out);

// Appends the record, stamped with when, to the file of when's month beside the plug-in,
// or to a side file when that one is held or may not be written.
JournalWrite WriteJournalRecord(const JournalEntry& entry, const JournalRecord& record,
                                const LocalDateTime& when);
