#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/reconcile/file_system.h"
#include "tools/reconcile/findings.h"

// The journal files of a run read as one stream of records in time order, month by
// month, each line once:
//   - Copies of the same file are the files whose first record is the same line (a
//     line is written to one file only, so no two other files share one). Their lines
//     are read together, line number by line number, and each is taken once; a last
//     line cut off by a copy taken while it was written is taken from a copy that has
//     it whole. Copies that differ at a line give both lines, and a note.
//   - The files of one month (each station's, side files, files of stations that share
//     a folder) are merged by the time of their lines, so that a transaction's records
//     come in the order they were written, whichever file holds each.
// Lines that are not records are noted with their file and line number; a last line
// without its line end and no whole copy is noted as cut off. Nothing is dropped
// without a note or a count.

// Takes what the stream gives.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual void Record(const Place& at, const JournalLine& line) = 0;
  virtual void Note(InputNote note) = 0;
};

// Counts bytes read, for the progress line.
using ProgressCounter = std::function<void(uint64_t bytes)>;

struct StreamCounts {
  int64_t Lines = 0;
  int64_t CopiedLines = 0;
  int CopyFiles = 0;
  int LeftOutFiles = 0;
};

// Reads files (indexed as given) into sink. month (YYYYMM, or 0 for all): only the files
// of that month and the months beside it are read, the neighbours so that a
// transaction that spans the turn of a month is whole.
StreamCounts StreamJournals(const std::vector<FoundFile>& files, int month, RecordSink& sink,
                            const ProgressCounter& progress);
