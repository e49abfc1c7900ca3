#pragma once
// Stand-in for starting the exchange job's thread. StartExchangeJob counts the call,
// notes the job and its body as it finds them, fails when told to, else runs
// RunExchangeJob on the calling thread when told to, else does nothing more: the test
// then plays the worker by filling the job and setting its status itself.
#include <string>

struct ExchangeJob;

namespace fake {

extern int workerStarts;
extern bool workerStartFails;
extern bool workerRunsInline;
extern std::string formBodyAtStart;  // the job's body as the last start found it
extern ExchangeJob* startedJob;      // the job of the last start

void ResetFakeWorker();

}  // namespace fake
