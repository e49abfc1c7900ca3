#include "tools/gateway_sim/journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace gwsim {

namespace {

constexpr char kNoValue[] = "-";
constexpr char kFirstPlain = '!';
constexpr char kLastPlain = '~';
constexpr char kEscape = '%';
constexpr mode_t kJournalMode = 0644;

}  // namespace

std::string EscapeJournalValue(std::string_view value) {
  if (value.empty()) return kNoValue;
  if (value == kNoValue) return "%2D";
  std::string out;
  for (char c : value) {
    if (c >= kFirstPlain && c <= kLastPlain && c != kEscape) {
      out += c;
      continue;
    }
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
    out += hex;
  }
  return out;
}

std::string FormatJournalLine(const JournalEntry& e) {
  const std::string counter = std::to_string(e.counter);
  const std::pair<const char*, std::string_view> pairs[] = {
      {"n", counter}, {"time", e.time},       {"peer", e.peer},
      {"method", e.method},             {"path", e.path},       {"status", e.status},
      {"tc", e.transactionCode},        {"merchant", e.merchantId},
      {"terminal", e.terminalId},       {"batch", e.batch},     {"seq", e.sequence},
      {"zone", e.zoneCode},             {"card", e.maskedCard}, {"track", e.track},
      {"amount", e.amount},             {"rc", e.responseCode}, {"balance", e.balance},
      {"behaviour", e.behaviour},       {"reason", e.reason},
  };
  std::string line;
  for (const auto& [key, value] : pairs) {
    if (!line.empty()) line += ' ';
    line += key;
    line += '=';
    line += EscapeJournalValue(value);
  }
  line += '\n';
  return line;
}

JournalFile::~JournalFile() {
  if (descriptor_ >= 0) close(descriptor_);
}

bool JournalFile::Open(const std::string& path, std::string& error) {
  descriptor_ = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kJournalMode);
  if (descriptor_ < 0) {
    error = "cannot open journal " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool JournalFile::Append(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (descriptor_ < 0) return false;
  // O_APPEND and a single write keep lines whole even for a reader tailing the file.
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t written = write(descriptor_, line.data() + done, line.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace gwsim
