#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "tools/reconcile/findings.h"
#include "tools/reconcile/journal_sources.h"
#include "tools/reconcile/settlement.h"
#include "tools/reconcile/terminal_names.h"

// The account of one run, kept as the records come in time order: each transaction's
// records put together by terminal, batch and sequence number (and the kind, amount and
// card its records all repeat), the totals per day and terminal, the numbering of each
// terminal and batch, and the station's side of the settlement match. What it keeps
// is bounded: the transactions still open (a "sending" without its outcome, an approved
// deposit before its booking), the totals, and per terminal and batch one bit per
// sequence number (125 KB).
//
// A number used twice is found by its bit; which uses they were needs a second run over
// the same input with those numbers watched (see Watched), since the first use has
// long been forgotten when the second comes.

// A terminal (interned), batch, sequence number, and how often the batch had wrapped.
struct UseKey {
  uint32_t Terminal;
  int32_t Batch;
  int32_t Sequence;
  int32_t Cycle;
  bool operator<(const UseKey& o) const {
    return std::tie(Terminal, Batch, Sequence, Cycle) < std::tie(o.Terminal, o.Batch, o.Sequence, o.Cycle);
  }
};

class Ledger : public RecordSink {
 public:
  // month: YYYYMM, or 0 for everything read. settlement: null without --gateway.
  // watched: numbers whose uses to collect (from an earlier run's Reused()). notes: each
  // note as it comes (standard error), or nothing.
  Ledger(Findings& findings, TerminalNames& terminals, Settlement* settlement, int month,
         std::set<UseKey> watched, std::function<void(const InputNote&)> notes);

  void Record(const Place& at, const JournalLine& line) override;
  void Note(InputNote note) override;
  // What is still open becomes money in doubt; numbering into the findings.
  void Finish();

  // Numbers found used more than once.
  const std::set<UseKey>& Reused() const { return reused_; }

 private:
  using Key = NumberKey;
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return (static_cast<size_t>(k.Terminal) * 1000003u) ^ (static_cast<size_t>(k.Batch) * 7919u) ^
             static_cast<size_t>(k.Sequence);
    }
  };
  // A transaction as far as its records have come.
  struct Open {
    LocalDateTime Time;  // of its first record
    JournalKind Kind;
    int32_t Cents;
    std::string Card;
    Place At;
    bool AwaitingBooking;
    int64_t Order;
  };
  // The numbering of one terminal and batch.
  struct Run {
    std::vector<uint64_t> Used;  // one bit per sequence number of this cycle
    int32_t Last = 0;     // the number before
    int32_t Highest = 0;  // of this cycle: gaps are counted above it
    int32_t Cycle = 0;
    NumberRun Counts;
  };

  bool InMonth(const LocalDateTime& time) const;
  TransactionNumber NumberOf(const Key& key) const;
  // Takes the open transaction of key with line's kind, amount and card; false if none.
  bool TakeOpen(const Key& key, const JournalLine& line, bool awaitingBooking, Open& out);
  void Use(const Key& key, const Open& use);
  void Outcome(const Key& key, const JournalLine& line, Open txn, const Place& at);
  void Doubt(DoubtKind kind, const Key& key, const Open& txn, const char* message, const Place& at);
  DayTotals& TotalsOf(const Key& key, const LocalDateTime& time);

  Findings& findings_;
  Settlement* settlement_;
  int month_;
  std::set<UseKey> watched_;
  std::function<void(const InputNote&)> notes_;

  TerminalNames& terminals_;
  std::string terminal_;  // the last terminal id interned, and its number
  uint32_t terminalIndex_ = 0;
  bool anyTerminal_ = false;
  std::unordered_multimap<Key, Open, KeyHash> open_;
  int64_t order_ = 0;
  std::map<std::pair<uint32_t, int32_t>, Run> runs_;
  std::set<UseKey> reused_;
  std::map<UseKey, std::vector<NumberUse>> watchedUses_;
};
