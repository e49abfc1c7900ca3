#include "gateway/worker.h"

#include "gateway/request_message.h"
#include "gateway/transport.h"
#include "settings/module_state.h"
#include "settings/secure_erase.h"
#include "settings/settings.h"

std::atomic<int32_t> WorkerStatus{kWorkerIdle};
JournalEntry WorkerJournalEntry;
TransportResult WorkerResult;

static_assert(std::atomic<int32_t>::is_always_lock_free, "WorkerStatus must be one plain word");

namespace {

struct Watch {
  WorkerNotice notice;  // null: nobody watches
  uintptr_t target;
  uint32_t serial;      // counts watches, so that a worker knows whether it is the one watched
};

// Under the watch lock. The worker holds it from storing -1 to the end of the notice,
// and whoever changes the watch holds it, so that a watch that has ended is never told.
Watch CurrentWatch;

const ModuleStateReset kResetWorker{[] {
  WorkerStatus.store(kWorkerIdle, std::memory_order_relaxed);
  CurrentWatch = Watch{};
  WorkerJournalEntry = JournalEntry{};
  WorkerResult = TransportResult{};
}};

}  // namespace

// The lock is taken and given back by plain calls, not by an object, so that nothing
// here needs the unwinding machinery that would come with a destructor.
uint32_t WatchNextWorker(WorkerNotice notice, uintptr_t target) {
  LockWorkerWatch();
  CurrentWatch = Watch{notice, target, CurrentWatch.serial + 1};
  const uint32_t serial = CurrentWatch.serial;
  UnlockWorkerWatch();
  return serial;
}

bool StopWatchingWorker() {
  LockWorkerWatch();
  // A watched worker stores -1 under this lock; an unwatched one only after it.
  const bool finishedWatched = CurrentWatch.notice != nullptr &&
                               WorkerStatus.load(std::memory_order_acquire) == kWorkerFinished;
  CurrentWatch.notice = nullptr;
  UnlockWorkerWatch();
  return finishedWatched;
}

void GatewayWorker() {
  // The watch for this worker was set before the thread was started.
  LockWorkerWatch();
  const uint32_t watched = CurrentWatch.serial;
  UnlockWorkerWatch();
  WorkerStatus.store(kWorkerBusy, std::memory_order_relaxed);
  const CertificateChecks checks =
      CurrentSettings.StrictCertificates ? CertificateChecks::Strict : CertificateChecks::Lenient;
  WorkerResult = PostToGateway(CurrentSettings.URL, checks, FormBody, ReplyBuffer);
  SecureErase(FormBody, sizeof FormBody);  // the request has gone; it held the card number

  LockWorkerWatch();
  if (CurrentWatch.notice != nullptr && CurrentWatch.serial == watched) {
    // Release: whoever loads -1 with acquire order sees the whole reply.
    WorkerStatus.store(kWorkerFinished, std::memory_order_release);
    CurrentWatch.notice(CurrentWatch.target, CurrentWatch.serial);
    UnlockWorkerWatch();
    return;
  }
  UnlockWorkerWatch();
  // Nobody will take this result, and no watch can take it up now: its outcome goes to
  // the journal from here, outside the lock, since a file write may take a moment. The
  // reply and the entry stay this worker's until -1 is stored.
  JournalAbandonedOutcome(WorkerJournalEntry, WorkerResult, ReplyBuffer);
  SecureErase(ReplyBuffer, sizeof ReplyBuffer);
  WorkerStatus.store(kWorkerFinished, std::memory_order_release);
}
