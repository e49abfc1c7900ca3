#include "fakes/fake_worker.h"

#include <mutex>

#include "gateway/request_message.h"
#include "gateway/worker.h"

namespace fake {

int workerStarts = 0;
bool workerStartFails = false;
bool workerRunsInline = false;
std::string formBodyAtStart;

void ResetFakeWorker() {
  workerStarts = 0;
  workerStartFails = false;
  workerRunsInline = false;
  formBodyAtStart.clear();
}

}  // namespace fake

namespace {

std::mutex watchLock;

}  // namespace

void LockWorkerWatch() { watchLock.lock(); }
void UnlockWorkerWatch() { watchLock.unlock(); }

bool StartGatewayWorker() {
  ++fake::workerStarts;
  fake::formBodyAtStart = FormBody;
  if (fake::workerStartFails) return false;
  if (fake::workerRunsInline) GatewayWorker();
  return true;
}
