#include "dialogs/not_sent_text.h"

#include <cstdio>

#include "records/file_errors.h"

void FormatNotSent(const WriteAhead& gate, int batch, char* out, size_t size) {
  const SequenceTake& number = gate.Number;
  char error[kErrorNumberTextSize];
  FormatErrorNumber(number.Failure != SequenceFailure::None ? number.Error : gate.Sending.Error, error,
                    sizeof error);
  switch (number.Failure) {
    case SequenceFailure::Locked:
      std::snprintf(out, size, kStoreLockedFormat, number.Path, error);
      return;
    case SequenceFailure::NotStored:
      std::snprintf(out, size, kStoreNotStoredFormat, number.Path, error);
      return;
    case SequenceFailure::Damaged:
      std::snprintf(out, size, kStoreDamagedFormat, number.Path, batch);
      return;
    case SequenceFailure::JournalUnreadable:
      std::snprintf(out, size, kJournalUnreadableFormat, number.Path, error);
      return;
    case SequenceFailure::None:
      break;
  }
  std::snprintf(out, size, kSendingNotWrittenFormat, gate.Sending.Path, error);
}
