#include "records/journal_format.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "settings/bounded_text.h"

namespace {

constexpr const char* kFilePrefix = "CSJournal-";
constexpr const char* kFileExtension = ".csv";
constexpr const char* kFileNameFormat = "CSJournal-%04d-%02d.csv";
constexpr const char* kSideFileNameFormat = "CSJournal-%04d-%02d-%d.csv";
constexpr const char* kTimeFormat = "%04d-%02d-%02d %02d:%02d:%02d";
constexpr size_t kTimeLength = 19;  // "2026-12-18 14:05:09"
constexpr char kQuote = '"';
constexpr char kFormulaGuard = '\'';

constexpr const char* kKindNames[] = {"charge", "deposit", "test"};
constexpr const char* kEventNames[] = {"sending",         "approved", "declined",      "transport error",
                                       "outcome unknown", "booked",   "booking failed"};

// The part of text from from, count characters at most; unlike substr it never throws
// (which would pull the C++ library's exceptions into the plug-in).
constexpr std::string_view Part(std::string_view text, size_t from, size_t count = std::string_view::npos) {
  if (from > text.size()) from = text.size();
  if (count > text.size() - from) count = text.size() - from;
  return std::string_view(text.data() + from, count);
}

// The header is the column names, so that one cannot change without the other.
constexpr bool HeaderNamesTheColumns() {
  std::string_view header = kJournalHeader;
  for (int column = 0; column < kJournalColumns; ++column) {
    const std::string_view name = kJournalColumnNames[column];
    if (Part(header, 0, name.size()) != name) return false;
    header.remove_prefix(name.size());
    const std::string_view after = column + 1 < kJournalColumns ? "," : kJournalLineEnd;
    if (Part(header, 0, after.size()) != after) return false;
    header.remove_prefix(after.size());
  }
  return header.empty();
}
static_assert(HeaderNamesTheColumns());
static_assert(static_cast<int>(JournalColumn::EndCode) + 1 == kJournalColumns);

bool IsControl(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// What a spreadsheet would start a formula with.
bool StartsFormula(char c) { return c == '=' || c == '+' || c == '-' || c == '@'; }

bool SameWithoutCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// count decimal digits at the front of text as a number; false when they are not all
// digits.
bool Digits(std::string_view text, size_t count, int* value) {
  if (text.size() < count) return false;
  int number = 0;
  for (size_t i = 0; i < count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    number = number * 10 + (text[i] - '0');
  }
  *value = number;
  return true;
}

// A whole number that fits 32 bits: an optional '-' and 1 to 10 digits.
bool ReadInteger(std::string_view text, int32_t* value) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return false;
  int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  if (negative) number = -number;
  if (number < INT32_MIN || number > INT32_MAX) return false;
  *value = static_cast<int32_t>(number);
  return true;
}

bool ReadTime(std::string_view text, LocalDateTime* time) {
  if (text.size() != kTimeLength || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
      text[13] != ':' || text[16] != ':') {
    return false;
  }
  LocalDateTime t{};
  if (!Digits(text, 4, &t.year) || !Digits(Part(text, 5), 2, &t.month) ||
      !Digits(Part(text, 8), 2, &t.day) || !Digits(Part(text, 11), 2, &t.hour) ||
      !Digits(Part(text, 14), 2, &t.minute) || !Digits(Part(text, 17), 2, &t.second)) {
    return false;
  }
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 60) {
    return false;
  }
  *time = t;
  return true;
}

// "-1.50": an optional '-', digits, a point and two digits, within 32 bits of cents.
bool ReadAmount(std::string_view text, int32_t* cents) {
  const size_t point = text.find('.');
  if (point == std::string_view::npos || text.size() - point != 3) return false;
  int hundredths = 0;
  if (!Digits(Part(text, point + 1), 2, &hundredths)) return false;
  std::string_view units = Part(text, 0, point);
  const bool negative = !units.empty() && units[0] == '-';
  if (negative) units.remove_prefix(1);
  if (units.empty() || units.size() > 8) return false;
  int64_t total = 0;
  for (char c : units) {
    if (c < '0' || c > '9') return false;
    total = total * 10 + (c - '0');
  }
  total = total * 100 + hundredths;
  if (negative) total = -total;
  if (total < INT32_MIN || total > INT32_MAX) return false;
  *cents = static_cast<int32_t>(total);
  return true;
}

