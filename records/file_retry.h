#pragma once
// How the Win32 file code waits for a file that someone else has for a moment: a virus
// scanner, the search indexer or a backup agent opens a file just written, and Windows
// then refuses to create or replace it with a sharing violation or "access denied";
// another station holds the store's lock, or its turn at the journal. Waits are sized
// in elapsed time, never in a count of Sleep calls, since a Sleep lasts what the system
// makes of it (about 15.6 ms on Windows for anything shorter, 1 ms under Wine).

#include "records/file_errors.h"

struct RetryPolicy {
  int Tries;          // at most this many tries; 0: as many as the time allows
  unsigned BudgetMs;  // no pause begins that would end, as asked, later than this
                      // after the first try
  unsigned PauseMs;   // the pause asked for between two tries
};

// The clock the waits run by: milliseconds from any fixed moment, and a pause. The Win32
// build's is kSystemRetryClock (file_retry_win32.cpp); tests use their own.
struct RetryClock {
  unsigned long long (*NowMs)();
  void (*Pause)(unsigned milliseconds);
};
extern const RetryClock kSystemRetryClock;

// Creating CSBatchSeq.new and putting it in the place of CSBatchSeq.INI: about ten tries
// in a quarter of a second, as databases on Windows wait for a scanner.
inline constexpr RetryPolicy kStoreReplaceRetry{10, 250, 25};

// What a scanner, an indexer or a backup agent that has the file open gives.
inline bool IsFileBusyError(unsigned long error) {
  return error == kSharingViolation || error == kAccessDenied;
}

// Calls attempt (which returns 0 or the system's error number) until it succeeds, gives
// an error that isRetried does not accept, or the policy's tries or time run out;
// returns the last attempt's result.
template <typename Attempt, typename IsRetried>
unsigned long RetryFileOperation(const RetryPolicy& policy, const RetryClock& clock, Attempt attempt,
                                 IsRetried isRetried) {
  const unsigned long long start = clock.NowMs();
  for (int tries = 1;; ++tries) {
    const unsigned long error = attempt();
    if (error == 0 || !isRetried(error)) return error;
    if (policy.Tries != 0 && tries >= policy.Tries) return error;
    if (clock.NowMs() - start + policy.PauseMs > policy.BudgetMs) return error;
    clock.Pause(policy.PauseMs);
  }
}
