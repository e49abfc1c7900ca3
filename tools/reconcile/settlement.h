#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/reconcile/findings.h"
#include "tools/reconcile/terminal_names.h"

// The card office's settlement: a CSV file with a header, one row per transaction it
// settled, matched with the station's approvals on terminal, batch and sequence number.
// Its columns are found by name (see SettlementColumns); the amount is in currency units
// ("1.50", "1.5" or "2"); the code "00" means settled, any other code that the
// transaction was not. The rows are kept, 28 bytes each: one per transaction of the
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
  explicit Settlement(TerminalNames& terminals) : terminals_(terminals) {}

  // Reads the file; each problem is one line in problems: a missing column (and then no
  // row is read), a row that cannot be read (the rows after it are read).
  bool Load(const std::string& path, const SettlementColumns& columns, std::vector<std::string>& problems);
  // Forgets what a run matched, for another run over the same journals.
  void Reset();

  // The station approved a charge or deposit. report: it belongs to the period reported.
  void Approved(const NumberKey& key, int64_t cents, const StationSide& station, bool report);
  // The station recorded it otherwise ("declined", "transport error", "test"), which
  // explains a row settled for it.
  void NotApproved(const NumberKey& key, const char* recorded, const StationSide& station);
  // What the gateway settled for a transaction in doubt; the row is then the doubt's and
  // not listed in the match.
  GatewayView Ask(const NumberKey& key);

  // The match's differences, in the order of the numbers, and its counts.
  void Finish(Findings& findings);

 private:
  enum class Claim : uint8_t { None, Approved, Doubt };
  struct Row {
    NumberKey Key;
    int32_t Cents;
    char Code[3];   // the first two characters; longer codes are never "00"
    bool Settled;   // code "00"
    Claim Claimed;
    uint32_t Line;
  };
  struct ByKey {
    bool operator()(const Row& a, const NumberKey& b) const { return a.Key < b; }
    bool operator()(const NumberKey& a, const Row& b) const { return a < b.Key; }
  };
  std::pair<std::vector<Row>::iterator, std::vector<Row>::iterator> Rows(const NumberKey& key);
  TransactionNumber NumberOf(const NumberKey& key) const;
  MatchItem Item(MatchResult result, const Row* row, const NumberKey& key) const;

  TerminalNames& terminals_;
  std::vector<Row> rows_;
  std::map<size_t, std::pair<std::string, StationSide>> explained_;  // row: what the station recorded
  std::vector<MatchItem> differences_;
  int64_t matched_ = 0;
};
