#pragma once
#include <cstdint>

// Per-batch sequence numbers, kept in CSBatchSeq.INI in the plug-in's own folder:
// section "Batch%06d" of the batch number, key "SeqNumber", the last number handed out.
// Numbers run 1 to 999999 and then from 1 again. Used on the user-interface thread only.

inline constexpr const char* kBatchSeqFileName = "CSBatchSeq.INI";
inline constexpr int32_t kLastSequenceNumber = 999999;

extern char BatchSeqPath[256];  // set on first use

// The next sequence number of the batch; it is stored before it is returned.
int32_t NextSequenceNumber(int32_t batchNumber);

// Writes value as "%d" under section/key of file. Returns true when written.
bool WriteIntSetting(const char* section, const char* key, int32_t value, const char* file);

// Back to the load-time state, for tests.
void ResetSequenceStore();
