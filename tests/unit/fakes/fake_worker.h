#pragma once
// Stand-in for starting the exchange job's thread. StartExchangeJob counts the call,
// notes the job and its body as it finds them, fails when told to, else runs
// RunExchangeJob on the calling thread or on a thread of its own (workerThread, which
// the test joins) when told to, else does nothing more: the test then plays the worker
// by filling the job and setting its status itself.
#include <string>
#include <thread>

struct ExchangeJob;

namespace fake {

extern int workerStarts;
extern bool workerStartFails;
extern bool workerRunsInline;
extern bool workerRunsOnThread;
extern std::thread workerThread;
extern std::string formBodyAtStart;  // the job's body as the last start found it
extern ExchangeJob* startedJob;      // the job of the last start

void ResetFakeWorker();

}  // namespace fake
