#pragma once
#include <string>

#include "tools/gateway_sim/journal.h"

// The settlement a card office sends back: one CSV row (CRLF, RFC 4180 quoting) for each
// charge or deposit (transaction code 200) that was answered with a response code,
// "00" for the settled ones. The columns carry the names CSReconcile looks for.
namespace gwsim {

inline constexpr const char* kSettlementHeader = "Time,Terminal ID,Batch,Sequence,Card,Amount,Response code\r\n";

// The row for a request as the journal recorded it, or "" when it settles nothing (a
// test, a request refused at the HTTP level, an answer without a response code).
std::string FormatSettlementRow(const JournalEntry& entry);

}  // namespace gwsim
