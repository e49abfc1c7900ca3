#include "gateway/sequence_store.h"

#include <cstdio>
#include <cstring>

#include "settings/module_path.h"
#include "settings/module_state.h"
#include "settings/profile_store.h"

char BatchSeqPath[kBatchSeqPathSize];

namespace {

constexpr const char* kSectionFormat = "Batch%06d";
constexpr size_t kSectionSize = 64;

// The number a batch last got while its file could not be written, and what the file
// held at that moment: as long as the file still holds that value, it is stale.
struct RememberedNumber {
  bool used;
  int32_t batch;
  int32_t fileValue;
  int32_t lastIssued;
  unsigned lastUse;
};

bool PathResolved;
RememberedNumber Remembered[kRememberedBatches];
unsigned UseClock;

int32_t Advance(int32_t value) {
  // Compared before adding, so that a stored INT_MAX cannot overflow.
  return value >= kLastSequenceNumber ? 1 : value + 1;
}

RememberedNumber* FindRemembered(int32_t batch) {
  for (RememberedNumber& entry : Remembered) {
    if (entry.used && entry.batch == batch) return &entry;
  }
  return nullptr;
}

// A free slot, or else the least recently used one.
RememberedNumber& SlotFor(int32_t batch) {
  RememberedNumber* found = FindRemembered(batch);
  if (found != nullptr) return *found;
  RememberedNumber* oldest = &Remembered[0];
  for (RememberedNumber& entry : Remembered) {
    if (!entry.used) return entry;
    if (entry.lastUse < oldest->lastUse) oldest = &entry;
  }
  return *oldest;
}

const ModuleStateReset kResetSequenceStore{[] {
  std::memset(BatchSeqPath, 0, sizeof BatchSeqPath);
  std::memset(Remembered, 0, sizeof Remembered);
  PathResolved = false;
  UseClock = 0;
}};

}  // namespace

int32_t NextSequenceNumber(int32_t batchNumber) {
  if (!PathResolved) {
    if (BatchSeqPath[0] == '\0') PathBesideModule(kBatchSeqFileName, BatchSeqPath, sizeof BatchSeqPath);
    PathResolved = true;
  }
  const bool haveFile = BatchSeqPath[0] != '\0';

  char section[kSectionSize];
  std::snprintf(section, sizeof section, kSectionFormat, static_cast<int>(batchNumber));

  const int32_t fileValue = haveFile ? ProfileReadInt(section, kSequenceKey, 0, BatchSeqPath) : 0;
  RememberedNumber* remembered = FindRemembered(batchNumber);
  const bool fileIsStale = remembered != nullptr && remembered->fileValue == fileValue;
  const int32_t next = Advance(fileIsStale ? remembered->lastIssued : fileValue);

  if (haveFile && WriteIntSetting(section, kSequenceKey, next, BatchSeqPath)) {
    if (remembered != nullptr) remembered->used = false;  // the file is the truth again
    return next;
  }
  RememberedNumber& slot = SlotFor(batchNumber);
  slot = RememberedNumber{true, batchNumber, fileValue, next, ++UseClock};
  return next;
}

