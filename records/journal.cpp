#include "records/journal.h"

#include <cstdio>
#include <cstring>

#include "records/data_folder.h"
#include "records/file_errors.h"
#include "records/journal_file.h"
#include "settings/settings.h"

namespace {

constexpr const char* kBookedText = "Booked by the station program.";

// A typed number shorter than this shows at most half of itself.
constexpr size_t kFullMaskLength = 13;
constexpr size_t kShownHead = 6;
constexpr size_t kShownTail = 4;
constexpr char kMaskCharacter = '*';
constexpr const char* kTrackDataStart = "=^";  // track 2's and track 1's field separators

// The longest record there can be, so that the buffer never cuts one: every column at
// its longest, texts with every character a doubled quote.
constexpr size_t kLongestQuotedText(size_t characters) { return 2 + 1 + 2 * characters; }
constexpr size_t kLongestRecord =
    19 + 1 +                                           // local time
    7 + 1 +                                            // kind
    kLongestQuotedText(sizeof JournalEntry::TerminalID - 1) + 1 +
    11 + 1 + 11 + 1 +                                  // batch, sequence
    12 + 1 +                                           // amount, "-21474836.48"
    kLongestQuotedText(kMaskedCardSize - 1) + 1 +
    15 + 1 +                                           // event
    kLongestQuotedText(2) + 1 +                        // response code
    kLongestQuotedText(kJournalMessageLimit) + 1 +
    11 + 2 + 1;                                        // end code, line end, NUL
static_assert(kLongestRecord <= kJournalRecordSize);

JournalWrite Write(const JournalEntry& entry, const JournalRecord& record) {
  return WriteJournalRecord(entry, record, CurrentLocalTime());
}

}  // namespace

JournalWrite JournalSending(const JournalEntry& entry) {
  return Write(entry, JournalRecord{JournalEvent::Sending, "", "", std::nullopt});
}

JournalWrite JournalNotSent(const JournalEntry& entry, const char* text,
                            std::optional<int32_t> endCode) {
  return Write(entry, JournalRecord{JournalEvent::TransportError, "", text, endCode});
}

JournalWrite JournalBooking(const JournalEntry& entry, int32_t stationResult, const char* message,
                            int32_t endCode) {
  const JournalEvent event = stationResult == 0 ? JournalEvent::Booked : JournalEvent::BookingFailed;
  return Write(entry, JournalRecord{event, "", stationResult == 0 ? kBookedText : message, endCode});
}

void MaskCardNumber(const char* cardText, char* out, size_t outSize) {
  if (outSize == 0) return;
  const size_t length = std::strcspn(cardText, kTrackDataStart);
  size_t head = kShownHead;
  size_t tail = kShownTail;
  if (length < kFullMaskLength) {
    head = 0;
    tail = length / 2 < kShownTail ? length / 2 : kShownTail;
  }
  size_t used = 0;
  for (size_t i = 0; i < length && used + 1 < outSize; ++i) {
    out[used++] = i < head || i >= length - tail ? cardText[i] : kMaskCharacter;
  }
  out[used] = '\0';
}

size_t FormatJournalRecord(const JournalEntry& entry, const JournalRecord& record,
                           const LocalDateTime& when, char* out) {
  const JournalLine line{when,
                         entry.Kind,
                         entry.TerminalID,
                         entry.BatchNumber,
                         entry.SequenceNumber,
                         entry.AmountCents,
                         entry.MaskedCard,
                         record.Event,
                         record.ResponseCode,
                         record.Message,
                         record.EndCode};
  return FormatJournalLine(line, out);
}

JournalWrite WriteJournalRecord(const JournalEntry& entry, const JournalRecord& record,
                                const LocalDateTime& when) {
  JournalWrite result{};
  if (!entry.Kept) return result;
  char line[kJournalRecordSize];
  FormatJournalRecord(entry, record, when, line);
  char path[kJournalPathSize];
  for (int side = 1; side <= kJournalSideFiles; ++side) {
    char name[kJournalFileNameSize];
    JournalSideFileName(when, side, name, sizeof name);
    if (!DataFilePath(name, path, sizeof path)) {
      std::snprintf(result.Path, sizeof result.Path, "%s", name);
      result.Failed = true;
      result.Error = kPathTooLong;
      return result;
    }
    const unsigned long error = AppendJournalRecord(path, kJournalHeader, line);
    if (side == 1) {
      std::memcpy(result.Path, path, sizeof path);
      result.Error = error;
    }
    if (error == 0) {
      // The month's own file is reported as it was; a side file by its name.
      if (side > 1) {
        result.Side = true;
        std::memcpy(result.Path, path, sizeof path);
      }
      return result;
    }
    // Only a file that someone else holds or that may not be written has a side file
    // worth trying; a full disk or a lost folder fails the same everywhere.
    if (error != kSharingViolation && error != kAccessDenied && error != kLockViolation) break;
  }
  result.Failed = true;
  return result;
}
