#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "records/journal_format.h"

// What one reconciliation found: the items of each section of the report, the totals,
// and what could not be read. Filled by the ledger (ledger.h) and the settlement match
// (settlement.h); written out by report_csv.h and report_html.h.

// A line of an input file: File indexes Findings::Files; lines count from 1.
struct Place {
  uint32_t File = 0;
  int64_t Line = 0;
};

// What is wrong with the input, or worth saying about it.
enum class NoteKind {
  Unreadable,    // a file or folder that could not be read (Text: the reason)
  Malformed,     // a line that is not a record (Text: why)
  CutOff,        // a last line without its line end and no whole copy (Text: the line)
  CutOffWhole,   // a last line cut off by a copy, whole in Other
  CopiesDiffer,  // two copies of one file with different lines at At and Other
};
struct InputNote {
  NoteKind Kind;
  Place At;
  Place Other;
  std::string Text;
};

// The kinds of money in doubt; their texts are in doubt_table.h.
enum class DoubtKind { OutcomeUnknown, NoOutcome, BookingFailed, NotBooked };

// What the settlement file says of a transaction.
enum class Settled { NotAsked, No, Yes, OtherCode };
struct GatewayView {
  Settled State = Settled::NotAsked;
  int64_t Cents = 0;     // Yes, OtherCode: the settled amount
  std::string Code;      // OtherCode: the gateway's code
  int64_t Row = 0;       // the settlement file's line
};

// The numbers that name a transaction to the card office.
struct TransactionNumber {
  std::string Terminal;
  int32_t Batch = 0;
  int32_t Sequence = 0;
  bool operator<(const TransactionNumber& other) const {
    return std::tie(Terminal, Batch, Sequence) < std::tie(other.Terminal, other.Batch, other.Sequence);
  }
};

struct DoubtItem {
  DoubtKind Kind;
  LocalDateTime Time;  // of the transaction's first record
  JournalKind Transaction;
  TransactionNumber Number;
  int64_t Cents;
  std::string Card;
  std::string Message;  // the journal's message of the line that put it in doubt
  Place At;             // that line
  GatewayView Gateway;
};

// Per day and terminal. Tests move no money and are not counted.
struct DayTotals {
  int64_t ApprovedCharges = 0;
  int64_t ChargedCents = 0;
  int64_t BookedDeposits = 0;
  int64_t DepositedCents = 0;
  int64_t Declined = 0;
  int64_t NotSent = 0;
};
// Day as YYYYMMDD.
using TotalsKey = std::pair<int, std::string>;

// One time a number went out: its "sending" record, or an outcome whose "sending" was
// not in the input.
struct NumberUse {
  LocalDateTime Time;
  JournalKind Transaction;
  int64_t Cents;
  std::string Card;
  Place At;
};
struct NumberReused {
  TransactionNumber Number;
  std::vector<NumberUse> Uses;  // in the order read
  bool Critical;                // amounts or cards differ
};
struct NumberBackwards {
  TransactionNumber Number;  // the number that came after a higher one
  int32_t After;             // that higher one
  LocalDateTime Time;
  Place At;
};
// Per terminal and batch: the numbers used, and those skipped (harmless).
struct NumberRun {
  std::string Terminal;
  int32_t Batch;
  int64_t Uses = 0;
  int32_t First = 0;
  int32_t Last = 0;
  int64_t Gaps = 0;
  int64_t Skipped = 0;
  int64_t Wraps = 0;
};

// How a transaction approved at the station or settled at the gateway differs; the
// matched ones are only counted.
enum class MatchResult {
  AmountsDiffer,   // approved and settled with another amount
  NotSettled,      // approved at the station, not settled at the gateway
  NotApproved,     // settled at the gateway, not approved at the station
};
struct MatchItem {
  MatchResult Result;
  TransactionNumber Number;
  std::optional<int64_t> StationCents;
  std::optional<int64_t> GatewayCents;
  std::string GatewayCode;
  std::string Station;  // what the station recorded: "approved", "declined", "no record", ...
  LocalDateTime Time{};
  std::string Card;
  std::optional<Place> At;
  int64_t SettlementRow = 0;  // 0: none
};

struct Findings {
  std::vector<std::string> Files;   // every input file, as Place::File indexes them
  int64_t LinesRead = 0;
  int64_t Records = 0;
  int64_t CopiedLines = 0;          // lines dropped as copies of lines already read
  int CopyFiles = 0;                // files read as copies of another
  int LeftOutFiles = 0;             // --month: files of other months
  std::optional<int> Month;         // YYYYMM with --month
  int64_t Tests = 0;

  std::vector<DoubtItem> Doubts;
  std::map<TotalsKey, DayTotals> Totals;
  std::vector<NumberReused> Reused;
  std::vector<NumberBackwards> Backwards;
  std::vector<NumberRun> Runs;

  bool Matching = false;            // a settlement file was given
  std::string SettlementPath;
  std::vector<MatchItem> Matches;  // the differences
  int64_t Matched = 0;
  int64_t SettlementRows = 0;
  int64_t SettlementOtherCodes = 0; // rows with another code and no approval to compare

  std::vector<InputNote> Notes;     // the first kNoteLimit
  int64_t NotesLeftOut = 0;
  int64_t UnreadLines = 0;          // malformed lines
  int UnreadFiles = 0;
};

// More notes than this are counted, not kept (each was printed on standard error).
inline constexpr size_t kNoteLimit = 1000;
