#include "gateway/worker.h"

#include "gateway/request_message.h"
#include "gateway/transport.h"
#include "settings/module_state.h"
#include "settings/settings.h"

std::atomic<int32_t> WorkerStatus{kWorkerIdle};

static_assert(std::atomic<int32_t>::is_always_lock_free, "WorkerStatus must be one plain word");

namespace {

const ModuleStateReset kResetWorker{[] { WorkerStatus.store(kWorkerIdle, std::memory_order_relaxed); }};

}  // namespace

void GatewayWorker() {
  WorkerStatus.store(kWorkerBusy, std::memory_order_relaxed);
  PostToGateway(CurrentSettings.URL, FormBody, ReplyBuffer);
  // Release: whoever loads -1 with acquire order sees the whole reply.
  WorkerStatus.store(kWorkerFinished, std::memory_order_release);
}
