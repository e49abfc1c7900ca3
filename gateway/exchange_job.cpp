#include "gateway/exchange_job.h"

#include <cstring>

#include "gateway/exchange_journal.h"
#include "settings/module_state.h"
#include "settings/secure_erase.h"
#include "settings/settings.h"

static_assert(std::atomic<int32_t>::is_always_lock_free, "a job's status must be one plain word");

namespace {

// The one job of the module; it outlives the dialog that claims it when the station
// program destroys that dialog while the worker waits for the gateway.
ExchangeJob TheJob;

// Not while a worker runs: the tests reset between exchanges only.
const ModuleStateReset kResetJob{[] { ReleaseExchangeJob(TheJob); }};

}  // namespace

ExchangeJob* ClaimExchangeJob(const PluginSettings& settings) {
  LockJobWatch();
  const bool taken = TheJob.Claimed;
  TheJob.Claimed = true;
  UnlockJobWatch();
  if (taken) return nullptr;
  std::memcpy(TheJob.Url, settings.URL, sizeof TheJob.Url);
  TheJob.Checks = settings.StrictCertificates ? CertificateChecks::Strict : CertificateChecks::Lenient;
  TheJob.Entry.Kept = settings.Journal;
  return &TheJob;
}

// The lock is taken and given back by plain calls, not by an object, so that nothing
// here needs the unwinding machinery that would come with a destructor.
void WatchExchangeJob(ExchangeJob& job, JobNotice notice, uintptr_t target) {
  LockJobWatch();
  job.Notice = notice;
  job.Target = target;
  UnlockJobWatch();
}

void RunExchangeJob(ExchangeJob& job) {
  job.Status.store(kJobBusy, std::memory_order_relaxed);
  job.Result = PostToGateway(job.Url, job.Checks, job.Body, job.Reply);
  SecureErase(job.Body, sizeof job.Body);  // the request has gone; it held the card number

  LockJobWatch();
  if (job.Notice != nullptr) {
    // Release: whoever loads -1 with acquire order sees the whole reply.
    job.Status.store(kJobFinished, std::memory_order_release);
    job.Notice(job.Target, &job);
    UnlockJobWatch();
    return;
  }
  UnlockJobWatch();
  // Nobody will take this result: its outcome goes to the journal from here, outside
  // the lock, since a file write may take a moment.
  JournalAbandonedOutcome(job.Entry, job.Result, job.Reply);
  ReleaseExchangeJob(job);
}

void RunExchangeJobHere(ExchangeJob& job, GatewayCertificate* certificate) {
  job.Result = PostToGateway(job.Url, job.Checks, job.Body, job.Reply, certificate);
  SecureErase(job.Body, sizeof job.Body);  // sent; it held the account number
  job.Status.store(kJobFinished, std::memory_order_relaxed);
}

bool LeaveExchangeJob(ExchangeJob& job) {
  LockJobWatch();
  // A watched worker stores -1 under this lock: either it has, or it will find nobody
  // watching and see the job through itself.
  const bool ours = job.Status.load(std::memory_order_acquire) == kJobFinished;
  job.Notice = nullptr;
  UnlockJobWatch();
  return ours;
}

void ReleaseExchangeJob(ExchangeJob& job) {
  SecureErase(job.Url, sizeof job.Url);
  SecureErase(job.Body, sizeof job.Body);
  SecureErase(job.Reply, sizeof job.Reply);
  job.Result = TransportResult{};
  SecureErase(&job.Entry, sizeof job.Entry);
  job.Status.store(kJobIdle, std::memory_order_relaxed);
  LockJobWatch();
  job.Notice = nullptr;
  job.Target = 0;
  job.Claimed = false;
  UnlockJobWatch();
}
