#include "tools/reconcile/settlement.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kSettledCode = "00";
constexpr char kQuote = '"';

bool IsSettled(const std::string& code) { return code == kSettledCode; }

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// One CSV record (RFC 4180: a quoted field may hold commas, quotes doubled and line
// breaks); false at the end of the file. lines counts the lines the record spans.
bool ReadRecord(std::FILE* file, std::vector<std::string>& fields, int64_t& lines, bool& badQuote) {
  fields.assign(1, std::string());
  badQuote = false;
  bool quoted = false;
  bool any = false;
  bool afterQuote = false;
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    any = true;
    if (quoted) {
      if (c == kQuote) {
        const int following = std::fgetc(file);
        if (following == kQuote) {
          fields.back() += kQuote;
        } else {
          quoted = false;
          afterQuote = true;
          if (following != EOF) std::ungetc(following, file);
        }
      } else {
        if (c == '\n') ++lines;
        fields.back() += static_cast<char>(c);
      }
      continue;
    }
    if (c == '\n') {
      ++lines;
      if (!fields.back().empty() && fields.back().back() == '\r') fields.back().pop_back();
      return true;
    }
    if (c == ',') {
      fields.emplace_back();
      afterQuote = false;
    } else if (c == kQuote && fields.back().empty() && !afterQuote) {
      quoted = true;
    } else {
      if (c == kQuote || (afterQuote && c != '\r')) badQuote = true;
      fields.back() += static_cast<char>(c);
    }
  }
  if (quoted) badQuote = true;
  if (any) ++lines;
  return any;
}

bool ReadWhole(const std::string& text, int64_t& value) {
  const std::string t = Trimmed(text);
  if (t.empty() || t.size() > 12) return false;
  value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// Currency units with at most two decimals, as a spreadsheet writes them.
bool ReadUnits(const std::string& text, int64_t& cents) {
  std::string t = Trimmed(text);
  const bool negative = !t.empty() && t[0] == '-';
  if (negative) t.erase(0, 1);
  const size_t point = t.find('.');
  const std::string units = t.substr(0, point);
  std::string decimals = point == std::string::npos ? "" : t.substr(point + 1);
  if (units.empty() || decimals.size() > 2 || (point != std::string::npos && decimals.empty())) return false;
  decimals.resize(2, '0');
  int64_t whole = 0;
  int64_t hundredths = 0;
  if (!ReadWhole(units, whole) || !ReadWhole(decimals, hundredths) || units.size() > 10) return false;
  cents = (whole * 100 + hundredths) * (negative ? -1 : 1);
  return true;
}

// A text field as the journal's quoting leaves it: the formula guard taken off.
std::string Text(const std::string& field) {
  if (field.size() >= 2 && field[0] == '\'' && std::strchr("=+-@", field[1]) != nullptr) return field.substr(1);
  return field;
}

}  // namespace

bool ParseSettlementColumns(const std::string& text, SettlementColumns& columns, std::string& error) {
  size_t at = 0;
  while (at <= text.size()) {
    const size_t comma = std::min(text.find(',', at), text.size());
    const std::string pair = text.substr(at, comma - at);
    const size_t equals = pair.find('=');
    const std::string key = Lower(Trimmed(pair.substr(0, equals)));
    const auto known = std::find_if(std::begin(kSettlementColumnKeys), std::end(kSettlementColumnKeys),
                                    [&key](const char* k) { return key == k; });
    if (equals == std::string::npos || known == std::end(kSettlementColumnKeys) ||
        Trimmed(pair.substr(equals + 1)).empty()) {
      error = "--gateway-columns: '" + pair +
              "' is not KEY=NAME with KEY one of terminal, batch, sequence, amount, code";
      return false;
    }
    columns.Names[known - std::begin(kSettlementColumnKeys)] = Trimmed(pair.substr(equals + 1));
    at = comma + 1;
  }
  return true;
}

