#include "tools/reconcile/ledger.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kBitsPerWord = 64;
constexpr size_t kUsedWords = kLastSequenceNumber / kBitsPerWord + 1;
// A number this much lower than the one before is the batch starting again at 1 after
// kLastSequenceNumber, with some numbers unused at the turn; less is going backwards.
constexpr int32_t kWrapDrop = kLastSequenceNumber / 2;

int DayOf(const LocalDateTime& time) { return time.year * 10000 + time.month * 100 + time.day; }

}  // namespace

Ledger::Ledger(Findings& findings, TerminalNames& terminals, Settlement* settlement, int month,
               std::set<UseKey> watched, std::function<void(const InputNote&)> notes)
    : findings_(findings),
      settlement_(settlement),
      month_(month),
      watched_(std::move(watched)),
      notes_(std::move(notes)),
      terminals_(terminals) {}

bool Ledger::InMonth(const LocalDateTime& time) const {
  return month_ == 0 || time.year * 100 + time.month == month_;
}

TransactionNumber Ledger::NumberOf(const Key& key) const {
  return {terminals_.Name(key.Terminal), key.Batch, key.Sequence};
}

bool Ledger::TakeOpen(const Key& key, const JournalLine& line, bool awaitingBooking, Open& out) {
  auto [begin, end] = open_.equal_range(key);
  for (auto it = begin; it != end; ++it) {
    const Open& open = it->second;
    if (open.AwaitingBooking == awaitingBooking && open.Kind == line.Kind && open.Cents == line.AmountCents &&
        open.Card == line.Card) {
      out = std::move(it->second);
      open_.erase(it);
      return true;
    }
  }
  return false;
}

void Ledger::Use(const Key& key, const Open& use) {
  if (key.Sequence == 0) return;  // no number was taken
  const bool report = InMonth(use.Time);
  Run& run = runs_[{key.Terminal, key.Batch}];
  NumberRun& counts = run.Counts;
  if (run.Used.empty()) run.Used.assign(kUsedWords, 0);
  if (run.Last != 0) {
    const int32_t last = run.Last;
    if (key.Sequence < last && last - key.Sequence > kWrapDrop) {
      std::fill(run.Used.begin(), run.Used.end(), 0);
      ++run.Cycle;
      if (report) {
        ++counts.Wraps;
        const int64_t skipped = static_cast<int64_t>(kLastSequenceNumber - run.Highest) + key.Sequence - 1;
        if (skipped > 0) {
          ++counts.Gaps;
          counts.Skipped += skipped;
        }
      }
      run.Highest = 0;
    } else if (key.Sequence < last && report) {
      findings_.Backwards.push_back({NumberOf(key), last, use.Time, use.At});
    } else if (key.Sequence > run.Highest + 1 && report) {
      ++counts.Gaps;
      counts.Skipped += key.Sequence - run.Highest - 1;
    }
  }
  run.Highest = std::max(run.Highest, key.Sequence);
  run.Last = key.Sequence;
  if (report) {
    if (counts.Uses == 0) counts.First = key.Sequence;
    counts.Last = key.Sequence;
    ++counts.Uses;
  }
  const size_t bit = static_cast<size_t>(key.Sequence);
  uint64_t& word = run.Used[bit / kBitsPerWord];
  const uint64_t mask = uint64_t{1} << (bit % kBitsPerWord);
  const UseKey useKey{key.Terminal, key.Batch, key.Sequence, run.Cycle};
  if ((word & mask) != 0 && report) reused_.insert(useKey);
  word |= mask;
  if (watched_.count(useKey) != 0) {
    watchedUses_[useKey].push_back({use.Time, use.Kind, use.Cents, use.Card, use.At});
  }
}

DayTotals& Ledger::TotalsOf(const Key& key, const LocalDateTime& time) {
  return findings_.Totals[{DayOf(time), terminals_.Name(key.Terminal)}];
}

void Ledger::Doubt(DoubtKind kind, const Key& key, const Open& txn, const char* message, const Place& at) {
  if (txn.Kind == JournalKind::Test || !InMonth(txn.Time)) return;  // a Test moves no money
  DoubtItem item{kind, txn.Time, txn.Kind, NumberOf(key), txn.Cents, txn.Card, message, at, {}};
  if (settlement_ != nullptr) item.Gateway = settlement_->Ask(key);
  findings_.Doubts.push_back(std::move(item));
}