// The text of a raw field, unquoted and without the writer's formula guard, at out
// (NUL-terminated); false when its quoting is not RFC 4180's.
bool ReadText(std::string_view raw, char* out) {
  size_t used = 0;
  if (!raw.empty() && raw[0] == kQuote) {
    if (raw.size() < 2 || raw.back() != kQuote) return false;
    raw = Part(raw, 1, raw.size() - 2);
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == kQuote) {
        if (i + 1 >= raw.size() || raw[i + 1] != kQuote) return false;
        ++i;
      }
      out[used++] = raw[i];
    }
  } else {
    if (raw.find(kQuote) != std::string_view::npos) return false;
    std::memcpy(out, raw.data(), raw.size());
    used = raw.size();
  }
  out[used] = '\0';
  if (used >= 2 && out[0] == kFormulaGuard && StartsFormula(out[1])) std::memmove(out, out + 1, used);
  return true;
}

}  // namespace

const char* JournalKindName(JournalKind kind) { return kKindNames[static_cast<int>(kind)]; }

const char* JournalEventName(JournalEvent event) { return kEventNames[static_cast<int>(event)]; }

std::optional<JournalKind> ParseJournalKind(std::string_view word) {
  for (size_t i = 0; i < std::size(kKindNames); ++i) {
    if (word == kKindNames[i]) return static_cast<JournalKind>(i);
  }
  return std::nullopt;
}

std::optional<JournalEvent> ParseJournalEvent(std::string_view word) {
  for (size_t i = 0; i < std::size(kEventNames); ++i) {
    if (word == kEventNames[i]) return static_cast<JournalEvent>(i);
  }
  return std::nullopt;
}

void JournalFileName(const LocalDateTime& when, char* out, size_t outSize) {
  std::snprintf(out, outSize, kFileNameFormat, when.year, when.month);
}

void JournalSideFileName(const LocalDateTime& when, int side, char* out, size_t outSize) {
  if (side <= 1) {
    JournalFileName(when, out, outSize);
  } else {
    std::snprintf(out, outSize, kSideFileNameFormat, when.year, when.month, side);
  }
}

std::optional<JournalFileMonth> ParseJournalFileName(std::string_view name) {
  const std::string_view prefix = kFilePrefix;
  const std::string_view extension = kFileExtension;
  if (name.size() < prefix.size() + 7 + extension.size() ||
      !SameWithoutCase(Part(name, 0, prefix.size()), prefix) ||
      !SameWithoutCase(Part(name, name.size() - extension.size()), extension)) {
    return std::nullopt;
  }
  std::string_view rest = Part(name, prefix.size(), name.size() - prefix.size() - extension.size());
  JournalFileMonth month{0, 0, 1, false};
  if (!Digits(rest, 4, &month.Year) || rest[4] != '-' || !Digits(Part(rest, 5), 2, &month.Month) ||
      month.Month < 1 || month.Month > 12) {
    return std::nullopt;
  }
  rest.remove_prefix(7);
  if (rest.size() >= 2 && rest[0] == '-' && rest[1] >= '2' && rest[1] <= '9') {
    month.Side = rest[1] - '0';
    rest.remove_prefix(2);
  }
  month.Renamed = !rest.empty();
  return month;
}

