#pragma once
#include <atomic>
#include <cstdint>

#include "gateway/journal.h"
#include "gateway/transport_errors.h"

// The gateway worker: posts FormBody to the URL setting away from the user-interface
// thread and hands the result over through WorkerStatus. The worker stores -1 with
// release order after ReplyBuffer is complete; the dialogs load it with acquire order
// and read ReplyBuffer only after they have seen -1.
//
// The dialog that starts a worker also watches it, so that it learns of the end at
// once instead of at its next one-second poll: the worker calls the watcher's notice
// on its own thread right after storing -1. A watch ends when the dialog stops it
// (closing or destroyed); from then on no notice of that watch runs or will run, so a
// notice never reaches a window that is gone.
//
// The worker owns FormBody and ReplyBuffer while it runs. Once the request has gone it
// erases FormBody. A worker that finishes with nobody watching (its dialog destroyed by
// the station program) journals the outcome itself, since no dialog will, and erases
// ReplyBuffer before it stores -1 (the next transaction only discards the finished
// status).

inline constexpr int32_t kWorkerIdle = 0;
inline constexpr int32_t kWorkerBusy = 1;
inline constexpr int32_t kWorkerFinished = -1;
inline constexpr unsigned kWorkerStackSize = 8192;

extern std::atomic<int32_t> WorkerStatus;

// The journal entry of the worker's transaction: filled by whoever starts the worker,
// before it starts, and left alone until the worker has been seen finished.
extern JournalEntry WorkerJournalEntry;

// The result of the worker's exchange; ReplyBuffer holds its body or failure text.
extern TransportResult WorkerResult;

// Called on the worker's thread, with the target and serial of the watch, after -1 has
// been stored. Must not block: it only passes the news on (PostMessage).
using WorkerNotice = void (*)(uintptr_t target, uint32_t serial);

// Watches the next worker to be started (call it before StartGatewayWorker, on the
// user-interface thread). Returns the watch's serial, which the notice carries.
uint32_t WatchNextWorker(WorkerNotice notice, uintptr_t target);

// Ends the current watch. When it returns, no notice runs and none will. Returns true
// when the watched worker had already finished while watched: its result (and its
// journal record) is then the watcher's, not the worker's.
bool StopWatchingWorker();

// The worker's whole job, on whatever thread runs it: busy, post, finished, notice.
void GatewayWorker();

// Starts GatewayWorker on a new thread (the runtime's thread start, 8192-byte stack,
// handle closed at once, never joined). Returns false when no thread could be started;
// WorkerStatus then stays as it was. Platform seam: worker_win32.cpp, a fake in tests.
bool StartGatewayWorker();

// Platform seam: the lock around the watch, held for a few instructions at a time
// (worker_win32.cpp: a slim reader/writer lock; a mutex in tests).
void LockWorkerWatch();
void UnlockWorkerWatch();
