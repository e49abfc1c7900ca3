#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "records/local_clock.h"
#include "records/sequence_text.h"

// The journal's format, in one place for everything that writes or reads it: the
// plug-in's writer (records/journal.h), its numbering continuation
// (records/journal_scan.h) and the reconciliation tool (tools/reconcile/). File names,
// the columns and their order, the words of the Kind and Event columns, the forms of
// time and amount, and the CSV quoting. A line is written by FormatJournalLine and read
// back by ReadJournalLine, its exact inverse. Platform-free, and nothing of the
// transport or the dialogs: only plain text and numbers.

enum class JournalColumn {
  LocalTime,
  Kind,
  TerminalId,
  Batch,
  Sequence,
  Amount,
  Card,
  Event,
  ResponseCode,
  Message,
  EndCode,
};
inline constexpr int kJournalColumns = 11;
inline constexpr const char* kJournalColumnNames[kJournalColumns] = {
    "Local time", "Kind",  "Terminal ID",   "Batch",   "Sequence", "Amount",
    "Card",       "Event", "Response code", "Message", "End code"};
// The first line of every journal file: the column names.
inline constexpr const char* kJournalHeader =
    "Local time,Kind,Terminal ID,Batch,Sequence,Amount,Card,Event,Response code,Message,"
    "End code\r\n";
inline constexpr char kJournalSeparator = ',';
inline constexpr const char* kJournalLineEnd = "\r\n";

// The longest text of a text column: longer ones are cut when written.
inline constexpr size_t kJournalMessageLimit = 384;
// Room for one whole line, its line end and NUL included.
inline constexpr size_t kJournalRecordSize = 1536;

enum class JournalKind { Charge, Deposit, Test };

enum class JournalEvent {
  Sending,         // the request is about to leave
  Approved,        // the gateway answered "00"
  Declined,        // the gateway answered with another code
  TransportError,  // the exchange failed before anything could reach the gateway
  OutcomeUnknown,  // it failed after the request may have reached the gateway
  Booked,          // the station program booked an approved deposit
  BookingFailed,   // it did not (its error number is in the message)
};

// The words of the Kind and Event columns ("charge", "outcome unknown", ...), and back.
const char* JournalKindName(JournalKind kind);
const char* JournalEventName(JournalEvent event);
std::optional<JournalKind> ParseJournalKind(std::string_view word);
std::optional<JournalEvent> ParseJournalEvent(std::string_view word);

// --- File names. ---

// The month's own file and its side files: CSJournal-2026-12.csv, then -2 to -4.
inline constexpr int kJournalSideFiles = 4;
// What the name of every journal file matches.
inline constexpr const char* kJournalFilePattern = "CSJournal-*.csv";
inline constexpr size_t kJournalFileNameSize = 32;
// The month's own file: "CSJournal-2026-12.csv".
void JournalFileName(const LocalDateTime& when, char* out, size_t outSize);
// File number side (1 to kJournalSideFiles) of that month: 1 is the month's own file,
// 2 "CSJournal-2026-12-2.csv" and so on.
void JournalSideFileName(const LocalDateTime& when, int side, char* out, size_t outSize);

// What a file's name says: "CSJournal-2026-12-2.csv" is side file 2 of December 2026.
// Letters are compared without case, as Windows does. A name with more text before
// ".csv" ("CSJournal-2026-12 - Copy.csv") still names its month; Renamed says so.
struct JournalFileMonth {
  int Year;
  int Month;
  int Side;      // 1 for the month's own file
  bool Renamed;  // text after the month (and side) that the plug-in never writes
};
std::optional<JournalFileMonth> ParseJournalFileName(std::string_view name);

// --- One line. ---

// One record as its columns hold it. Texts are NUL-terminated; see FormatCsvText for
// what writing does to them.
struct JournalLine {
  LocalDateTime Time;
  JournalKind Kind;
  const char* TerminalId;
  int32_t Batch;
  int32_t Sequence;
  int32_t AmountCents;
  const char* Card;  // masked
  JournalEvent Event;
  const char* ResponseCode;  // "" when there is none
  const char* Message;
  std::optional<int32_t> EndCode;
};

// Writes text as one CSV field (RFC 4180) at out, outSize bytes at most with the NUL;
// returns the length. Control characters, line breaks among them, become spaces (a
// record is always one line) and trailing ones are dropped; a text that a spreadsheet
// would take for a formula (beginning '=', '+', '-' or '@') gets a leading apostrophe;
// a text with a comma or a quote is quoted, its quotes doubled. At most
// kJournalMessageLimit characters of text are taken.
size_t FormatCsvText(const char* text, char* out, size_t outSize);

// The local time as "2026-12-18 14:05:09", at out (20 bytes do).
void FormatJournalTime(const LocalDateTime& time, char* out, size_t outSize);

// The amount in currency units with two decimals ("-1.50"), at out (16 bytes do).
void FormatJournalAmount(int64_t cents, char* out, size_t outSize);

// One whole line, its line end included, at out (kJournalRecordSize bytes); returns the
// length. Local time as "2026-12-18 14:05:09", numbers in decimal, the amount as
// FormatJournalAmount writes it, texts as FormatCsvText writes them, the end code
// empty when there is none.
size_t FormatJournalLine(const JournalLine& line, char* out);

// Where the CSV field that begins at at ends (its comma, or stop), quotes respected.
const char* JournalFieldEnd(const char* at, const char* stop);

// Why a line is not a record, and in which column.
enum class JournalFault {
  None,
  Columns,        // not eleven columns
  Quoting,        // a quote where the quoting rules allow none
  Control,        // a control character (the writer writes none)
  TooLong,        // longer than any line the writer writes, or a text over the limit
  Time,           // not "YYYY-MM-DD hh:mm:ss"
  Kind,           // not charge, deposit or test
  Number,         // not a whole number that fits
  Sequence,       // outside 0 to kLastSequenceNumber (0: no number was taken)
  Amount,         // not an amount with two decimals
  Event,          // not one of the events
};
struct JournalLineFault {
  JournalFault Fault;
  JournalColumn Column;  // meaningful for the faults of one column
  int Columns;           // for Columns: how many were found
};

// Reads one line (without its line end) back into line, its texts unquoted into texts
// (kJournalRecordSize bytes) which line then points into. A text's leading apostrophe
// before '=', '+', '-' or '@' is the writer's and is taken off.
JournalLineFault ReadJournalLine(const char* text, size_t length, JournalLine* line, char* texts);

// The fault in words, for a person: "column Sequence: not 0 to 999999". out: 96 bytes do.
void DescribeJournalFault(const JournalLineFault& fault, char* out, size_t outSize);
