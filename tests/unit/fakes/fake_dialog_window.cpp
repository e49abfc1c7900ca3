#include "fakes/fake_dialog_window.h"

#include <cstring>

#include "gateway/exchange_job.h"

namespace fake {

namespace {

void Mark(std::set<int>& marked, int id, bool mark) {
  if (mark) {
    marked.insert(id);
  } else {
    marked.erase(id);
  }
}

std::string BoxLine(const char* caption, const char* text, unsigned flags) {
  return std::string(caption) + "|" + text + "|" + std::to_string(flags);
}

}  // namespace

RecordingDialogWindow::RecordingDialogWindow(Controls start) {
  if (start == Controls::CardTemplate) {
    caption = kTemplateCaption;
    texts[IDC_CARD_MESSAGE] = kTemplatePrompt;
    texts[IDC_OK] = kTemplateNextText;
    texts[IDC_CANCEL] = kTemplateCancelText;
  }
}

void RecordingDialogWindow::SetItemText(int id, const char* text) {
  texts[id] = text;
  log.push_back("set " + std::to_string(id) + " " + text);
}

void RecordingDialogWindow::EraseItemText(int id) {
  texts[id].clear();
  erased.insert(id);
  log.push_back("erase " + std::to_string(id));
}

unsigned RecordingDialogWindow::GetItemText(int id, char* out, unsigned size) {
  log.push_back("get " + std::to_string(id) + "/" + std::to_string(size));
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
  log.push_back("setu " + std::to_string(id) + " " + texts[id]);
}

void RecordingDialogWindow::SetCaption(const char* text) {
  caption = text;
  log.push_back(std::string("caption ") + text);
}

void RecordingDialogWindow::EnableItem(int id, bool enable) {
  Mark(disabled, id, !enable);
  log.push_back((enable ? "enable " : "disable ") + std::to_string(id));
}

void RecordingDialogWindow::ShowItem(int id, bool show) {
  Mark(hidden, id, !show);
  log.push_back((show ? "show " : "hide ") + std::to_string(id));
}

void RecordingDialogWindow::FocusItem(int id) {
  focus = id;
  log.push_back("focus " + std::to_string(id));
}

void RecordingDialogWindow::UnmaskEdit(int id) {
  unmasked.insert(id);
  log.push_back("unmask " + std::to_string(id));
}

void RecordingDialogWindow::Redraw() {
  ++redraws;
  log.push_back("redraw");
}

void RecordingDialogWindow::PostCommand(int id) {
  posted.push_back({false, id});
  log.push_back("post " + std::to_string(id));
}

void RecordingDialogWindow::PostClose() {
  posted.push_back({true, 0});
  log.push_back("post close");
}

void RecordingDialogWindow::StartTimer() {
  timerRunning = true;
  ++timerStarts;
  log.push_back("timer on");
}

void RecordingDialogWindow::StopTimer() {
  timerRunning = false;
  log.push_back("timer off");
}

void RecordingDialogWindow::End(int code) {
  ended = true;
  endCode = code;
  log.push_back("end " + std::to_string(code));
}

void RecordingDialogWindow::Beep() {
  ++beeps;
  log.push_back("beep");
}

void RecordingDialogWindow::ShowWaitCursor() {
  ++waitCursors;
  log.push_back("wait");
}

void RecordingDialogWindow::RestoreCursor() {
  --waitCursors;
  log.push_back("restore");
}

void RecordingDialogWindow::CenterOnOwner(uintptr_t owner) {
  log.push_back("center");
  centredOn = owner;
}

void RecordingDialogWindow::SystemMessageBox(const char* text, const char* title, unsigned flags) {
  messageBoxes.push_back({text, title, flags, false});
  log.push_back("box " + BoxLine(title, text, flags));
}

void RecordingDialogWindow::WatchJob(ExchangeJob& job) {
  WatchExchangeJob(
      job,
      [](uintptr_t target, ExchangeJob* finished) {
        reinterpret_cast<RecordingDialogWindow*>(target)->posted.push_back({false, 0, true, finished});
      },
      reinterpret_cast<uintptr_t>(this));
  watched = &job;
  log.push_back("watch");
}

void RecordingDialogWindow::StationMessageBox(const char* text, const char* title, unsigned flags) {
  messageBoxes.push_back({text, title, flags, true});
  log.push_back("station box " + BoxLine(title, text, flags));
}

std::string RecordingDialogWindow::Text(int id) const {
  auto found = texts.find(id);
  return found == texts.end() ? std::string() : found->second;
}

bool RecordingDialogWindow::Enabled(int id) const { return disabled.count(id) == 0; }
bool RecordingDialogWindow::Visible(int id) const { return hidden.count(id) == 0; }

std::vector<std::string> RecordingDialogWindow::Lines(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& line : log) {
    if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
  }
  return found;
}

int RecordingDialogWindow::IndexOf(const std::string& line) const {
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i] == line) return static_cast<int>(i);
  }
  return -1;
}

int RecordingDialogWindow::Pump(const std::function<int(int)>& command,
                                const std::function<int()>& close,
                                const std::function<int(const ExchangeJob*)>& notice) {
  int delivered = 0;
  while (!posted.empty() && !ended) {
    const PostedMessage message = posted.front();
    posted.pop_front();
    if (message.close) {
      close();
    } else if (message.notice) {
      notice(message.job);
    } else {
      command(message.command);
    }
    ++delivered;
  }
  return delivered;
}

}  // namespace fake
