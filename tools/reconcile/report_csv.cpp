#include "tools/reconcile/report_csv.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/reconcile/doubt_table.h"
#include "tools/reconcile/file_system.h"
#include "tools/reconcile/reconcile.h"

namespace {

// One CSV file, written row by row.
class CsvFile {
 public:
  CsvFile(const std::string& folder, const char* name, std::string& error)
      : path_(JoinPath(folder, name)), error_(error) {
    file_ = std::fopen(path_.c_str(), "wb");
    if (file_ == nullptr) error_ = path_ + ": " + std::strerror(errno);
  }
  ~CsvFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  bool Ok() const { return file_ != nullptr; }
  CsvFile& Text(const std::string& text) {
    char field[2 * kJournalMessageLimit + 4];
    FormatCsvText(text.c_str(), field, sizeof field);
    return Raw(field);
  }
  CsvFile& Raw(const std::string& text) {
    if (!first_) line_ += kJournalSeparator;
    line_ += text;
    first_ = false;
    return *this;
  }
  CsvFile& Number(int64_t value) { return Raw(std::to_string(value)); }
  CsvFile& Amount(int64_t cents) { return Raw(AmountText(cents)); }
  void End() {
    line_ += kJournalLineEnd;
    if (file_ != nullptr) std::fputs(line_.c_str(), file_);
    line_.clear();
    first_ = true;
  }
  // The header row from names.
  void Header(std::initializer_list<const char*> names) {
    for (const char* name : names) Text(name);
    End();
  }
  bool Close() {
    const bool ok = file_ != nullptr && std::fclose(file_) == 0;
    if (!ok && error_.empty()) error_ = path_ + ": " + std::strerror(errno);
    file_ = nullptr;
    return ok;
  }

