#include "fakes/logging_dialog_window.h"

#include <cstring>

namespace fake {

namespace {

// GetDlgItemInt, unsigned, no success flag: leading blanks are skipped and the digits
// up to the first other character are converted; no digit at all, or a value beyond
// 32 bits, gives 0.
unsigned ReadUnsigned(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos || text[i] < '0' || text[i] > '9') return 0;
  unsigned long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') break;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
    if (value > 0xFFFFFFFFull) return 0;
  }
  return static_cast<unsigned>(value);
}

}  // namespace

void LoggingDialogWindow::SetItemText(int id, const char* text) {
  texts[id] = text;
  log.push_back("set " + std::to_string(id) + " " + text);
}

unsigned LoggingDialogWindow::GetItemText(int id, char* out, unsigned size) {
  log.push_back("get " + std::to_string(id) + "/" + std::to_string(size));
  if (size == 0) return 0;
  const std::string& text = texts[id];
  const size_t count = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), count);
  out[count] = '\0';
  return static_cast<unsigned>(count);
}

void LoggingDialogWindow::SetItemUnsigned(int id, unsigned value) {
  texts[id] = std::to_string(value);
  log.push_back("setu " + std::to_string(id) + " " + texts[id]);
}

unsigned LoggingDialogWindow::GetItemUnsigned(int id) {
  log.push_back("getu " + std::to_string(id));
  return ReadUnsigned(texts[id]);
}

void LoggingDialogWindow::SetCaption(const char* text) { log.push_back(std::string("caption ") + text); }

void LoggingDialogWindow::EnableItem(int id, bool enable) {
  log.push_back((enable ? "enable " : "disable ") + std::to_string(id));
}

void LoggingDialogWindow::ShowItem(int id, bool show) {
  log.push_back((show ? "show " : "hide ") + std::to_string(id));
}

void LoggingDialogWindow::FocusItem(int id) {
  focus = id;
  log.push_back("focus " + std::to_string(id));
}

void LoggingDialogWindow::UnmaskEdit(int id) { log.push_back("unmask " + std::to_string(id)); }
void LoggingDialogWindow::Redraw() { log.push_back("redraw"); }
void LoggingDialogWindow::PostCommand(int id) { log.push_back("post " + std::to_string(id)); }
void LoggingDialogWindow::PostClose() { log.push_back("post close"); }
void LoggingDialogWindow::StartTimer() { log.push_back("timer on"); }
void LoggingDialogWindow::StopTimer() { log.push_back("timer off"); }

void LoggingDialogWindow::End(int code) {
  ended = true;
  endCode = code;
  log.push_back("end " + std::to_string(code));
}

void LoggingDialogWindow::Beep() { log.push_back("beep"); }

void LoggingDialogWindow::ShowWaitCursor() {
  waitCursorShown = true;
  log.push_back("wait");
}

void LoggingDialogWindow::RestoreCursor() {
  waitCursorShown = false;
  log.push_back("restore");
}

void LoggingDialogWindow::CenterOnOwner() { log.push_back("center"); }

void LoggingDialogWindow::SystemMessageBox(const char* text, const char* caption, unsigned flags) {
  boxes.push_back({text, caption, flags, false});
  log.push_back(std::string("box ") + caption + "|" + text + "|" + std::to_string(flags));
}

void LoggingDialogWindow::StationMessageBox(const char* text, const char* caption, unsigned flags) {
  boxes.push_back({text, caption, flags, true});
  log.push_back(std::string("station box ") + caption + "|" + text + "|" + std::to_string(flags));
}

std::vector<std::string> LoggingDialogWindow::Lines(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& line : log) {
    if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
  }
  return found;
}

int LoggingDialogWindow::IndexOf(const std::string& line) const {
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i] == line) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace fake
