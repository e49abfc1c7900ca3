#include "gateway/worker.h"

#include <mutex>

#include "gateway/request_message.h"
#include "gateway/transport.h"
#include "settings/module_state.h"
#include "settings/secure_erase.h"
#include "settings/settings.h"

std::atomic<int32_t> WorkerStatus{kWorkerIdle};

static_assert(std::atomic<int32_t>::is_always_lock_free, "WorkerStatus must be one plain word");

namespace {

struct Watch {
  WorkerNotice notice;  // null: nobody watches
  uintptr_t target;
  uint32_t serial;      // counts watches, so that a worker knows whether it is the one watched
};

// Held by the worker from storing -1 to the end of the notice, and by whoever changes
// the watch, so that a watch that has ended can never be notified.
constinit std::mutex WatchLock;
Watch CurrentWatch;

const ModuleStateReset kResetWorker{[] {
  WorkerStatus.store(kWorkerIdle, std::memory_order_relaxed);
  CurrentWatch = Watch{};
}};

}  // namespace

uint32_t WatchNextWorker(WorkerNotice notice, uintptr_t target) {
  const std::lock_guard<std::mutex> lock(WatchLock);
  CurrentWatch = Watch{notice, target, CurrentWatch.serial + 1};
  return CurrentWatch.serial;
}

void StopWatchingWorker() {
  const std::lock_guard<std::mutex> lock(WatchLock);
  CurrentWatch.notice = nullptr;
}

void GatewayWorker() {
  uint32_t watched = 0;
  {
    // The watch for this worker was set before the thread was started.
    const std::lock_guard<std::mutex> lock(WatchLock);
    watched = CurrentWatch.serial;
  }
  WorkerStatus.store(kWorkerBusy, std::memory_order_relaxed);
  PostToGateway(CurrentSettings.URL, FormBody, ReplyBuffer);
  SecureErase(FormBody, sizeof FormBody);  // the request has gone; it held the card number

  const std::lock_guard<std::mutex> lock(WatchLock);
  const bool watchedStill = CurrentWatch.notice != nullptr && CurrentWatch.serial == watched;
  if (!watchedStill) SecureErase(ReplyBuffer, sizeof ReplyBuffer);
  // Release: whoever loads -1 with acquire order sees the whole reply.
  WorkerStatus.store(kWorkerFinished, std::memory_order_release);
  if (watchedStill) CurrentWatch.notice(CurrentWatch.target, CurrentWatch.serial);
}
