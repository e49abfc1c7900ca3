#include "dialogs/dialog_window_win32.h"

#include <cstring>

#include "dialogs/dialog_procs_win32.h"
#include "dialogs/painting_win32.h"
#include "dialogs/station_message_box_win32.h"

namespace {

constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ALLCHILDREN | RDW_UPDATENOW;
constexpr UINT kSimpleBeep = 0xFFFFFFFF;
constexpr char kJobFinishedName[] = "CardSmith payment: gateway worker finished";
UINT JobFinishedMessageId;
// Longer than anything a card reader types; a longer text is overwritten this far.
constexpr int kEraseFillerSize = 4096;
constexpr char kEraseFiller = '*';

}  // namespace

UINT JobFinishedMessage() {
  // Registered on first use, which is on the user-interface thread: a dialog's message
  // or its first watch, always before any worker that could post it runs.
  if (JobFinishedMessageId == 0) JobFinishedMessageId = RegisterWindowMessageA(kJobFinishedName);
  return JobFinishedMessageId;
}

void Win32DialogWindow::SetItemText(int id, const char* text) {
  SetDlgItemTextA(dialog_, id, text);
}

void Win32DialogWindow::EraseItemText(int id) {
  HWND item = GetDlgItem(dialog_, id);
  int length = GetWindowTextLengthA(item);
  if (length <= 0) return;
  if (length >= kEraseFillerSize) length = kEraseFillerSize - 1;
  char filler[kEraseFillerSize];
  std::memset(filler, kEraseFiller, static_cast<size_t>(length));
  filler[length] = '\0';
  // The control replaces its text in its own buffer, which is large enough already.
  SetWindowTextA(item, filler);
  SetWindowTextA(item, "");
}

unsigned Win32DialogWindow::GetItemText(int id, char* out, unsigned size) {
  return GetDlgItemTextA(dialog_, id, out, static_cast<int>(size));
}

void Win32DialogWindow::SetItemUnsigned(int id, unsigned value) {
  SetDlgItemInt(dialog_, id, value, FALSE);
}

void Win32DialogWindow::SetCaption(const char* text) { SetWindowTextA(dialog_, text); }

void Win32DialogWindow::EnableItem(int id, bool enable) {
  EnableWindow(GetDlgItem(dialog_, id), enable ? TRUE : FALSE);
}

void Win32DialogWindow::ShowItem(int id, bool show) {
  ShowWindow(GetDlgItem(dialog_, id), show ? SW_SHOW : SW_HIDE);
}

void Win32DialogWindow::FocusItem(int id) { SetFocus(GetDlgItem(dialog_, id)); }

void Win32DialogWindow::UnmaskEdit(int id) {
  HWND edit = GetDlgItem(dialog_, id);
  const LONG style = GetWindowLongA(edit, GWL_STYLE);
  SetWindowLongA(edit, GWL_STYLE, style & ~static_cast<LONG>(ES_PASSWORD));
  SendMessageA(edit, EM_SETPASSWORDCHAR, 0, 0);
  InvalidateRect(edit, nullptr, FALSE);
}

void Win32DialogWindow::Redraw() { RedrawWindow(dialog_, nullptr, nullptr, kRedrawNow); }

void Win32DialogWindow::PostCommand(int id) {
  PostMessageA(dialog_, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

void Win32DialogWindow::PostClose() { PostMessageA(dialog_, WM_CLOSE, 0, 0); }

void Win32DialogWindow::StartTimer() {
  SetTimer(dialog_, kDialogTimerId, kDialogTimerPeriodMs, nullptr);
}

void Win32DialogWindow::StopTimer() { KillTimer(dialog_, kDialogTimerId); }

void Win32DialogWindow::End(int endCode) { EndDialog(dialog_, endCode); }

void Win32DialogWindow::Beep() { MessageBeep(kSimpleBeep); }

void Win32DialogWindow::ShowWaitCursor() { previousCursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

void Win32DialogWindow::RestoreCursor() { SetCursor(previousCursor_); }

void Win32DialogWindow::CenterOnOwner(uintptr_t owner) {
  ::CenterOnOwner(dialog_, reinterpret_cast<HWND>(owner));
}

void Win32DialogWindow::SystemMessageBox(const char* text, const char* caption, unsigned flags) {
  MessageBoxA(dialog_, text, caption, flags);
}

void Win32DialogWindow::StationMessageBox(const char* text, const char* caption, unsigned flags) {
  CallStationMessageBox(dialog_, text, caption, flags);
}

void Win32DialogWindow::WatchJob(ExchangeJob& job) {
  JobFinishedMessage();  // registered here, on the user-interface thread
  WatchExchangeJob(job, PostJobFinished, reinterpret_cast<uintptr_t>(dialog_));
}
