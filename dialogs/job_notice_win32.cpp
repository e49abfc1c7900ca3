#include "dialogs/dialog_window_win32.h"

// On the worker's thread, while the watch holds the window: posting never waits.
void PostJobFinished(uintptr_t target, ExchangeJob* job) {
  PostMessageA(reinterpret_cast<HWND>(target), JobFinishedMessage(), 0, reinterpret_cast<LPARAM>(job));
}
