#pragma once
#include <mutex>
#include <string>
#include <string_view>

// The journal: one line per request received, written and flushed before the answer
// goes out (before a delay or a hold begins). A line is "key=value" pairs separated by
// one blank, always the same keys in the same order:
//   n time peer method path status tc merchant terminal batch seq zone card track
//   amount rc balance behaviour reason
// A value is "-" when there is none; bytes outside '!' to '~', and '%', are written
// %XX (so a value never holds a blank), and a value that is itself "-" is written %2D.
namespace gwsim {

struct JournalEntry {
  unsigned long counter = 0;   // n: requests received since start, from 1
  std::string time;            // local time, YYYY-MM-DDThh:mm:ss
  std::string peer;            // client address
  std::string method;
  std::string path;
  std::string status;          // HTTP status sent, "" when none (hang, reset)
  std::string transactionCode; // tc: 200 or 100
  std::string merchantId;
  std::string terminalId;
  std::string batch;
  std::string sequence;        // seq
  std::string zoneCode;        // zone
  std::string maskedCard;      // card
  std::string track;           // "yes" when the card field carried "=" and track data
  std::string amount;
  std::string responseCode;    // rc: the code in the reply sent, "" when no reply was
  std::string balance;         // balance after, in cents; "" for an unknown card
  std::string behaviour;
  std::string reason;          // why the request was refused as malformed, else ""
};

std::string EscapeJournalValue(std::string_view value);

// The line for entry, ending in '\n'.
std::string FormatJournalLine(const JournalEntry& entry);

// Appends whole lines to a file, one write per line, from any thread.
class JournalFile {
 public:
  JournalFile() = default;
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;
  ~JournalFile();

  // Opens (creating, appending) path. False with a reason in error.
  bool Open(const std::string& path, std::string& error);
  bool Append(const std::string& line);

 private:
  std::mutex mutex_;
  int descriptor_ = -1;
};

}  // namespace gwsim
