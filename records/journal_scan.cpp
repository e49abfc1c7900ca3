#include "records/journal_scan.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

#include "records/data_folder.h"
#include "records/file_errors.h"
#include "records/journal_file.h"
#include "records/journal_format.h"
#include "records/sequence_text.h"

namespace {

constexpr int kTerminalColumn = static_cast<int>(JournalColumn::TerminalId);

bool ReadNumber(const char* begin, const char* end, int32_t* value) {
  if (begin == end || end - begin > 7) return false;
  int32_t number = 0;
  for (const char* c = begin; c < end; ++c) {
    if (*c < '0' || *c > '9') return false;
    number = number * 10 + (*c - '0');
  }
  *value = number;
  return true;
}

void FeedScan(void* scan, const char* bytes, size_t count) {
  static_cast<JournalSequenceScan*>(scan)->Feed(bytes, count);
}

int MonthKey(const LocalDateTime& month) { return month.year * 12 + month.month - 1; }

// The newest month among the journal files listed that is older than Below.
struct MonthSearch {
  int Below;
  bool Found;
  LocalDateTime Newest;
};

void ConsiderFile(void* context, const char* name) {
  auto* search = static_cast<MonthSearch*>(context);
  // Only the names the journal itself gives, not a copy's "CSJournal-2026-12 (2).csv".
  const std::optional<JournalFileMonth> file = ParseJournalFileName(name);
  if (!file || file->Renamed || file->Side > kJournalSideFiles) return;
  const LocalDateTime month{file->Year, file->Month, 1, 0, 0, 0};
  if (MonthKey(month) >= search->Below) return;
  if (!search->Found || MonthKey(month) > MonthKey(search->Newest)) search->Newest = month;
  search->Found = true;
}

JournalLatest Failed(unsigned long error, const char* path) {
  JournalLatest result{0, error, {}};
  std::snprintf(result.Path, sizeof result.Path, "%s", path);
  return result;
}

}  // namespace

JournalSequenceScan::JournalSequenceScan(const char* terminalId, int32_t batch) {
  FormatCsvText(terminalId, terminalField_, sizeof terminalField_);
  std::snprintf(batchField_, sizeof batchField_, "%d", static_cast<int>(batch));
}

void JournalSequenceScan::Feed(const char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (bytes[i] == '\n') {
      Judge();
      used_ = 0;
    } else if (used_ < sizeof line_) {
      line_[used_++] = bytes[i];
    }
  }
}

int32_t JournalSequenceScan::Finish() {
  Judge();
  used_ = 0;
  return latest_;
}

void JournalSequenceScan::Judge() {
  const char* const stop = line_ + used_;
  const char* at = line_;
  for (int column = 0; column < kTerminalColumn; ++column) {
    at = JournalFieldEnd(at, stop);
    if (at == stop) return;
    ++at;
  }
  const char* fieldEnd = JournalFieldEnd(at, stop);
  const size_t terminalLength = std::strlen(terminalField_);
  if (static_cast<size_t>(fieldEnd - at) != terminalLength ||
      std::memcmp(at, terminalField_, terminalLength) != 0 || fieldEnd == stop) {
    return;
  }
  at = fieldEnd + 1;
  fieldEnd = JournalFieldEnd(at, stop);
  const size_t batchLength = std::strlen(batchField_);
  if (fieldEnd == stop || static_cast<size_t>(fieldEnd - at) != batchLength ||
      std::memcmp(at, batchField_, batchLength) != 0) {
    return;
  }
  at = fieldEnd + 1;
  fieldEnd = JournalFieldEnd(at, stop);
  int32_t sequence = 0;
  if (ReadNumber(at, fieldEnd, &sequence)) latest_ = LaterSequence(sequence, latest_);
}

JournalLatest LatestJournalSequence(const char* terminalId, int32_t batch) {
  char path[kJournalPathSize];
  if (!DataFilePath(kJournalFilePattern, path, sizeof path)) return Failed(kPathTooLong, kJournalFilePattern);
  char pattern[kJournalPathSize];
  std::memcpy(pattern, path, sizeof pattern);
  MonthSearch search{INT_MAX, false, {}};
  for (;;) {
    search.Found = false;
    const unsigned long listError = ListJournalFiles(pattern, ConsiderFile, &search);
    if (listError != 0) return Failed(listError, pattern);
    if (!search.Found) return JournalLatest{};
    JournalSequenceScan scan(terminalId, batch);
    for (int side = 1; side <= kJournalSideFiles; ++side) {
      char name[kJournalFileNameSize];
      JournalSideFileName(search.Newest, side, name, sizeof name);
      if (!DataFilePath(name, path, sizeof path)) return Failed(kPathTooLong, name);
      const unsigned long error = ReadJournalFile(path, FeedScan, &scan);
      scan.Finish();
      if (error != 0 && error != kFileNotFound) return Failed(error, path);
    }
    const int32_t latest = scan.Finish();
    if (latest != 0) return JournalLatest{latest, 0, {}};
    search.Below = MonthKey(search.Newest);
  }
}
