#pragma once
// Stand-in for starting the gateway worker thread. StartGatewayWorker counts the call,
// notes FormBody as it finds it, fails when told to, else runs GatewayWorker on the
// calling thread when told to, else does nothing more: the test then plays the worker
// by setting ReplyBuffer and WorkerStatus itself.
#include <string>

namespace fake {

extern int workerStarts;
extern bool workerStartFails;
extern bool workerRunsInline;
extern std::string formBodyAtStart;  // FormBody as the last start found it

void ResetFakeWorker();

}  // namespace fake
