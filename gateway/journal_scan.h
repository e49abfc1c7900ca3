#pragma once
#include <cstddef>
#include <cstdint>

#include "gateway/journal.h"

// Where numbering continues when the sequence store has no number for a batch: the
// highest sequence number that the journal files beside the plug-in show for the
// terminal and batch, in the month of now and the month before, side files included.
// Every record of a transaction carries its number, so any line will do, a torn one too.

// Reads journal lines fed in pieces of any size and keeps the highest number seen for
// one terminal and batch. A line longer than a record is judged by its first
// kJournalRecordSize bytes.
class JournalSequenceScan {
 public:
  JournalSequenceScan(const char* terminalId, int32_t batch);
  void Feed(const char* bytes, size_t count);
  // Judges a last line without a line end; the highest number, 0 when none was seen.
  int32_t Finish();

 private:
  void Judge();

  char terminalField_[kJournalRecordSize];
  char batchField_[16];
  int32_t highest_ = 0;
  char line_[kJournalRecordSize];
  size_t used_ = 0;
};

// Sequence numbers seen in the journal, or where it could not be read.
struct JournalHighest {
  int32_t Highest;              // 0: no number for this terminal and batch
  unsigned long Error;          // the error number (gateway/file_errors.h) when a file
                                // could not be read
  char Path[kJournalPathSize];  // that file
};

JournalHighest HighestJournalSequence(const char* terminalId, int32_t batch, const LocalDateTime& now);
