#include "gateway/journal_scan.h"

#include <cstdio>
#include <cstring>

#include "gateway/file_errors.h"
#include "gateway/journal_file.h"
#include "settings/module_path.h"

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

LocalDateTime MonthBefore(const LocalDateTime& when) {
  LocalDateTime before = when;
  if (before.month <= 1) {
    before.month = 12;
    --before.year;
  } else {
    --before.month;
  }
  return before;
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
  return highest_;
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
  if (ReadNumber(at, fieldEnd, &sequence) && sequence > highest_) highest_ = sequence;
}

JournalHighest HighestJournalSequence(const char* terminalId, int32_t batch, const LocalDateTime& now) {
  JournalHighest result{};
  JournalSequenceScan scan(terminalId, batch);
  const LocalDateTime months[] = {MonthBefore(now), now};
  for (const LocalDateTime& month : months) {
    for (int side = 1; side <= kJournalSideFiles; ++side) {
      char name[kJournalFileNameSize];
      JournalSideFileName(month, side, name, sizeof name);
      if (!PathBesideModule(name, result.Path, sizeof result.Path)) {
        std::snprintf(result.Path, sizeof result.Path, "%s", name);
        result.Error = kPathTooLong;
        return result;
      }
      const unsigned long error = ReadJournalFile(result.Path, FeedScan, &scan);
      scan.Finish();
      if (error != 0 && error != kFileNotFound) {
        result.Error = error;
        return result;
      }
    }
  }
  result.Highest = scan.Finish();
  result.Path[0] = '\0';
  return result;
}
