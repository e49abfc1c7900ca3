#include <windows.h>
#include <process.h>

#include "gateway/worker.h"

namespace {

// The runtime's thread start sets up the C runtime's per-thread data, which the
// formatting in the transport relies on; the thread leaves through the runtime too.
unsigned __stdcall GatewayThreadEntry(void*) {
  GatewayWorker();
  _endthreadex(0);
  return 0;
}

SRWLOCK WatchLock = SRWLOCK_INIT;

}  // namespace

void LockWorkerWatch() { AcquireSRWLockExclusive(&WatchLock); }
void UnlockWorkerWatch() { ReleaseSRWLockExclusive(&WatchLock); }

bool StartGatewayWorker() {
  unsigned threadId = 0;
  const uintptr_t thread =
      _beginthreadex(nullptr, kWorkerStackSize, GatewayThreadEntry, nullptr, 0, &threadId);
  if (thread == 0) return false;
  CloseHandle(reinterpret_cast<HANDLE>(thread));
  return true;
}
