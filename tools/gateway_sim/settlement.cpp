#include "tools/gateway_sim/settlement.h"

#include <cstdio>
#include <cstdlib>

namespace gwsim {

namespace {

constexpr const char* kChargeCode = "200";

// A field, quoted when it holds a comma or a quote.
std::string Field(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? "\"\"" : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::string FormatSettlementRow(const JournalEntry& entry) {
  if (entry.transactionCode != kChargeCode || entry.responseCode.empty()) return "";
  const long long cents = std::atoll(entry.amount.c_str());
  const long long magnitude = cents < 0 ? -cents : cents;
  char amount[32];
  std::snprintf(amount, sizeof amount, "%s%lld.%02lld", cents < 0 ? "-" : "", magnitude / 100, magnitude % 100);
  std::string time = entry.time;
  if (time.size() > 10 && time[10] == 'T') time[10] = ' ';
  return Field(time) + "," + Field(entry.terminalId) + "," + Field(entry.batch) + "," + Field(entry.sequence) + "," +
         Field(entry.maskedCard) + "," + amount + "," + Field(entry.responseCode) + "\r\n";
}

}  // namespace gwsim