size_t FormatCsvText(const char* text, char* out, size_t outSize) {
  constexpr size_t kSmallest = 3;  // two quotes and the NUL
  if (outSize < kSmallest) {
    if (outSize > 0) out[0] = '\0';
    return 0;
  }
  size_t length = 0;
  while (length < kJournalMessageLimit && text[length] != '\0') ++length;
  while (length > 0 && IsControl(text[length - 1])) --length;
  bool quoted = false;
  for (size_t i = 0; i < length; ++i) quoted = quoted || text[i] == kJournalSeparator || text[i] == kQuote;

  // The NUL and a closing quote always find room.
  const size_t end = outSize - 1 - (quoted ? 1 : 0);
  size_t used = 0;
  auto put = [&](char c, size_t count) {
    if (used + count > end) return false;
    for (size_t n = 0; n < count; ++n) out[used++] = c;
    return true;
  };
  if (quoted) put(kQuote, 1);
  if (length > 0 && StartsFormula(text[0])) put(kFormulaGuard, 1);
  for (size_t i = 0; i < length; ++i) {
    const char c = IsControl(text[i]) ? ' ' : text[i];
    if (!put(c, c == kQuote ? 2 : 1)) break;
  }
  if (quoted) out[used++] = kQuote;
  out[used] = '\0';
  return used;
}

void FormatJournalTime(const LocalDateTime& t, char* out, size_t outSize) {
  std::snprintf(out, outSize, kTimeFormat, t.year, t.month, t.day, t.hour, t.minute, t.second);
}

void FormatJournalAmount(int64_t cents, char* out, size_t outSize) {
  const long long magnitude = cents < 0 ? -cents : cents;
  std::snprintf(out, outSize, "%s%lld.%02lld", cents < 0 ? "-" : "", magnitude / 100, magnitude % 100);
}

size_t FormatJournalLine(const JournalLine& record, char* out) {
  BoundedText line(out, kJournalRecordSize);
  auto text = [&line](const char* value) {
    line.Grew(FormatCsvText(value, line.End(), line.Room()));
    line.Format("%c", kJournalSeparator);
  };
  char time[kTimeLength + 1];
  FormatJournalTime(record.Time, time, sizeof time);
  line.Format("%s%c", time, kJournalSeparator);
  text(JournalKindName(record.Kind));
  text(record.TerminalId);
  line.Format("%d,%d,", static_cast<int>(record.Batch), static_cast<int>(record.Sequence));
  char amount[16];
  FormatJournalAmount(record.AmountCents, amount, sizeof amount);
  line.Format("%s%c", amount, kJournalSeparator);
  text(record.Card);
  text(JournalEventName(record.Event));
  text(record.ResponseCode);
  text(record.Message);
  if (record.EndCode.has_value()) line.Format("%d", static_cast<int>(*record.EndCode));
  line.Format("%s", kJournalLineEnd);
  return line.Length();
}

const char* JournalFieldEnd(const char* at, const char* stop) {
  bool quoted = false;
  for (; at < stop; ++at) {
    if (*at == kQuote) quoted = !quoted;
    if (*at == kJournalSeparator && !quoted) return at;
  }
  return stop;
}

