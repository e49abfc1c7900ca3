#include "gateway/sequence_store.h"

#include <cstdio>
#include <cstring>

#include "gateway/file_errors.h"
#include "gateway/journal_scan.h"
#include "gateway/local_clock.h"
#include "gateway/sequence_file.h"
#include "settings/module_path.h"
#include "settings/module_state.h"

char BatchSeqPath[kBatchSeqPathSize];

namespace {

// The store as read, and as it is to be written. Module-wide: too big for a stack that
// a station program may keep small, and used by one call at a time.
char StoreText[kBatchSeqFileLimit];
char NewText[kBatchSeqFileLimit];

const ModuleStateReset kResetSequenceStore{[] {
  std::memset(BatchSeqPath, 0, sizeof BatchSeqPath);
}};

SequenceTake Failed(SequenceFailure failure, unsigned long error, const char* path) {
  SequenceTake take{failure, 0, error, {}};
  std::snprintf(take.Path, sizeof take.Path, "%s", path);
  return take;
}

// name beside the store (same folder) into out.
bool BesideStore(const char* name, char* out, size_t outSize) {
  const char* slash = std::strrchr(BatchSeqPath, '\\');
  const size_t folder = slash != nullptr ? static_cast<size_t>(slash - BatchSeqPath) + 1 : 0;
  const int written = std::snprintf(out, outSize, "%.*s%s", static_cast<int>(folder), BatchSeqPath, name);
  return written > 0 && static_cast<size_t>(written) < outSize;
}

// Reads the store into StoreText; *length 0 when there is no file.
SequenceTake ReadStore(size_t* length) {
  const unsigned long error = ReadSequenceFile(BatchSeqPath, StoreText, sizeof StoreText, length);
  if (error == kFileNotFound) {
    *length = 0;
    return SequenceTake{};
  }
  if (error != 0) return Failed(SequenceFailure::NotStored, error, BatchSeqPath);
  if (!SequenceTextIsWhole(StoreText, *length)) return Failed(SequenceFailure::Damaged, 0, BatchSeqPath);
  return SequenceTake{};
}

// The last number of the batch: the store's, or else the journal's highest.
SequenceTake LastNumber(const char* terminalId, const char* section, int32_t batch, size_t length,
                        int32_t* last) {
  const SequenceLookup stored = LookUpSequence(StoreText, length, section);
  if (stored.State == StoredSequence::Bad) return Failed(SequenceFailure::Damaged, 0, BatchSeqPath);
  if (stored.State == StoredSequence::Valid) {
    *last = stored.Value;
    return SequenceTake{};
  }
  const JournalHighest journal = HighestJournalSequence(terminalId, batch, CurrentLocalTime());
  if (journal.Error != 0) return Failed(SequenceFailure::JournalUnreadable, journal.Error, journal.Path);
  *last = journal.Highest;
  return SequenceTake{};
}

SequenceTake TakeLocked(const char* terminalId, int32_t batch, char* newPath) {
  size_t length = 0;
  SequenceTake take = ReadStore(&length);
  if (take.Failure != SequenceFailure::None) return take;
  char section[kSequenceSectionSize];
  SequenceSectionName(batch, section);
  int32_t last = 0;
  take = LastNumber(terminalId, section, batch, length, &last);
  if (take.Failure != SequenceFailure::None) return take;

  const int32_t next = AdvanceSequence(last);
  const size_t newLength = RewriteSequence(StoreText, length, section, next, NewText, sizeof NewText);
  if (newLength == 0) return Failed(SequenceFailure::NotStored, kStoreTooLarge, BatchSeqPath);
  const unsigned long error = ReplaceSequenceFile(BatchSeqPath, newPath, NewText, newLength);
  if (error != 0) return Failed(SequenceFailure::NotStored, error, BatchSeqPath);

  // Whatever the system said, the number counts only once the file gives it back.
  take = ReadStore(&length);
  if (take.Failure != SequenceFailure::None) {
    take.Failure = SequenceFailure::NotStored;
    if (take.Error == 0) take.Error = kNotReadBack;
    return take;
  }
  const SequenceLookup back = LookUpSequence(StoreText, length, section);
  if (back.State != StoredSequence::Valid || back.Value != next) {
    return Failed(SequenceFailure::NotStored, kNotReadBack, BatchSeqPath);
  }
  take.Number = next;
  return take;
}

}  // namespace

SequenceTake TakeSequenceNumber(const char* terminalId, int32_t batchNumber) {
  if (BatchSeqPath[0] == '\0' && !PathBesideModule(kBatchSeqFileName, BatchSeqPath, sizeof BatchSeqPath)) {
    BatchSeqPath[0] = '\0';
    return Failed(SequenceFailure::NotStored, kPathTooLong, kBatchSeqFileName);
  }
  char lockPath[kJournalPathSize];
  char newPath[kJournalPathSize];
  if (!BesideStore(kBatchSeqLockName, lockPath, sizeof lockPath) ||
      !BesideStore(kBatchSeqNewName, newPath, sizeof newPath)) {
    return Failed(SequenceFailure::NotStored, kPathTooLong, BatchSeqPath);
  }
  const unsigned long lockError = LockSequenceStore(lockPath);
  if (lockError == kLockNotGiven) return Failed(SequenceFailure::Locked, lockError, lockPath);
  if (lockError != 0) return Failed(SequenceFailure::NotStored, lockError, lockPath);
  const SequenceTake take = TakeLocked(terminalId, batchNumber, newPath);
  UnlockSequenceStore();
  return take;
}
