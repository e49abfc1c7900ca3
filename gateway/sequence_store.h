#pragma once
#include <cstdint>

// Per-batch sequence numbers, kept in CSBatchSeq.INI in the plug-in's own folder:
// section "Batch%06d" of the batch number, key "SeqNumber", the last number handed out.
// Numbers run 1 to 999999 and then from 1 again. Used on the user-interface thread only.
//
// The file is the truth whenever it can be written: each call reads it afresh, so a
// value edited by hand is taken up by the next call. Two cases fall back on memory,
// so that one process never hands out the same number of a batch twice in a row:
// - the folder's path does not fit BatchSeqPath (or the module path is unavailable):
//   no file is used at all and every batch counts in memory from 1;
// - a write-back fails (a read-only file or folder): the number handed out is kept in
//   memory and the next call continues from it for as long as the file still holds
//   the value it held then.
// The memory table holds kRememberedBatches batches; beyond that the least recently
// used batch is forgotten.

inline constexpr const char* kBatchSeqFileName = "CSBatchSeq.INI";
inline constexpr const char* kSequenceKey = "SeqNumber";
inline constexpr int32_t kLastSequenceNumber = 999999;
inline constexpr unsigned kBatchSeqPathSize = 256;
inline constexpr unsigned kRememberedBatches = 16;

// The module's folder (up to and including its last backslash) + kBatchSeqFileName.
// Empty until the first number is taken, then fixed for the life of the process; it
// stays empty when the path would not fit. A test may fill it before the first call to
// point the store at another file.
extern char BatchSeqPath[kBatchSeqPathSize];

// The next sequence number of the batch; it is written back before it is returned.
int32_t NextSequenceNumber(int32_t batchNumber);