bool Settlement::Load(const std::string& path, const SettlementColumns& columns,
                      std::vector<std::string>& problems) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    problems.push_back(path + ": " + std::strerror(errno));
    return false;
  }
  std::vector<std::string> fields;
  int64_t lines = 0;
  bool badQuote = false;
  if (!ReadRecord(file, fields, lines, badQuote)) {
    problems.push_back(path + ": empty: a settlement file begins with a header");
    std::fclose(file);
    return false;
  }
  int place[kSettlementColumns];
  bool ok = true;
  for (int c = 0; c < kSettlementColumns; ++c) {
    place[c] = -1;
    for (size_t f = 0; f < fields.size(); ++f) {
      if (Lower(Trimmed(Text(fields[f]))) == Lower(columns.Names[c])) place[c] = static_cast<int>(f);
    }
    if (place[c] < 0) {
      std::string found;
      for (const std::string& field : fields) found += (found.empty() ? "\"" : ", \"") + field + "\"";
      problems.push_back(path + ": no column \"" + columns.Names[c] + "\" (the " + kSettlementColumnKeys[c] +
                         "); the header has " + found + ". Name it with --gateway-columns " +
                         kSettlementColumnKeys[c] + "=NAME");
      ok = false;
    }
  }
  if (!ok) {
    std::fclose(file);
    return false;
  }
  for (;;) {
    const int64_t line = lines + 1;
    if (!ReadRecord(file, fields, lines, badQuote)) break;
    if (fields.size() == 1 && Trimmed(fields[0]).empty()) continue;  // a blank line
    auto field = [&](SettlementColumn c) -> std::string {
      const size_t at = static_cast<size_t>(place[static_cast<int>(c)]);
      return at < fields.size() ? fields[at] : std::string();
    };
    auto problem = [&](SettlementColumn c, const char* what) {
      problems.push_back(path + ":" + std::to_string(line) + ": column \"" +
                         columns.Names[static_cast<int>(c)] + "\": '" + field(c) + "' " + what);
    };
    if (badQuote) {
      problems.push_back(path + ":" + std::to_string(line) + ": quotes out of place");
      continue;
    }
    Row row{};
    int64_t batch = 0;
    int64_t sequence = 0;
    row.Number.Terminal = Text(field(SettlementColumn::Terminal));
    row.Code = Trimmed(Text(field(SettlementColumn::Code)));
    row.Line = line;
    if (row.Number.Terminal.empty()) {
      problem(SettlementColumn::Terminal, "is empty");
    } else if (!ReadWhole(field(SettlementColumn::Batch), batch) || batch > INT32_MAX) {
      problem(SettlementColumn::Batch, "is not a whole number");
    } else if (!ReadWhole(field(SettlementColumn::Sequence), sequence) || sequence > kLastSequenceNumber) {
      problem(SettlementColumn::Sequence, "is not a sequence number");
    } else if (!ReadUnits(field(SettlementColumn::Amount), row.Cents)) {
      problem(SettlementColumn::Amount, "is not an amount in currency units");
    } else if (row.Code.empty()) {
      problem(SettlementColumn::Code, "is empty");
    } else {
      row.Number.Batch = static_cast<int32_t>(batch);
      row.Number.Sequence = static_cast<int32_t>(sequence);
      rows_.push_back(std::move(row));
    }
  }
  const bool failed = std::ferror(file) != 0;
  if (failed) problems.push_back(path + ": " + std::strerror(errno));
  std::fclose(file);
  // Settled rows first among those of one number.
  std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
    if (a.Number < b.Number || b.Number < a.Number) return a.Number < b.Number;
    return IsSettled(a.Code) && !IsSettled(b.Code);
  });
  return !failed;
}

void Settlement::Approved(const TransactionNumber& number, int64_t cents, const StationSide& station,
                          bool report) {
  auto [begin, end] = Rows(number);
  auto row = std::find_if(begin, end, [](const Row& r) { return r.Claimed == Row::Claim::None; });
  if (row == end) {
    if (report) notSettled_.push_back({MatchResult::NotSettled, number, cents, std::nullopt, "", "approved",
                                       station.Time, station.Card, station.At, 0});
    return;
  }
  row->Claimed = Row::Claim::Approved;
  row->StationCents = cents;
  row->Side = station;
  row->HasSide = true;
}

void Settlement::NotApproved(const TransactionNumber& number, const char* recorded, const StationSide& station) {
  auto [begin, end] = Rows(number);
  for (auto row = begin; row != end; ++row) {
    if (row->Claimed != Row::Claim::None || !row->Station.empty()) continue;
    row->Station = recorded;
    row->Side = station;
    row->HasSide = true;
    return;
  }
}

GatewayView Settlement::Ask(const TransactionNumber& number) {
  GatewayView view;
  view.State = Settled::No;
  auto [begin, end] = Rows(number);
  if (begin == end) return view;
  // The settled row when there is one (they come first).
  begin->Claimed = Row::Claim::Doubt;
  view.State = IsSettled(begin->Code) ? Settled::Yes : Settled::OtherCode;
  view.Cents = begin->Cents;
  view.Code = begin->Code;
  view.Row = begin->Line;
  return view;
}

void Settlement::Finish(Findings& findings) {
  findings.Matching = true;
  findings.SettlementRows = static_cast<int64_t>(rows_.size());
  std::vector<MatchItem> items = std::move(notSettled_);
  for (const Row& row : rows_) {
    MatchItem item{MatchResult::Matched, row.Number, std::nullopt, row.Cents, row.Code, "", {}, "", std::nullopt,
                   row.Line};
    if (row.HasSide) {
      item.Time = row.Side.Time;
      item.Card = row.Side.Card;
      item.At = row.Side.At;
    }
    if (row.Claimed == Row::Claim::Doubt) continue;  // listed with the money in doubt
    if (row.Claimed == Row::Claim::Approved) {
      item.StationCents = row.StationCents;
      item.Station = "approved";
      if (!IsSettled(row.Code)) {
        item.Result = MatchResult::NotSettled;
      } else if (row.StationCents != row.Cents) {
        item.Result = MatchResult::AmountsDiffer;
      }
    } else if (IsSettled(row.Code)) {
      item.Result = MatchResult::NotApproved;
      item.Station = row.Station.empty() ? "no record" : row.Station;
    } else {
      ++findings.SettlementOtherCodes;  // not settled, and not approved either: nothing to match
      continue;
    }
    items.push_back(std::move(item));
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const MatchItem& a, const MatchItem& b) { return a.Number < b.Number; });
  findings.Matches = std::move(items);
}
