// libFuzzer target: the journal line reader (ReadJournalLine) on any bytes. It must stay
// within the line and its text buffer, and what it reads as a record must be what the
// writer writes again and reads back the same: the reader is the writer's inverse.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "records/journal_format.h"

namespace {

bool Same(const JournalLine& a, const JournalLine& b) {
  return std::memcmp(&a.Time, &b.Time, sizeof a.Time) == 0 && a.Kind == b.Kind && a.Batch == b.Batch &&
         a.Sequence == b.Sequence && a.AmountCents == b.AmountCents && a.Event == b.Event &&
         a.EndCode == b.EndCode && std::strcmp(a.TerminalId, b.TerminalId) == 0 &&
         std::strcmp(a.Card, b.Card) == 0 && std::strcmp(a.ResponseCode, b.ResponseCode) == 0 &&
         std::strcmp(a.Message, b.Message) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that AddressSanitizer catches a read past the line.
  std::vector<char> line(data, data + size);
  JournalLine read{};
  char texts[kJournalRecordSize];
  if (ReadJournalLine(line.data(), line.size(), &read, texts).Fault != JournalFault::None) return 0;

  char written[kJournalRecordSize];
  const size_t length = FormatJournalLine(read, written);
  if (length + 1 >= kJournalRecordSize) return 0;  // cut at the buffer: the writer's own limit
  const size_t end = std::strlen(kJournalLineEnd);
  if (length < end || std::memcmp(written + length - end, kJournalLineEnd, end) != 0) std::abort();
  JournalLine again{};
  char againTexts[kJournalRecordSize];
  if (ReadJournalLine(written, length - end, &again, againTexts).Fault != JournalFault::None) std::abort();
  if (!Same(read, again)) std::abort();
  return 0;
}
