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

// A file's bytes one at a time, read in large pieces.
class Bytes {
 public:
  explicit Bytes(std::FILE* file) : file_(file), buffer_(1 << 16) {}
  int Get() {
    if (at_ == used_) {
      used_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
      at_ = 0;
      if (used_ == 0) return EOF;
    }
    return static_cast<unsigned char>(buffer_[at_++]);
  }
  // Gives back the byte just taken.
  void Unget() { --at_; }

 private:
  std::FILE* file_;
  std::vector<char> buffer_;
  size_t used_ = 0;
  size_t at_ = 0;
};

// One CSV record (RFC 4180: a quoted field may hold commas, quotes doubled and line
// breaks); false at the end of the file. lines counts the lines the record spans.
bool ReadRecord(Bytes& file, std::vector<std::string>& fields, int64_t& lines, bool& badQuote) {
  fields.assign(1, std::string());
  badQuote = false;
  bool quoted = false;
  bool any = false;
  bool afterQuote = false;
  int c;
  while ((c = file.Get()) != EOF) {
    any = true;
    if (quoted) {
      if (c == kQuote) {
        const int following = file.Get();
        if (following == kQuote) {
          fields.back() += kQuote;
        } else {
          quoted = false;
          afterQuote = true;
          if (following != EOF) file.Unget();
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
  Bytes bytes(file);
  if (!ReadRecord(bytes, fields, lines, badQuote)) {
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
    if (!ReadRecord(bytes, fields, lines, badQuote)) break;
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
    int64_t cents = 0;
    const std::string terminal = Text(field(SettlementColumn::Terminal));
    const std::string code = Trimmed(Text(field(SettlementColumn::Code)));
    row.Line = static_cast<uint32_t>(line);
    if (terminal.empty()) {
      problem(SettlementColumn::Terminal, "is empty");
    } else if (!ReadWhole(field(SettlementColumn::Batch), batch) || batch > INT32_MAX) {
      problem(SettlementColumn::Batch, "is not a whole number");
    } else if (!ReadWhole(field(SettlementColumn::Sequence), sequence) || sequence > kLastSequenceNumber) {
      problem(SettlementColumn::Sequence, "is not a sequence number");
    } else if (!ReadUnits(field(SettlementColumn::Amount), cents) || cents < INT32_MIN || cents > INT32_MAX) {
      problem(SettlementColumn::Amount, "is not an amount in currency units");
    } else if (code.empty()) {
      problem(SettlementColumn::Code, "is empty");
    } else {
      row.Key = {terminals_.Intern(terminal), static_cast<int32_t>(batch), static_cast<int32_t>(sequence)};
      std::snprintf(row.Code, sizeof row.Code, "%s", code.c_str());
      row.Settled = IsSettled(code);
      row.Cents = static_cast<int32_t>(cents);
      rows_.push_back(row);
    }
  }
  const bool failed = std::ferror(file) != 0;
  if (failed) problems.push_back(path + ": " + std::strerror(errno));
  std::fclose(file);
  // Settled rows first among those of one number.
  std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
    if (!(a.Key == b.Key)) return a.Key < b.Key;
    return a.Settled && !b.Settled;
  });
  return !failed;
}

void Settlement::Reset() {
  for (Row& row : rows_) row.Claimed = Claim::None;
  explained_.clear();
  differences_.clear();
  matched_ = 0;
}

std::pair<std::vector<Settlement::Row>::iterator, std::vector<Settlement::Row>::iterator> Settlement::Rows(
    const NumberKey& key) {
  return std::equal_range(rows_.begin(), rows_.end(), key, ByKey());
}

TransactionNumber Settlement::NumberOf(const NumberKey& key) const {
  return {terminals_.Name(key.Terminal), key.Batch, key.Sequence};
}

MatchItem Settlement::Item(MatchResult result, const Row* row, const NumberKey& key) const {
  MatchItem item{result, NumberOf(key), std::nullopt, std::nullopt, "", "", {}, "", std::nullopt, 0};
  if (row != nullptr) {
    item.GatewayCents = row->Cents;
    item.GatewayCode = row->Code;
    item.SettlementRow = row->Line;
  }
  return item;
}

void Settlement::Approved(const NumberKey& key, int64_t cents, const StationSide& station, bool report) {
  auto [begin, end] = Rows(key);
  const auto row = std::find_if(begin, end, [](const Row& r) { return r.Claimed == Claim::None; });
  if (row != end) row->Claimed = Claim::Approved;
  const Row* found = row != end ? &*row : nullptr;
  if (found != nullptr && found->Settled && found->Cents == cents) {
    ++matched_;
    return;
  }
  if (found == nullptr && !report) return;
  MatchItem item = Item(found == nullptr || !found->Settled ? MatchResult::NotSettled : MatchResult::AmountsDiffer,
                        found, key);
  item.StationCents = cents;
  item.Station = "approved";
  item.Time = station.Time;
  item.Card = station.Card;
  item.At = station.At;
  differences_.push_back(std::move(item));
}

void Settlement::NotApproved(const NumberKey& key, const char* recorded, const StationSide& station) {
  auto [begin, end] = Rows(key);
  for (auto row = begin; row != end; ++row) {
    const size_t index = static_cast<size_t>(row - rows_.begin());
    if (row->Claimed != Claim::None || !row->Settled || explained_.count(index) != 0) continue;
    explained_[index] = {recorded, station};
    return;
  }
}

GatewayView Settlement::Ask(const NumberKey& key) {
  GatewayView view;
  view.State = Settled::No;
  auto [begin, end] = Rows(key);
  if (begin == end) return view;
  // The settled row when there is one (they come first).
  begin->Claimed = Claim::Doubt;
  view.State = begin->Settled ? Settled::Yes : Settled::OtherCode;
  view.Cents = begin->Cents;
  view.Code = begin->Code;
  view.Row = begin->Line;
  return view;
}

void Settlement::Finish(Findings& findings) {
  findings.Matching = true;
  findings.SettlementRows = static_cast<int64_t>(rows_.size());
  findings.Matched = matched_;
  std::vector<MatchItem> items = std::move(differences_);
  differences_.clear();
  for (size_t index = 0; index < rows_.size(); ++index) {
    const Row& row = rows_[index];
    if (row.Claimed != Claim::None) continue;
    if (!row.Settled) {
      ++findings.SettlementOtherCodes;  // not settled, and not approved either: nothing to match
      continue;
    }
    MatchItem item = Item(MatchResult::NotApproved, &row, row.Key);
    item.Station = "no record";
    const auto explained = explained_.find(index);
    if (explained != explained_.end()) {
      item.Station = explained->second.first;
      item.Time = explained->second.second.Time;
      item.Card = explained->second.second.Card;
      item.At = explained->second.second.At;
    }
    items.push_back(std::move(item));
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const MatchItem& a, const MatchItem& b) { return a.Number < b.Number; });
  findings.Matches = std::move(items);
}
