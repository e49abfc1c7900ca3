#pragma once
// Stand-in for starting the gateway worker thread: StartGatewayWorker records the call
// and returns a result the test sets; the test plays the worker by setting
// WorkerStatus and ReplyBuffer itself.
#include <string>

namespace fake {

extern int workerStarts;
extern bool workerStartSucceeds;       // what StartGatewayWorker returns
extern std::string formBodyAtStart;    // FormBody as the last start found it

void ResetFakeWorker();

}  // namespace fake
