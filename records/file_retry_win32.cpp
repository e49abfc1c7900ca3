// The waits' clock over the performance counter, which keeps time to well under a
// millisecond; GetTickCount moves in steps of 10 to 16 ms.
#include <windows.h>

#include "records/file_retry.h"

namespace {

unsigned long long NowMs() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<unsigned long long>(now.QuadPart) * 1000ULL /
         static_cast<unsigned long long>(frequency.QuadPart);
}

void Pause(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace

const RetryClock kSystemRetryClock{NowMs, Pause};
