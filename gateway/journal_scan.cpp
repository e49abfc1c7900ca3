#include "gateway/journal_scan.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "gateway/data_folder.h"
#include "gateway/file_errors.h"
#include "gateway/journal_file.h"
#include "gateway/sequence_text.h"

namespace {

// Columns before the ones read: local time and kind, neither ever quoted.
constexpr int kTerminalColumn = 2;

// The raw text of one CSV field at at (quotes kept), up to its comma or the end;
// returns where the next field begins, or nullptr at the end of the line.
const char* FieldEnd(const char* at, const char* stop) {
  bool quoted = false;
  for (; at < stop; ++at) {
    if (*at == '"') quoted = !quoted;
    if (*at == ',' && !quoted) return at;
  }
  return stop;
}

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
  LocalDateTime month{};
  if (!JournalFileMonth(name, &month) || MonthKey(month) >= search->Below) return;
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
    at = FieldEnd(at, stop);
    if (at == stop) return;
    ++at;
  }
  const char* fieldEnd = FieldEnd(at, stop);
  const size_t terminalLength = std::strlen(terminalField_);
  if (static_cast<size_t>(fieldEnd - at) != terminalLength ||
      std::memcmp(at, terminalField_, terminalLength) != 0 || fieldEnd == stop) {
    return;
  }
  at = fieldEnd + 1;
  fieldEnd = FieldEnd(at, stop);
  const size_t batchLength = std::strlen(batchField_);
  if (fieldEnd == stop || static_cast<size_t>(fieldEnd - at) != batchLength ||
      std::memcmp(at, batchField_, batchLength) != 0) {
    return;
  }
  at = fieldEnd + 1;
  fieldEnd = FieldEnd(at, stop);
  int32_t sequence = 0;
  if (ReadNumber(at, fieldEnd, &sequence)) latest_ = LaterSequence(sequence, latest_);
}

bool JournalFileMonth(const char* name, LocalDateTime* month) {
  const size_t prefix = static_cast<size_t>(std::strchr(kJournalFilePattern, '*') - kJournalFilePattern);
  int year = 0;
  int number = 0;
  if (std::strncmp(name, kJournalFilePattern, prefix) != 0 ||
      std::sscanf(name + prefix, "%4d-%2d", &year, &number) != 2 || number < 1 || number > 12) {
    return false;
  }
  // Only the names the journal itself gives, not a copy's "CSJournal-2026-12 (2).csv".
  const LocalDateTime found{year, number, 1, 0, 0, 0};
  for (int side = 1; side <= kJournalSideFiles; ++side) {
    char expected[kJournalFileNameSize];
    JournalSideFileName(found, side, expected, sizeof expected);
    if (std::strcmp(expected, name) == 0) {
      *month = found;
      return true;
    }
  }
  return false;
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
