#pragma once
#include <cstddef>
#include <cstdint>

#include "records/journal.h"

// The journal's word on a batch's numbers: the latest sequence number that the journal
// files show for a terminal and batch. Every record of a transaction carries its number,
// so any line will do, a torn one too; lines without a number (0) do not count.
//
// "Latest" is decided month by month, newest month first, over every journal file
// present: the newest month whose files (its own and its side files) show the terminal
// and batch decides, and an older month is read only when every newer one is silent
// about it. Within that month the latest number is the later (LaterSequence) of all its
// numbers, in whatever file and line they stand: a month's lines interleave across its
// side files, and their local time stamps repeat when the clocks go back in autumn, but
// the numbers themselves go round in order. This holds while one month holds fewer than
// half the circle's numbers (499999) for one terminal and batch: some 11 a minute, day
// and night, for the whole month.

// Reads journal lines fed in pieces of any size and keeps the latest number seen for one
// terminal and batch. A line longer than a record is judged by its first
// kJournalRecordSize bytes.
class JournalSequenceScan {
 public:
  JournalSequenceScan(const char* terminalId, int32_t batch);
  void Feed(const char* bytes, size_t count);
  // Judges a last line without a line end; the latest number, 0 when none was seen.
  int32_t Finish();

 private:
  void Judge();

  char terminalField_[kJournalRecordSize];
  char batchField_[16];
  int32_t latest_ = 0;
  char line_[kJournalRecordSize];
  size_t used_ = 0;
};

// The journal's latest number, or where it could not be read.
struct JournalLatest {
  int32_t Latest;               // 0: no number for this terminal and batch
  unsigned long Error;          // the error number (records/file_errors.h) when a file
                                // or the folder could not be read
  char Path[kJournalPathSize];  // that file, or the folder's pattern
};

JournalLatest LatestJournalSequence(const char* terminalId, int32_t batch);
