#include "records/sequence_store.h"

#include <cstdio>
#include <cstring>

#include "records/data_folder.h"
#include "records/file_errors.h"
#include "records/journal_scan.h"
#include "records/sequence_file.h"
#include "settings/module_state.h"
#include "settings/settings.h"

char BatchSeqPath[kBatchSeqPathSize];

namespace {

// The store as read, and as it is to be written. Module-wide: too big for a stack that
// a station program may keep small, and used by one call at a time.
char StoreText[kBatchSeqFileLimit];
char NewText[kBatchSeqFileLimit];

// The last batch this process numbered with the journal on, and its last number: the
// journal's latest as far as this process knows, and what it last stored.
struct KnownBatch {
  char TerminalID[sizeof JournalEntry::TerminalID];
  int32_t Batch;
  int32_t Last;  // 0: nothing known
};
KnownBatch Known;

const ModuleStateReset kResetSequenceStore{[] {
  std::memset(BatchSeqPath, 0, sizeof BatchSeqPath);
  Known = KnownBatch{};
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

// Reads the store into StoreText; *length 0 when there is no file or it is empty. A store
// that Windows opened in the user's VirtualStore counts for nothing: its numbers are
// this account's alone.
SequenceTake ReadStore(size_t* length) {
  char opened[kOpenedPathSize];
  const unsigned long error = ReadSequenceFile(BatchSeqPath, StoreText, sizeof StoreText, length, opened);
  if (error == kFileNotFound) {
    *length = 0;
    return SequenceTake{};
  }
  if (error != 0) return Failed(SequenceFailure::NotStored, error, BatchSeqPath);
  if (IsRedirected(BatchSeqPath, opened)) return Failed(SequenceFailure::NotStored, kRedirected, BatchSeqPath);
  if (*length != 0 && !SequenceTextIsWhole(StoreText, *length)) {
    return Failed(SequenceFailure::Damaged, 0, BatchSeqPath);
  }
  return SequenceTake{};
}

bool IsKnownBatch(const char* terminalId, int32_t batch) {
  return Known.Last != 0 && Known.Batch == batch && std::strcmp(Known.TerminalID, terminalId) == 0;
}

// The journal's latest number of the batch: from memory while the store still holds what
// this process last stored there (nobody else changed it), or else read afresh.
SequenceTake JournalLatestNumber(const char* terminalId, int32_t batch, int32_t stored, int32_t* latest) {
  if (IsKnownBatch(terminalId, batch) && stored == Known.Last) {
    *latest = Known.Last;
    return SequenceTake{};
  }
  const JournalLatest journal = LatestJournalSequence(terminalId, batch);
  if (journal.Error != 0) return Failed(SequenceFailure::JournalUnreadable, journal.Error, journal.Path);
  *latest = journal.Latest;
  return SequenceTake{};
}

// The last number of the batch: the later of the store's and the journal's, or with the
// journal off the store's, and only when it has none the journal's.
SequenceTake LastNumber(const char* terminalId, const char* section, int32_t batch, size_t length,
                        int32_t* last) {
  const SequenceLookup stored = LookUpSequence(StoreText, length, section);
  if (stored.State == StoredSequence::Bad) return Failed(SequenceFailure::Damaged, 0, BatchSeqPath);
  const int32_t storeLast = stored.State == StoredSequence::Valid ? stored.Value : 0;
  if (!CurrentSettings.Journal) {
    Known = KnownBatch{};
    if (stored.State == StoredSequence::Valid) {
      *last = storeLast;
      return SequenceTake{};
    }
  }
  int32_t journalLast = 0;
  const SequenceTake take = JournalLatestNumber(terminalId, batch, storeLast, &journalLast);
  if (take.Failure == SequenceFailure::None) *last = LaterSequence(storeLast, journalLast);
  return take;
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
  const char* failedPath = BatchSeqPath;
  const unsigned long error = ReplaceSequenceFile(BatchSeqPath, newPath, NewText, newLength, &failedPath);
  if (error != 0) return Failed(SequenceFailure::NotStored, error, failedPath);

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
  if (CurrentSettings.Journal) {
    std::snprintf(Known.TerminalID, sizeof Known.TerminalID, "%s", terminalId);
    Known.Batch = batch;
    Known.Last = next;
  }
  take.Number = next;
  return take;
}

}  // namespace

SequenceTake TakeSequenceNumber(const char* terminalId, int32_t batchNumber) {
  if (BatchSeqPath[0] == '\0' && !DataFilePath(kBatchSeqFileName, BatchSeqPath, sizeof BatchSeqPath)) {
    BatchSeqPath[0] = '\0';
    return Failed(SequenceFailure::NotStored, kPathTooLong, kBatchSeqFileName);
  }
  char lockPath[kJournalPathSize];
  char newPath[kJournalPathSize];
  if (!BesideStore(kBatchSeqLockName, lockPath, sizeof lockPath) ||
      !BesideStore(kBatchSeqNewName, newPath, sizeof newPath)) {
    return Failed(SequenceFailure::NotStored, kPathTooLong, BatchSeqPath);
  }
  char opened[kOpenedPathSize];
  const unsigned long lockError = LockSequenceStore(lockPath, opened);
  if (lockError == kLockNotGiven) return Failed(SequenceFailure::Locked, lockError, lockPath);
  if (lockError != 0) return Failed(SequenceFailure::NotStored, lockError, lockPath);
  // A lock of this account's own VirtualStore keeps no other account out.
  const SequenceTake take = IsRedirected(lockPath, opened)
                                ? Failed(SequenceFailure::NotStored, kRedirected, lockPath)
                                : TakeLocked(terminalId, batchNumber, newPath);
  UnlockSequenceStore();
  return take;
}