void Ledger::Record(const Place& at, const JournalLine& line) {
  ++findings_.Records;
  // Lines of one terminal come in runs: ask the table only when it changes.
  if (!anyTerminal_ || terminal_ != line.TerminalId) {
    terminal_ = line.TerminalId;
    terminalIndex_ = terminals_.Intern(terminal_);
    anyTerminal_ = true;
  }
  const Key key{terminalIndex_, line.Batch, line.Sequence};
  Open txn{line.Time, line.Kind, line.AmountCents, line.Card, at, false, order_++};
  switch (line.Event) {
    case JournalEvent::Sending:
      Use(key, txn);
      open_.emplace(key, std::move(txn));
      return;
    case JournalEvent::Approved:
    case JournalEvent::Declined:
    case JournalEvent::TransportError:
    case JournalEvent::OutcomeUnknown:
      // Without its "sending" (in a month not read, or lost), the outcome stands for it:
      // a request went out unless nothing reached the gateway.
      if (!TakeOpen(key, line, false, txn) && line.Event != JournalEvent::TransportError) Use(key, txn);
      Outcome(key, line, std::move(txn), at);
      return;
    case JournalEvent::Booked:
    case JournalEvent::BookingFailed:
      TakeOpen(key, line, true, txn);
      if (line.Event == JournalEvent::BookingFailed) {
        Doubt(DoubtKind::BookingFailed, key, txn, line.Message, at);
      } else if (InMonth(txn.Time)) {
        DayTotals& totals = TotalsOf(key, txn.Time);
        ++totals.BookedDeposits;
        totals.DepositedCents += txn.Cents;
      }
      return;
  }
}

void Ledger::Outcome(const Key& key, const JournalLine& line, Open txn, const Place& at) {
  const bool report = InMonth(txn.Time);
  const StationSide side{txn.Time, txn.Card, txn.At};
  if (txn.Kind == JournalKind::Test) {
    if (report) ++findings_.Tests;
    if (settlement_ != nullptr) settlement_->NotApproved(key, "test", side);
    return;
  }
  switch (line.Event) {
    case JournalEvent::Approved:
      if (settlement_ != nullptr) settlement_->Approved(key, txn.Cents, side, report);
      if (txn.Kind == JournalKind::Deposit) {
        txn.AwaitingBooking = true;
        open_.emplace(key, std::move(txn));
      } else if (report) {
        DayTotals& totals = TotalsOf(key, txn.Time);
        ++totals.ApprovedCharges;
        totals.ChargedCents += txn.Cents;
      }
      return;
    case JournalEvent::Declined:
    case JournalEvent::TransportError:
      if (report) {
        DayTotals& totals = TotalsOf(key, txn.Time);
        ++(line.Event == JournalEvent::Declined ? totals.Declined : totals.NotSent);
      }
      if (settlement_ != nullptr) settlement_->NotApproved(key, JournalEventName(line.Event), side);
      return;
    case JournalEvent::OutcomeUnknown:
      Doubt(DoubtKind::OutcomeUnknown, key, txn, line.Message, at);
      return;
    case JournalEvent::Sending:
    case JournalEvent::Booked:
    case JournalEvent::BookingFailed:
      return;
  }
}

void Ledger::Note(InputNote note) {
  if (note.Kind == NoteKind::Unreadable) ++findings_.UnreadFiles;
  if (note.Kind == NoteKind::Malformed) ++findings_.UnreadLines;
  if (notes_) notes_(note);
  if (findings_.Notes.size() < kNoteLimit) {
    findings_.Notes.push_back(std::move(note));
  } else {
    ++findings_.NotesLeftOut;
  }
}

void Ledger::Finish() {
  // What is still open, in the order it was read.
  std::vector<std::pair<Key, Open>> left(open_.begin(), open_.end());
  std::sort(left.begin(), left.end(), [](const auto& a, const auto& b) { return a.second.Order < b.second.Order; });
  for (const auto& [key, txn] : left) {
    Doubt(txn.AwaitingBooking ? DoubtKind::NotBooked : DoubtKind::NoOutcome, key, txn, "", txn.At);
  }
  open_.clear();
  std::stable_sort(findings_.Doubts.begin(), findings_.Doubts.end(), [](const DoubtItem& a, const DoubtItem& b) {
    const auto keyA = std::make_tuple(a.Time.year, a.Time.month, a.Time.day, a.Time.hour, a.Time.minute, a.Time.second);
    const auto keyB = std::make_tuple(b.Time.year, b.Time.month, b.Time.day, b.Time.hour, b.Time.minute, b.Time.second);
    return keyA != keyB ? keyA < keyB : a.Number < b.Number;
  });

  for (auto& [terminalBatch, run] : runs_) {
    if (run.Counts.Uses == 0) continue;
    run.Counts.Terminal = terminals_.Name(terminalBatch.first);
    run.Counts.Batch = terminalBatch.second;
    findings_.Runs.push_back(run.Counts);
  }
  std::sort(findings_.Runs.begin(), findings_.Runs.end(), [](const NumberRun& a, const NumberRun& b) {
    return std::tie(a.Terminal, a.Batch) < std::tie(b.Terminal, b.Batch);
  });
  for (const auto& [useKey, uses] : watchedUses_) {
    if (reused_.count(useKey) == 0 || uses.size() < 2) continue;
    NumberReused reused{{terminals_.Name(useKey.Terminal), useKey.Batch, useKey.Sequence}, uses, false};
    for (const NumberUse& use : uses) {
      reused.Critical = reused.Critical || use.Cents != uses[0].Cents || use.Card != uses[0].Card;
    }
    findings_.Reused.push_back(std::move(reused));
  }
  std::sort(findings_.Reused.begin(), findings_.Reused.end(),
            [](const NumberReused& a, const NumberReused& b) { return a.Number < b.Number; });
  if (settlement_ != nullptr) settlement_->Finish(findings_);
}
