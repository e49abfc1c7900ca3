#pragma once
#include <atomic>
#include <cstdint>

#include "gateway/https_client.h"
#include "gateway/request_message.h"
#include "gateway/transport.h"
#include "gateway/transport_errors.h"
#include "records/journal.h"
#include "settings/settings.h"

// One exchange with the gateway as a job: what it sends, to where, what came back and
// what the journal says of it. A charge or deposit hands its job to the worker thread
// as the thread's argument, and the worker's notice hands it back; the configuration
// Test runs its job on its own thread.
//
// Who owns a job:
// - the dialog that claimed it, from the claim until it leaves the job at its end
//   (LeaveExchangeJob), reading Reply and Result only after it has seen Status
//   finished (acquire);
// - while the worker runs, the worker too: it alone writes Body, Reply, Result and
//   Status, and erases Body once the request has gone;
// - a job whose dialog left it while it ran: the job itself. The worker journals its
//   outcome (nobody else will) and releases it.
// Released means erased: every byte of the job, the card data in the body and the reply
// with it, is overwritten once its last owner is done with it.
//
// There is one job: a second exchange is not started while one is in flight (a worker
// of a dialog that has gone is still waiting for the gateway), so that the station can
// never have two exchanges racing for the same sequence of the batch.

inline constexpr int32_t kJobIdle = 0;       // not started
inline constexpr int32_t kJobBusy = 1;       // the worker is exchanging
inline constexpr int32_t kJobFinished = -1;  // Reply and Result are complete
inline constexpr unsigned kWorkerStackSize = 8192;

struct ExchangeJob;

// Called on the worker's thread right after the job has finished, while its watcher
// cannot leave it. Must not block: it only passes the news on (PostMessage).
using JobNotice = void (*)(uintptr_t target, ExchangeJob* job);

// What the job uses of the settings is copied when it is claimed (Url, Checks, and the
// Journal switch in Entry.Kept); it never reads the settings in effect afterwards, which
// the configuration's Save may replace while a worker runs.
struct ExchangeJob {
  char Url[sizeof PluginSettings::URL];  // the URL setting as the job was claimed
  CertificateChecks Checks;
  char Body[kFormBodySize];
  char Reply[kReplyCapacity + 1];  // the body of the answer, or the failure text
  TransportResult Result;
  JournalEntry Entry;
  std::atomic<int32_t> Status;
  // Under the watch lock: who is told when the job finishes, and whether it is taken.
  JobNotice Notice;  // null: nobody watches
  uintptr_t Target;
  bool Claimed;
};

// The job for a new exchange, with the URL, certificate checks and journal switch of
// settings (those in effect, or the configuration's copy for its Test); nullptr while
// an earlier exchange still holds it. User-interface thread.
ExchangeJob* ClaimExchangeJob(const PluginSettings& settings = CurrentSettings);

// Has notice(target, &job) called when job finishes. Before the job is started.
void WatchExchangeJob(ExchangeJob& job, JobNotice notice, uintptr_t target);

// Starts RunExchangeJob(job) on a new thread (the runtime's thread start, 8192-byte
// stack, handle closed at once, never joined). The thread holds a reference to the
// plug-in's module and gives it back as its last act, so that the station program may
// unload the plug-in at any moment; detach never waits for it. False when no thread
// could be started; the job is then still the caller's. Platform seam:
// exchange_job_win32.cpp, a fake in tests.
bool StartExchangeJob(ExchangeJob& job);

// The worker's whole job, on whatever thread runs it: busy, post, finished, notice; or,
// with nobody watching any more, the journal's record and the release.
void RunExchangeJob(ExchangeJob& job);

// The exchange on the calling thread, for the configuration Test; certificate as
// PostToGateway. Body is erased once it has gone.
void RunExchangeJobHere(ExchangeJob& job, GatewayCertificate* certificate);

// The end of the watch of a started job (its dialog is being destroyed). True when the
// job has finished and is still the caller's, who then journals what it has not and
// releases it. False when the worker still runs: from now on the job is its own.
bool LeaveExchangeJob(ExchangeJob& job);

// Erases the job and makes it free for the next exchange.
void ReleaseExchangeJob(ExchangeJob& job);

// Platform seam: the lock around the watch and the claim, held for a few instructions
// at a time (exchange_job_win32.cpp: a slim reader/writer lock; a mutex in tests).
void LockJobWatch();
void UnlockJobWatch();
