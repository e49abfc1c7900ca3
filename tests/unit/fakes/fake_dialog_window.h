#pragma once
// A DialogWindow that records what the dialogs do to their window, for native tests.
// It keeps the state the operations leave behind (texts, enabled and shown controls,
// focus, cursor, timer, end code, message boxes) and also logs every operation in
// order as a short line ("set 100 text", "setu 103 12", "get 102/29",
// "focus 103", "beep", "wait", "restore", "box Error|text|16", "station box ...",
// "end 1", ...), so that tests can check both what a dialog did and in which order.
// By default the controls start as the CARDPIN template has them: all visible and
// enabled, the template's texts in the message line and the buttons; a window of
// another template starts with every control empty.
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialogs/dialog_window.h"
#include "resources/resource_ids.h"

namespace fake {

inline constexpr const char* kTemplatePrompt = CARDPIN_PROMPT;
inline constexpr const char* kTemplateCaption = CARDPIN_CAPTION;
inline constexpr const char* kTemplateNextText = CARDPIN_NEXT_TEXT;
inline constexpr const char* kTemplateCancelText = CARDPIN_CANCEL_TEXT;

// What the controls hold when the window opens.
enum class Controls {
  CardTemplate,  // the CARDPIN template's caption, prompt and button texts
  Empty,         // no caption, no texts
};

struct PostedMessage {
  bool close;  // WM_CLOSE; otherwise WM_COMMAND, or the worker's notice
  int command;
  bool notice = false;  // the watched job has finished
  const ExchangeJob* job = nullptr;
};


struct MessageBoxCall {
  std::string text;
  std::string caption;
  unsigned flags;
  bool station;  // through the station's message-box function, not the system's
};

class RecordingDialogWindow : public DialogWindow {
 public:
  explicit RecordingDialogWindow(Controls start = Controls::CardTemplate);

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
  void ShowWaitCursor() override;
  void RestoreCursor() override;
  void CenterOnOwner(uintptr_t owner) override;
  void SystemMessageBox(const char* text, const char* caption, unsigned flags) override;
  void StationMessageBox(const char* text, const char* caption, unsigned flags) override;
  // Watches through the real watch (gateway/exchange_job.h); the worker's notice is
  // posted like any other message (a worker run inline posts it on this thread).
  void WatchJob(ExchangeJob& job) override;

  std::string Text(int id) const;
  bool Enabled(int id) const;
  bool Visible(int id) const;

  // The log lines that begin with prefix, in order.
  std::vector<std::string> Lines(const std::string& prefix) const;
  // Position of the first line equal to line in the log, or -1.
  int IndexOf(const std::string& line) const;

  // Delivers the posted messages in order, as the dialog's message loop would, until
  // none is left or the dialog has ended. Returns how many were delivered.
  int Pump(const std::function<int(int)>& command, const std::function<int()>& close,
           const std::function<int(const ExchangeJob*)>& notice);

  std::map<int, std::string> texts;  // what each control holds, as the user typed it
  std::set<int> disabled;
  std::set<int> hidden;
  std::set<int> unmasked;
  std::string caption;
  int focus = 0;
  int redraws = 0;
  std::deque<PostedMessage> posted;
  bool timerRunning = false;
  int timerStarts = 0;
  bool ended = false;
  int endCode = -12345;
  int beeps = 0;
  int waitCursors = 0;  // wait cursors shown and not yet restored
  std::vector<MessageBoxCall> messageBoxes;
  std::set<int> erased;           // controls whose text was erased in place
  const ExchangeJob* watched = nullptr;  // the job of the last watch
  unsigned lastReadSize = 0;  // buffer size of the last GetItemText
  std::vector<std::string> log;
  uintptr_t centredOn = 0;  // the owner CenterOnOwner was given
};

}  // namespace fake
