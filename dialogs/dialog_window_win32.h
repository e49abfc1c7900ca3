#pragma once
// DialogWindow over a real dialog window. A dialog procedure makes one on the stack for
// each message it handles; it owns nothing.
#include <windows.h>

#include "dialogs/dialog_window.h"

// The message that tells a charge or deposit dialog its worker has finished; wParam is
// the watch's serial. A registered message, so that no other window can mistake it
// for one of its own.
UINT WorkerFinishedMessage();

class Win32DialogWindow final : public DialogWindow {
 public:
  explicit Win32DialogWindow(HWND dialog) : dialog_(dialog) {}

  void SetItemText(int id, const char* text) override;
  void EraseItemText(int id) override;
  unsigned GetItemText(int id, char* out, unsigned size) override;
  void SetItemUnsigned(int id, unsigned value) override;
  unsigned GetItemUnsigned(int id) override;
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
  void CenterOnOwner() override;
  void SystemMessageBox(const char* text, const char* caption, unsigned flags) override;
  void StationMessageBox(const char* text, const char* caption, unsigned flags) override;
  uint32_t WatchWorker() override;

 private:
  HWND dialog_;
  HCURSOR previousCursor_ = nullptr;
};
