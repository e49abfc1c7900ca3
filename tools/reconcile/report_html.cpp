#include "tools/reconcile/report_html.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "tools/reconcile/doubt_table.h"
#include "tools/reconcile/input_notes.h"
#include "tools/reconcile/report_csv.h"

namespace {

constexpr int kChartWidth = 720;
constexpr int kChartHeight = 160;
constexpr int kChartMargin = 24;   // for the labels below and above the bars
constexpr int kWidestBar = 24;

constexpr const char* kStyle =
    "body{font-family:Arial,Helvetica,sans-serif;font-size:13px;color:#222;margin:24px}"
    "h1{font-size:20px;margin:0 0 4px}h2{font-size:16px;margin:24px 0 6px;border-bottom:1px solid #999}"
    "h3{font-size:14px;margin:14px 0 4px}"
    "p.summary{font-weight:bold}p.doubt{color:#a00000}"
    "table{border-collapse:collapse;margin:4px 0 8px}"
    "th,td{border:1px solid #bbb;padding:2px 5px;text-align:left;vertical-align:top}"
    "th{background:#eee}td.n{text-align:right;white-space:nowrap}td.t{white-space:nowrap}"
    "tr.critical td{background:#fde2e2}section.doubt h2{color:#a00000}"
    "svg text{font-size:10px;fill:#333}svg rect.bar{fill:#3a6ea5}"
    "@media print{body{margin:0;font-size:9pt}h2{break-after:avoid}tr{break-inside:avoid}"
    "th{background:#eee;-webkit-print-color-adjust:exact;print-color-adjust:exact}}";

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// One table, row by row.
class Table {
 public:
  Table(std::string& html, std::initializer_list<const char*> heads) : html_(html) {
    html_ += "<table><tr>";
    for (const char* head : heads) html_ += std::string("<th>") + head + "</th>";
    html_ += "</tr>\n";
  }
  ~Table() { html_ += "</table>\n"; }
  void Row(const char* cls = nullptr) {
    if (open_) html_ += "</tr>\n";
    html_ += cls == nullptr ? "<tr>" : std::string("<tr class=\"") + cls + "\">";
    open_ = true;
  }
  Table& Text(const std::string& text) { return Cell("", Escape(text)); }
  Table& Time(const std::string& text) { return Cell(" class=\"t\"", Escape(text)); }
  Table& Number(int64_t value) { return Cell(" class=\"n\"", std::to_string(value)); }
  Table& Amount(int64_t cents) { return Cell(" class=\"n\"", AmountText(cents)); }
  void End() {
    if (open_) html_ += "</tr>\n";
    open_ = false;
  }

