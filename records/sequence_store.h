#pragma once
#include <cstddef>
#include <cstdint>

#include "records/journal.h"
#include "records/sequence_text.h"

// Per-batch sequence numbers, kept in CSBatchSeq.INI in the plug-in's data folder
// (records/data_folder.h): section "Batch%06d" of the batch number, key "SeqNumber",
// the last number handed out. Numbers run 1 to 999999 and then from 1 again. Used on
// the user-interface thread only.
//
// A number is handed out only once it is in the file and reads back from it: taking it
// happens under a lock shared by every station on the folder (CSBatchSeq.lck beside
// the store), the file is replaced whole and never rewritten in place, and each call
// reads it afresh. When anything is not as the store left it (the file cut off, a value
// that is not a number from 0 to 999999, a file that cannot be written or read back),
// no number is handed out. An empty file, as an administrator creates it to grant
// rights in advance, holds no numbers yet: the plug-in never leaves one, since it
// replaces the file whole.
//
// With the journal on, the journal has the last word on what was sent: numbering
// continues after the later (LaterSequence) of the store's number and the journal's
// latest for this terminal and batch (records/journal_scan.h), so a store restored from
// a backup or edited by hand never sends a number again. The journal is read on the
// first number of a batch after the plug-in is loaded; its latest number is then kept in
// memory, for the last batch numbered, and advanced with each number taken. It is read
// again for another terminal or batch, and whenever the store's
// number is not the one this process last stored: someone else changed the store
// (another station on the folder, a restore, an editor), and only the journal knows what
// they sent. That covers a store restored to any number, behind this process's or ahead
// of it, except one equal to the number this process last stored after other stations
// on the folder went on from it.
//
// With the journal off, the store alone decides. Only a batch for which the store holds
// no number looks at the journal files left from when it was on.

inline constexpr const char* kBatchSeqFileName = "CSBatchSeq.INI";
inline constexpr const char* kBatchSeqLockName = "CSBatchSeq.lck";
inline constexpr const char* kBatchSeqNewName = "CSBatchSeq.new";
inline constexpr unsigned kBatchSeqPathSize = 256;
// The biggest store read: some two thousand batches.
inline constexpr size_t kBatchSeqFileLimit = 65536;

// The data folder (up to and including its last backslash) + kBatchSeqFileName. Empty
// until the first number is taken, then fixed for the life of the process. A test may
// fill it before the first call to point the store at another folder.
extern char BatchSeqPath[kBatchSeqPathSize];

enum class SequenceFailure {
  None,               // Number is stored and read back
  Locked,             // another station or program held the lock past the wait
  NotStored,          // a file could not be read, written or read back: Error
  Damaged,            // the file, or the batch's value in it, is not what the store writes
  JournalUnreadable,  // the journal's files or folder could not be read: Error
};

struct SequenceTake {
  SequenceFailure Failure;
  int32_t Number;               // when Failure is None
  unsigned long Error;          // the error number (records/file_errors.h), for Locked,
                                // NotStored and JournalUnreadable
  char Path[kJournalPathSize];  // the file that failed
};

// The next sequence number of the batch for terminalId, stored and read back before it
// is returned.
SequenceTake TakeSequenceNumber(const char* terminalId, int32_t batchNumber);