JournalLineFault ReadJournalLine(const char* text, size_t length, JournalLine* line, char* texts) {
  JournalLineFault fault{JournalFault::None, JournalColumn::LocalTime, kJournalColumns};
  if (length + std::strlen(kJournalLineEnd) >= kJournalRecordSize) {
    fault.Fault = JournalFault::TooLong;
    return fault;
  }
  for (size_t i = 0; i < length; ++i) {
    if (IsControl(text[i])) {
      fault.Fault = JournalFault::Control;
      return fault;
    }
  }
  std::string_view raw[kJournalColumns];
  const char* const stop = text + length;
  const char* at = text;
  int count = 0;
  for (;;) {
    const char* end = JournalFieldEnd(at, stop);
    if (count < kJournalColumns) raw[count] = std::string_view(at, static_cast<size_t>(end - at));
    ++count;
    if (end == stop) break;
    at = end + 1;
  }
  if (count != kJournalColumns) {
    fault.Fault = JournalFault::Columns;
    fault.Columns = count;
    return fault;
  }

  auto fail = [&fault](JournalFault what, JournalColumn column) {
    fault.Fault = what;
    fault.Column = column;
    return fault;
  };
  auto column = [&raw](JournalColumn c) { return raw[static_cast<int>(c)]; };
  // Every text column unquoted into texts, one after the other.
  char* next = texts;
  const char* columnText[kJournalColumns] = {};
  for (int c = 0; c < kJournalColumns; ++c) {
    if (!ReadText(raw[c], next)) return fail(JournalFault::Quoting, static_cast<JournalColumn>(c));
    if (std::strlen(next) > kJournalMessageLimit) return fail(JournalFault::TooLong, static_cast<JournalColumn>(c));
    columnText[c] = next;
    next += std::strlen(next) + 1;
  }
  auto value = [&columnText](JournalColumn c) { return std::string_view(columnText[static_cast<int>(c)]); };

  JournalLine read{};
  if (!ReadTime(column(JournalColumn::LocalTime), &read.Time)) {
    return fail(JournalFault::Time, JournalColumn::LocalTime);
  }
  const std::optional<JournalKind> kind = ParseJournalKind(value(JournalColumn::Kind));
  if (!kind) return fail(JournalFault::Kind, JournalColumn::Kind);
  read.Kind = *kind;
  read.TerminalId = columnText[static_cast<int>(JournalColumn::TerminalId)];
  if (!ReadInteger(column(JournalColumn::Batch), &read.Batch)) {
    return fail(JournalFault::Number, JournalColumn::Batch);
  }
  if (!ReadInteger(column(JournalColumn::Sequence), &read.Sequence)) {
    return fail(JournalFault::Number, JournalColumn::Sequence);
  }
  if (read.Sequence < 0 || read.Sequence > kLastSequenceNumber) {
    return fail(JournalFault::Sequence, JournalColumn::Sequence);
  }
  if (!ReadAmount(column(JournalColumn::Amount), &read.AmountCents)) {
    return fail(JournalFault::Amount, JournalColumn::Amount);
  }
  read.Card = columnText[static_cast<int>(JournalColumn::Card)];
  const std::optional<JournalEvent> event = ParseJournalEvent(value(JournalColumn::Event));
  if (!event) return fail(JournalFault::Event, JournalColumn::Event);
  read.Event = *event;
  read.ResponseCode = columnText[static_cast<int>(JournalColumn::ResponseCode)];
  read.Message = columnText[static_cast<int>(JournalColumn::Message)];
  const std::string_view endCode = column(JournalColumn::EndCode);
  if (!endCode.empty()) {
    int32_t code = 0;
    if (!ReadInteger(endCode, &code)) return fail(JournalFault::Number, JournalColumn::EndCode);
    read.EndCode = code;
  }
  *line = read;
  return fault;
}

void DescribeJournalFault(const JournalLineFault& fault, char* out, size_t outSize) {
  const char* name = kJournalColumnNames[static_cast<int>(fault.Column)];
  switch (fault.Fault) {
    case JournalFault::None:
      std::snprintf(out, outSize, "a record");
      return;
    case JournalFault::Columns:
      std::snprintf(out, outSize, "%d columns, not %d", fault.Columns, kJournalColumns);
      return;
    case JournalFault::Control:
      std::snprintf(out, outSize, "a control character, which no record holds");
      return;
    case JournalFault::TooLong:
      std::snprintf(out, outSize, "longer than any record");
      return;
    case JournalFault::Quoting:
      std::snprintf(out, outSize, "column %s: quotes out of place", name);
      return;
    case JournalFault::Time:
      std::snprintf(out, outSize, "column %s: not a time YYYY-MM-DD hh:mm:ss", name);
      return;
    case JournalFault::Kind:
      std::snprintf(out, outSize, "column %s: not charge, deposit or test", name);
      return;
    case JournalFault::Number:
      std::snprintf(out, outSize, "column %s: not a whole number", name);
      return;
    case JournalFault::Sequence:
      std::snprintf(out, outSize, "column %s: not 0 to %d", name, static_cast<int>(kLastSequenceNumber));
      return;
    case JournalFault::Amount:
      std::snprintf(out, outSize, "column %s: not an amount with two decimals", name);
      return;
    case JournalFault::Event:
      std::snprintf(out, outSize, "column %s: not an event of the journal", name);
      return;
  }
}
