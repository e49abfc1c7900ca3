#include "fakes/fake_worker.h"

#include <mutex>

#include "gateway/exchange_job.h"

namespace fake {

int workerStarts = 0;
bool workerStartFails = false;
bool workerRunsInline = false;
bool workerRunsOnThread = false;
std::thread workerThread;
std::string formBodyAtStart;
ExchangeJob* startedJob = nullptr;

void ResetFakeWorker() {
  workerStarts = 0;
  workerStartFails = false;
  workerRunsInline = false;
  workerRunsOnThread = false;
  formBodyAtStart.clear();
  startedJob = nullptr;
}

}  // namespace fake

namespace {

std::mutex watchLock;

}  // namespace

void LockJobWatch() { watchLock.lock(); }
void UnlockJobWatch() { watchLock.unlock(); }

bool StartExchangeJob(ExchangeJob& job) {
  ++fake::workerStarts;
  fake::formBodyAtStart = job.Body;
  fake::startedJob = &job;
  if (fake::workerStartFails) return false;
  if (fake::workerRunsInline) RunExchangeJob(job);
  if (fake::workerRunsOnThread) fake::workerThread = std::thread([&job] { RunExchangeJob(job); });
  return true;
}
