#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/reconcile/findings.h"

// The card office's settlement: a CSV file with a header, one row per transaction it
// settled, matched with the station's approvals on terminal, batch and sequence number.
// Its columns are found by name (see SettlementColumns); the amount is in currency units
// ("1.50", "1.5" or "2"); the code "00" means settled, any other code that the
// transaction was not. The whole file is kept: it is one row per transaction of the
// period, small beside the journals.

enum class SettlementColumn { Terminal, Batch, Sequence, Amount, Code };
inline constexpr int kSettlementColumns = 5;
// The keys of --gateway-columns, and the names the columns have by default (the
// journal's own).
inline constexpr const char* kSettlementColumnKeys[kSettlementColumns] = {"terminal", "batch", "sequence",
                                                                            "amount", "code"};
struct SettlementColumns {
  std::string Names[kSettlementColumns] = {"Terminal ID", "Batch", "Sequence", "Amount", "Response code"};
};

// "terminal=TID,batch=Batch" into columns; false with the reason in error.
bool ParseSettlementColumns(const std::string& text, SettlementColumns& columns, std::string& error);

// What the station recorded of a transaction, for the match's rows.
struct StationSide {
  LocalDateTime Time;
  std::string Card;
  Place At;
};

class Settlement {
 public:
  // Reads the file; a problem is a note: a missing column (and then no row is read), a
  // row that cannot be read (and the rows after it are read).
  bool Load(const std::string& path, const SettlementColumns& columns, std::vector<std::string>& problems);

  // The station approved a charge or deposit. report: it belongs to the period reported.
  void Approved(const TransactionNumber& number, int64_t cents, const StationSide& station, bool report);
  // The station recorded it otherwise ("declined", "transport error", "test"), so a row
  // settled for it is explained by that.
  void NotApproved(const TransactionNumber& number, const char* recorded, const StationSide& station);
  // What the gateway settled for a transaction in doubt; the row is then the doubt's and
  // not listed in the match.
  GatewayView Ask(const TransactionNumber& number);

  // The match, in the order of the numbers.
  void Finish(Findings& findings);

 private:
  struct Row {
    TransactionNumber Number;
    int64_t Cents;
    std::string Code;
    int64_t Line;
    enum class Claim { None, Approved, Doubt } Claimed = Claim::None;
    int64_t StationCents = 0;
    std::string Station;  // what the station recorded, for an unclaimed row
    StationSide Side{};
    bool HasSide = false;
  };
  struct ByNumber {
    bool operator()(const Row& a, const TransactionNumber& b) const { return a.Number < b; }
    bool operator()(const TransactionNumber& a, const Row& b) const { return a < b.Number; }
  };
  // The rows of number, settled ones first.
  std::pair<std::vector<Row>::iterator, std::vector<Row>::iterator> Rows(const TransactionNumber& number) {
    return std::equal_range(rows_.begin(), rows_.end(), number, ByNumber());
  }

  std::vector<Row> rows_;
  std::vector<MatchItem> notSettled_;
};
