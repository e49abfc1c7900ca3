#include "fakes/fake_dialog_window.h"

#include <cstdlib>
#include <cstring>

namespace fake {

RecordingDialogWindow::RecordingDialogWindow() {
  texts[kMessageLineId] = kTemplatePrompt;
  texts[kOkId] = kTemplateNextText;
  texts[kCancelId] = kTemplateCancelText;
}

void RecordingDialogWindow::SetItemText(int id, const char* text) { texts[id] = text; }

unsigned RecordingDialogWindow::GetItemText(int id, char* out, unsigned size) {
  lastReadSize = size;
  if (size == 0) return 0;
  const std::string& text = texts[id];
  const size_t count = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), count);
  out[count] = '\0';
  return static_cast<unsigned>(count);
}

void RecordingDialogWindow::SetItemUnsigned(int id, unsigned value) {
  texts[id] = std::to_string(value);
}

unsigned RecordingDialogWindow::GetItemUnsigned(int id) {
  return static_cast<unsigned>(std::strtoul(texts[id].c_str(), nullptr, 10));
}

void RecordingDialogWindow::SetCaption(const char* text) { caption = text; }

void RecordingDialogWindow::EnableItem(int id, bool enable) {
  if (enable) {
    disabled.erase(id);
  } else {
    disabled.insert(id);
  }
}

void RecordingDialogWindow::ShowItem(int id, bool show) {
  if (show) {
    hidden.erase(id);
  } else {
    hidden.insert(id);
  }
}

void RecordingDialogWindow::FocusItem(int id) { focus = id; }
void RecordingDialogWindow::UnmaskEdit(int id) { unmasked.insert(id); }
void RecordingDialogWindow::Redraw() { ++redraws; }
void RecordingDialogWindow::PostCommand(int id) { posted.push_back({false, id}); }
void RecordingDialogWindow::PostClose() { posted.push_back({true, 0}); }

void RecordingDialogWindow::StartTimer() {
  timerRunning = true;
  ++timerStarts;
}

void RecordingDialogWindow::StopTimer() { timerRunning = false; }

void RecordingDialogWindow::End(int code) {
  ended = true;
  endCode = code;
}

void RecordingDialogWindow::Beep() { ++beeps; }
void RecordingDialogWindow::ShowWaitCursor() { ++waitCursors; }
void RecordingDialogWindow::RestoreCursor() { --waitCursors; }
void RecordingDialogWindow::CenterOnOwner() {}

void RecordingDialogWindow::SystemMessageBox(const char* text, const char* title, unsigned flags) {
  messageBoxes.push_back({text, title, flags, false});
}

void RecordingDialogWindow::StationMessageBox(const char* text, const char* title, unsigned flags) {
  messageBoxes.push_back({text, title, flags, true});
}

std::string RecordingDialogWindow::Text(int id) const {
  auto found = texts.find(id);
  return found == texts.end() ? std::string() : found->second;
}

bool RecordingDialogWindow::Enabled(int id) const { return disabled.count(id) == 0; }
bool RecordingDialogWindow::Visible(int id) const { return hidden.count(id) == 0; }

int RecordingDialogWindow::Pump(const std::function<int(int)>& command,
                                const std::function<int()>& close) {
  int delivered = 0;
  while (!posted.empty() && !ended) {
    const PostedMessage message = posted.front();
    posted.pop_front();
    if (message.close) {
      close();
    } else {
      command(message.command);
    }
    ++delivered;
  }
  return delivered;
}

}  // namespace fake
