#pragma once
// A DialogWindow that keeps its controls' texts and logs every operation the dialog
// performs on it, in order, as short lines ("set 100 text", "get 102/29", "focus 103",
// "beep", "wait", "restore", "box Error|text|16", "end 1", ...), so that tests can
// check both what a dialog did and in which order.
#include <map>
#include <string>
#include <vector>

#include "dialogs/dialog_window.h"

namespace fake {

struct ShownBox {
  std::string text;
  std::string caption;
  unsigned flags;
  bool station;  // through the station program's function, not the system's
};

class LoggingDialogWindow : public DialogWindow {
 public:
  void SetItemText(int id, const char* text) override;
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
  void ShowWaitCursor() override;
  void RestoreCursor() override;
  void CenterOnOwner() override;
  void SystemMessageBox(const char* text, const char* caption, unsigned flags) override;
  void StationMessageBox(const char* text, const char* caption, unsigned flags) override;

  // The log lines that begin with prefix, in order.
  std::vector<std::string> Lines(const std::string& prefix) const;
  // Position of the first line equal to line in the log, or -1.
  int IndexOf(const std::string& line) const;

  std::map<int, std::string> texts;  // what each control holds, as the user typed it
  std::vector<std::string> log;
  std::vector<ShownBox> boxes;
  int focus = 0;
  bool ended = false;
  int endCode = -1;
  bool waitCursorShown = false;
};

}  // namespace fake
