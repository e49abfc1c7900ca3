#pragma once
#include <atomic>
#include <cstdint>

// The gateway worker: posts FormBody to the URL setting away from the user-interface
// thread and hands the result over through WorkerStatus. The worker stores -1 with
// release order after ReplyBuffer is complete; the dialogs load it with acquire order
// and read ReplyBuffer only after they have seen -1.

inline constexpr int32_t kWorkerIdle = 0;
inline constexpr int32_t kWorkerBusy = 1;
inline constexpr int32_t kWorkerFinished = -1;
inline constexpr unsigned kWorkerStackSize = 8192;

extern std::atomic<int32_t> WorkerStatus;

// The worker's whole job, on whatever thread runs it: busy, post, finished.
void GatewayWorker();

// Starts GatewayWorker on a new thread (the runtime's thread start, 8192-byte stack,
// handle closed at once, never joined). Returns false when no thread could be started;
// WorkerStatus then stays as it was. Platform seam: worker_win32.cpp, a fake in tests.
bool StartGatewayWorker();
