#include "dialogs/not_sent_text.h"

#include <cstdio>

void FormatNotSent(const WriteAhead& gate, int batch, char* out, size_t size) {
  const SequenceTake& number = gate.Number;
  switch (number.Failure) {
    case SequenceFailure::Locked:
      std::snprintf(out, size, kStoreLockedFormat, number.Path, number.Error);
      return;
    case SequenceFailure::NotStored:
      std::snprintf(out, size, kStoreNotStoredFormat, number.Path, number.Error);
      return;
    case SequenceFailure::Damaged:
      std::snprintf(out, size, kStoreDamagedFormat, number.Path, batch);
      return;
    case SequenceFailure::JournalUnreadable:
      std::snprintf(out, size, kJournalUnreadableFormat, number.Path, number.Error);
      return;
    case SequenceFailure::None:
      break;
  }
  std::snprintf(out, size, kSendingNotWrittenFormat, gate.Sending.Path, gate.Sending.Error);
}