 private:
  std::string path_;
  std::string& error_;
  std::FILE* file_ = nullptr;
  std::string line_;
  bool first_ = true;
};

bool WriteInDoubt(const Findings& findings, const std::string& folder, std::string& error) {
  CsvFile csv(folder, "in-doubt.csv", error);
  if (!csv.Ok()) return false;
  csv.Header({"Local time", "Kind", "Terminal ID", "Batch", "Sequence", "Amount", "Card", "Doubt", "Message",
              "Gateway", "Action", "File", "Line"});
  for (const DoubtItem& item : findings.Doubts) {
    csv.Raw(TimeText(item.Time))
        .Text(JournalKindName(item.Transaction))
        .Text(item.Number.Terminal)
        .Number(item.Number.Batch)
        .Number(item.Number.Sequence)
        .Amount(item.Cents)
        .Text(item.Card)
        .Text(DoubtTextOf(item.Kind).Name)
        .Text(item.Message)
        .Text(GatewayWords(item.Gateway))
        .Text(DoubtAction(item))
        .Text(FileOf(findings, item.At))
        .Number(item.At.Line)
        .End();
  }
  return csv.Close();
}

bool WriteTotals(const Findings& findings, const std::string& folder, std::string& error) {
  CsvFile csv(folder, "totals.csv", error);
  if (!csv.Ok()) return false;
  csv.Header({"Day", "Terminal ID", "Approved charges", "Charged", "Booked deposits", "Deposited", "Declined",
              "Not sent"});
  for (const auto& [key, totals] : findings.Totals) {
    csv.Raw(DayText(key.first))
        .Text(key.second)
        .Number(totals.ApprovedCharges)
        .Amount(totals.ChargedCents)
        .Number(totals.BookedDeposits)
        .Amount(totals.DepositedCents)
        .Number(totals.Declined)
        .Number(totals.NotSent)
        .End();
  }
  return csv.Close();
}

bool WriteNumbering(const Findings& findings, const std::string& folder, std::string& error) {
  CsvFile csv(folder, "numbering.csv", error);
  if (!csv.Ok()) return false;
  csv.Header({"Finding", "Critical", "Terminal ID", "Batch", "Sequence", "Use", "Local time", "Kind", "Amount",
              "Card", "File", "Line"});
  for (const NumberReused& reused : findings.Reused) {
    for (size_t i = 0; i < reused.Uses.size(); ++i) {
      const NumberUse& use = reused.Uses[i];
      csv.Text("used twice")
          .Text(reused.Critical ? "critical" : "")
          .Text(reused.Number.Terminal)
          .Number(reused.Number.Batch)
          .Number(reused.Number.Sequence)
          .Text(std::to_string(i + 1) + " of " + std::to_string(reused.Uses.size()))
          .Raw(TimeText(use.Time))
          .Text(JournalKindName(use.Transaction))
          .Amount(use.Cents)
          .Text(use.Card)
          .Text(FileOf(findings, use.At))
          .Number(use.At.Line)
          .End();
    }
  }
  for (const NumberBackwards& back : findings.Backwards) {
    csv.Text("backwards")
        .Text("")
        .Text(back.Number.Terminal)
        .Number(back.Number.Batch)
        .Number(back.Number.Sequence)
        .Text("after " + std::to_string(back.After))
        .Raw(TimeText(back.Time))
        .Text("")
        .Text("")
        .Text("")
        .Text(FileOf(findings, back.At))
        .Number(back.At.Line)
        .End();
  }
  for (const NumberRun& run : findings.Runs) {
    if (run.Gaps == 0) continue;
    csv.Text("gaps")
        .Text("")
        .Text(run.Terminal)
        .Number(run.Batch)
        .Text("")
        .Text(Count(static_cast<size_t>(run.Skipped), "number", "numbers") + " unused in " +
              Count(static_cast<size_t>(run.Gaps), "gap", "gaps"))
        .End();
  }
  return csv.Close();
}

bool WriteMatch(const Findings& findings, const std::string& folder, std::string& error) {
  CsvFile csv(folder, "match.csv", error);
  if (!csv.Ok()) return false;
  csv.Header({"Terminal ID", "Batch", "Sequence", "Result", "Station amount", "Gateway amount", "Gateway code",
              "Station record", "Local time", "Card", "File", "Line", "Settlement line"});
  for (const MatchItem& item : findings.Matches) {
    csv.Text(item.Number.Terminal).Number(item.Number.Batch).Number(item.Number.Sequence);
    csv.Text(MatchResultName(item.Result));
    item.StationCents ? csv.Amount(*item.StationCents) : csv.Text("");
    item.GatewayCents ? csv.Amount(*item.GatewayCents) : csv.Text("");
    csv.Text(item.GatewayCode).Text(item.Station);
    if (item.At) {
      csv.Raw(TimeText(item.Time)).Text(item.Card).Text(FileOf(findings, *item.At)).Number(item.At->Line);
    } else {
      csv.Text("").Text("").Text("").Text("");
    }
    item.SettlementRow != 0 ? csv.Number(item.SettlementRow) : csv.Text("");
    csv.End();
  }
  return csv.Close();
}

}  // namespace

std::string TimeText(const LocalDateTime& time) {
  char text[32];
  FormatJournalTime(time, text, sizeof text);
  return text;
}

std::string DayText(int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day / 10000, day / 100 % 100, day % 100);
  return text;
}

std::string AmountText(int64_t cents) {
  char text[24];
  FormatJournalAmount(cents, text, sizeof text);
  return text;
}

const std::string& FileOf(const Findings& findings, const Place& at) { return findings.Files[at.File]; }

const char* MatchResultName(MatchResult result) {
  switch (result) {
    case MatchResult::AmountsDiffer:
      return "amounts differ";
    case MatchResult::NotSettled:
      return "approved, not settled";
    case MatchResult::NotApproved:
      break;
  }
  return "settled, not approved";
}

bool WriteCsvReports(const Findings& findings, const std::string& folder, std::string& error) {
  return WriteInDoubt(findings, folder, error) && WriteTotals(findings, folder, error) &&
         WriteNumbering(findings, folder, error) && (!findings.Matching || WriteMatch(findings, folder, error));
}