 private:
  Table& Cell(const char* attributes, const std::string& inner) {
    html_ += std::string("<td") + attributes + ">" + inner + "</td>";
    return *this;
  }
  std::string& html_;
  bool open_ = false;
};

std::string Where(const Findings& findings, const Place& at) {
  return FileOf(findings, at) + ":" + std::to_string(at.Line);
}

void MoneyInDoubt(const Findings& findings, std::string& html) {
  html += "<section class=\"doubt\"><h2>Money in doubt</h2>\n";
  if (findings.Doubts.empty()) {
    html += "<p>None: every charge and deposit read has an outcome that says whether money moved.</p>";
  } else {
    int64_t sum = 0;
    for (const DoubtItem& item : findings.Doubts) sum += item.Cents;
    html += "<p class=\"doubt\">" + std::to_string(findings.Doubts.size()) + " transactions, " + AmountText(sum) +
            " in all. Act on each as its line says.</p>\n";
    Table table(html, {"Local time", "Kind", "Terminal ID", "Batch", "Sequence", "Amount", "Card", "Doubt",
                       findings.Matching ? "Gateway" : "Message", "Action", "Line"});
    for (const DoubtItem& item : findings.Doubts) {
      table.Row();
      table.Time(TimeText(item.Time)).Text(JournalKindName(item.Transaction)).Text(item.Number.Terminal);
      table.Number(item.Number.Batch).Number(item.Number.Sequence).Amount(item.Cents).Time(item.Card);
      table.Text(DoubtTextOf(item.Kind).Name);
      table.Text(findings.Matching ? GatewayWords(item.Gateway) : item.Message);
      table.Text(DoubtAction(item)).Text(Where(findings, item.At));
    }
    table.End();
  }
  html += "</section>\n";
}

// Approved charges and booked deposits per day, all terminals, as bars.
void Chart(const Findings& findings, std::string& html) {
  std::map<int, int64_t> perDay;
  for (const auto& [key, totals] : findings.Totals) perDay[key.first] += totals.ChargedCents + totals.DepositedCents;
  if (perDay.empty()) return;
  int64_t highest = 1;
  for (const auto& [day, cents] : perDay) highest = std::max(highest, cents);
  const int count = static_cast<int>(perDay.size());
  const int slot = std::max(1, (kChartWidth - 2 * kChartMargin) / count);
  const int bar = std::max(1, std::min(kWidestBar, slot - 2));
  char text[256];
  std::snprintf(text, sizeof text,
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" role=\"img\">"
                "<title>Approved charges and booked deposits per day</title>\n",
                kChartWidth, kChartHeight + 2 * kChartMargin);
  html += text;
  int x = kChartMargin;
  for (const auto& [day, cents] : perDay) {
    const int height = static_cast<int>(cents * kChartHeight / highest);
    std::snprintf(text, sizeof text,
                  "<rect class=\"bar\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"><title>%s: %s</title></rect>",
                  x, kChartMargin + kChartHeight - height, bar, height, DayText(day).c_str(),
                  AmountText(cents).c_str());
    html += text;
    if (count <= 31 || day % 100 == 1) {
      std::snprintf(text, sizeof text, "<text x=\"%d\" y=\"%d\">%d</text>", x,
                    kChartMargin + kChartHeight + 14, day % 100);
      html += text;
    }
    x += slot;
  }
  std::snprintf(text, sizeof text, "<text x=\"%d\" y=\"14\">highest day %s</text></svg>\n", kChartMargin,
                AmountText(highest).c_str());
  html += text;
}

void Totals(const Findings& findings, std::string& html) {
  html += "<section><h2>Totals per day and terminal</h2>\n";
  if (findings.Totals.empty()) {
    html += "<p>No charge or deposit in the period.</p></section>\n";
    return;
  }
  Chart(findings, html);
  Table table(html, {"Day", "Terminal ID", "Approved charges", "Charged", "Booked deposits", "Deposited",
                     "Declined", "Not sent"});
  DayTotals all;
  for (const auto& [key, totals] : findings.Totals) {
    table.Row();
    table.Time(DayText(key.first)).Text(key.second).Number(totals.ApprovedCharges).Amount(totals.ChargedCents);
    table.Number(totals.BookedDeposits).Amount(totals.DepositedCents).Number(totals.Declined).Number(totals.NotSent);
    all.ApprovedCharges += totals.ApprovedCharges;
    all.ChargedCents += totals.ChargedCents;
    all.BookedDeposits += totals.BookedDeposits;
    all.DepositedCents += totals.DepositedCents;
    all.Declined += totals.Declined;
    all.NotSent += totals.NotSent;
  }
  table.Row();
  table.Text("All").Text("").Number(all.ApprovedCharges).Amount(all.ChargedCents).Number(all.BookedDeposits);
  table.Amount(all.DepositedCents).Number(all.Declined).Number(all.NotSent);
  table.End();
  html += "</section>\n";
}

void Numbering(const Findings& findings, std::string& html) {
  html += "<section><h2>Numbering</h2>\n<h3>Numbers used twice</h3>\n";
  if (findings.Reused.empty()) {
    html += "<p>None.</p>\n";
  } else {
    html += "<p>The card office may have refused or merged the later ones. Critical: the uses differ in amount "
            "or card, so at least one user's money went under another transaction's number.</p>\n";
    Table table(html, {"Terminal ID", "Batch", "Sequence", "Critical", "Local time", "Kind", "Amount", "Card",
                       "Line"});
    for (const NumberReused& reused : findings.Reused) {
      for (const NumberUse& use : reused.Uses) {
        table.Row(reused.Critical ? "critical" : nullptr);
        table.Text(reused.Number.Terminal).Number(reused.Number.Batch).Number(reused.Number.Sequence);
        table.Text(reused.Critical ? "critical" : "").Time(TimeText(use.Time)).Text(JournalKindName(use.Transaction));
        table.Amount(use.Cents).Time(use.Card).Text(Where(findings, use.At));
      }
    }
    table.End();
  }
  html += "<h3>Numbers that went backwards</h3>\n";
  if (findings.Backwards.empty()) {
    html += "<p>None (a batch that starts again at 1 after 999999 is not counted).</p>\n";
  } else {
    Table table(html, {"Terminal ID", "Batch", "Sequence", "After", "Local time", "Line"});
    for (const NumberBackwards& back : findings.Backwards) {
      table.Row();
      table.Text(back.Number.Terminal).Number(back.Number.Batch).Number(back.Number.Sequence).Number(back.After);
      table.Time(TimeText(back.Time)).Text(Where(findings, back.At));
    }
    table.End();
  }
  html += "<h3>Numbers per terminal and batch</h3>\n<p>Gaps are harmless: a number taken but not sent.</p>\n";
  Table table(html, {"Terminal ID", "Batch", "Used", "First", "Last", "Gaps", "Numbers unused", "Wraps"});
  for (const NumberRun& run : findings.Runs) {
    table.Row();
    table.Text(run.Terminal).Number(run.Batch).Number(run.Uses).Number(run.First).Number(run.Last);
    table.Number(run.Gaps).Number(run.Skipped).Number(run.Wraps);
  }
  table.End();
  html += "</section>\n";
}

void Match(const Findings& findings, std::string& html) {
  if (!findings.Matching) return;
  html += "<section><h2>Match with the settlement</h2>\n";
  std::map<MatchResult, int64_t> counts;
  for (const MatchItem& item : findings.Matches) ++counts[item.Result];
  html += "<p>" + Escape(findings.SettlementPath) + ": " + std::to_string(findings.SettlementRows) + " rows; " +
          std::to_string(findings.Matched) + " matched, " +
          std::to_string(counts[MatchResult::NotApproved]) + " settled but not approved at the station (the user " +
          "paid and may have got no prints or deposit), " + std::to_string(counts[MatchResult::NotSettled]) +
          " approved at the station but not settled (money not collected), " +
          std::to_string(counts[MatchResult::AmountsDiffer]) + " with amounts that differ.</p>\n";
  if (!findings.Matches.empty()) {
    Table table(html, {"Terminal ID", "Batch", "Sequence", "Result", "Station amount", "Gateway amount",
                       "Gateway code", "Station record", "Local time", "Card", "Line", "Settlement line"});
    for (const MatchItem& item : findings.Matches) {
      table.Row();
      table.Text(item.Number.Terminal).Number(item.Number.Batch).Number(item.Number.Sequence);
      table.Text(MatchResultName(item.Result));
      item.StationCents ? table.Amount(*item.StationCents) : table.Text("");
      item.GatewayCents ? table.Amount(*item.GatewayCents) : table.Text("");
      table.Text(item.GatewayCode).Text(item.Station);
      table.Time(item.At ? TimeText(item.Time) : "").Time(item.Card).Text(item.At ? Where(findings, *item.At) : "");
      item.SettlementRow != 0 ? table.Number(item.SettlementRow) : table.Text("");
    }
    table.End();
  }
  html += "</section>\n";
}

void Input(const Findings& findings, std::string& html) {
  html += "<section><h2>What was read</h2>\n<p>" + std::to_string(findings.Files.size()) + " files (" +
          std::to_string(findings.CopyFiles) + " read as copies of another, " +
          std::to_string(findings.CopiedLines) + " copied lines taken once), " +
          std::to_string(findings.LinesRead) + " lines, " + std::to_string(findings.Records) + " records, " +
          std::to_string(findings.Tests) + " configuration tests";
  if (findings.LeftOutFiles > 0) {
    html += "; " + std::to_string(findings.LeftOutFiles) + " files of other months left out";
  }
  html += ".</p>\n";
  if (!findings.Notes.empty()) {
    html += "<ul>\n";
    for (const InputNote& note : findings.Notes) {
      html += "<li>" + Escape(NoteText(findings, note)) + "</li>\n";
    }
    html += "</ul>\n";
  }
  if (findings.NotesLeftOut > 0) {
    html += "<p>" + std::to_string(findings.NotesLeftOut) + " more, printed on standard error.</p>\n";
  }
  html += "</section>\n";
}

}  // namespace

std::string HtmlReport(const Findings& findings, const std::string& summary) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"windows-1252\">"
      "<title>Reconciliation of the journals</title><style>";
  html += kStyle;
  html += "</style></head><body>\n<h1>Reconciliation of the journals</h1>\n<p class=\"summary\">" + Escape(summary) +
          "</p>\n";
  MoneyInDoubt(findings, html);
  Totals(findings, html);
  Numbering(findings, html);
  Match(findings, html);
  Input(findings, html);
  html += "</body></html>\n";
  return html;
}
