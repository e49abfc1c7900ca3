#pragma once
#include <cstddef>
#include <cstdint>

#include "gateway/journal.h"
#include "gateway/sequence_text.h"

// Per-batch sequence numbers, kept in CSBatchSeq.INI in the plug-in's own folder:
// section "Batch%06d" of the batch number, key "SeqNumber", the last number handed out.
// Numbers run 1 to 999999 and then from 1 again. Used on the user-interface thread only.
//
// A number is handed out only once it is in the file and reads back from it: taking it
// happens under a lock shared by every station on the folder (CSBatchSeq.lck beside
// the store), the file is replaced whole and never rewritten in place, and each call
// reads it afresh, so a value edited by hand is taken up by the next call. When
// anything is not as the store left it (the file cut off, a value that is not a number
// from 0 to 999999, a file that cannot be written or read back), no number is handed
// out. When the store has no number for the batch (a new batch, or a store deleted or
// restored from an old copy), counting continues after the highest number that the
// journal shows for this terminal and batch.

inline constexpr const char* kBatchSeqFileName = "CSBatchSeq.INI";
inline constexpr const char* kBatchSeqLockName = "CSBatchSeq.lck";
inline constexpr const char* kBatchSeqNewName = "CSBatchSeq.new";
inline constexpr unsigned kBatchSeqPathSize = 256;
// The biggest store read: some two thousand batches.
inline constexpr size_t kBatchSeqFileLimit = 65536;

// The module's folder (up to and including its last backslash) + kBatchSeqFileName.
// Empty until the first number is taken, then fixed for the life of the process. A
// test may fill it before the first call to point the store at another folder.
extern char BatchSeqPath[kBatchSeqPathSize];

enum class SequenceFailure {
  None,               // Number is stored and read back
  Locked,             // another station or program held the lock past the wait
  NotStored,          // a file could not be read, written or read back: Error
  Damaged,            // the file, or the batch's value in it, is not what the store writes
  JournalUnreadable,  // no number in the store, and the journal could not be read: Error
};

struct SequenceTake {
  SequenceFailure Failure;
  int32_t Number;               // when Failure is None
  unsigned long Error;          // the error number (gateway/file_errors.h), for Locked,
                                // NotStored and JournalUnreadable
  char Path[kJournalPathSize];  // the file that failed
};

// The next sequence number of the batch for terminalId, stored and read back before it
// is returned.
SequenceTake TakeSequenceNumber(const char* terminalId, int32_t batchNumber);
