#pragma once
// DialogWindow over a real dialog window. A dialog procedure makes one on the stack for
// each message it handles; it owns nothing.
#include <windows.h>

#include "dialogs/dialog_window.h"

// The message that tells a charge or deposit dialog its job has finished; lParam is
// the job. A registered message, so that no other window can mistake it for one of
// its own.
UINT JobFinishedMessage();

// The worker's notice (gateway/exchange_job.h): posts JobFinishedMessage to the dialog
// window target. Its own file, so that the completion benchmark can build the plug-in
// as it was before the notice, with a stand-in that posts nothing.
void PostJobFinished(uintptr_t target, ExchangeJob* job);

class Win32DialogWindow final : public DialogWindow {
 public:
  explicit Win32DialogWindow(HWND dialog) : dialog_(dialog) {}

  void SetItemText(int id, const char* text) override;
  void EraseItemText(int id) override;
  unsigned GetItemText(int id, char* out, unsigned size) override;
  void SetItemUnsigned(int id, unsigned value) override;
  void SetCaption(const char* text) override;
  void EnableItem(int id, bool enable) override;
  void ShowItem(int id, bool show) override;
  void FocusItem(int id) override;
  void UnmaskEdit(int id) override;
  void Redraw() override;
  void PostCommand(int id) override;
  void PostClose() override;
  void StartTimer() override;
  void StopTimer() override;
  void End(int endCode) override;
  void Beep() override;
  // The previous cursor is kept in this object: show and restore within one handler.
  void ShowWaitCursor() override;
  void RestoreCursor() override;
  void CenterOnOwner(uintptr_t owner) override;
  void SystemMessageBox(const char* text, const char* caption, unsigned flags) override;
  void StationMessageBox(const char* text, const char* caption, unsigned flags) override;
  void WatchJob(ExchangeJob& job) override;

 private:
  HWND dialog_;
  HCURSOR previousCursor_ = nullptr;
};
