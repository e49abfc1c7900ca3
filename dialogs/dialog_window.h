#pragma once
// Platform seam: the window operations the dialogs perform. The dialog procedures
// (*_win32.cpp) wrap their HWND in Win32DialogWindow; native tests use a recording
// fake. Control ids are the template's; texts are single-byte ANSI.
#include <cstdint>

#include "gateway/exchange_job.h"
#include "resources/resource_ids.h"

class DialogWindow {
 public:
  virtual void SetItemText(int id, const char* text) = 0;
  // Overwrites the control's text in place with as many filler characters before
  // emptying it, so that the control's buffer keeps nothing of what was typed.
  virtual void EraseItemText(int id) = 0;
  // Reads at most size - 1 characters into out, terminated; returns the count.
  virtual unsigned GetItemText(int id, char* out, unsigned size) = 0;
  virtual void SetItemUnsigned(int id, unsigned value) = 0;
  virtual void SetCaption(const char* text) = 0;
  virtual void EnableItem(int id, bool enable) = 0;
  virtual void ShowItem(int id, bool show) = 0;
  virtual void FocusItem(int id) = 0;
  // Clears ES_PASSWORD and the password character of an edit control so typed text shows.
  virtual void UnmaskEdit(int id) = 0;
  // RedrawWindow with RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ALLCHILDREN | RDW_UPDATENOW.
  virtual void Redraw() = 0;
  virtual void PostCommand(int id) = 0;  // WM_COMMAND id, lParam 0
  virtual void PostClose() = 0;          // WM_CLOSE 0, 0
  virtual void StartTimer() = 0;         // timer kDialogTimerId, kDialogTimerPeriodMs
  virtual void StopTimer() = 0;
  virtual void End(int endCode) = 0;     // EndDialog
  virtual void Beep() = 0;               // MessageBeep(0xFFFFFFFF)
  virtual void ShowWaitCursor() = 0;     // keeps the previous cursor
  virtual void RestoreCursor() = 0;
  // Over owner (an HWND; the screen when there is none).
  virtual void CenterOnOwner(uintptr_t owner) = 0;
  // The system's MessageBoxA, owned by the dialog.
  virtual void SystemMessageBox(const char* text, const char* caption, unsigned flags) = 0;
  // The station program's message-box function, owned by the dialog.
  virtual void StationMessageBox(const char* text, const char* caption, unsigned flags) = 0;
  // Watches job (gateway/exchange_job.h) for this dialog: when it finishes, the
  // worker's notice reaches the dialog as a message carrying the job (Win32: a
  // registered window message), which the dialog hands to TransactionJobFinished.
  virtual void WatchJob(ExchangeJob& job) = 0;

 protected:
  ~DialogWindow() = default;
};

// Dialog constants shared by the charge and deposit dialogs.
inline constexpr int kDialogTimerId = 2499;
inline constexpr unsigned kDialogTimerPeriodMs = 1000;
inline constexpr unsigned kMessageBoxIconError = 0x10;
inline constexpr unsigned kMessageBoxIconInformation = 0x40;
