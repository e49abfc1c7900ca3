#include "tools/reconcile/reconcile.h"

#include <chrono>
#include <memory>

#include "tools/reconcile/file_system.h"
#include "tools/reconcile/input_notes.h"
#include "tools/reconcile/ledger.h"
#include "tools/reconcile/report_csv.h"
#include "tools/reconcile/report_html.h"

namespace {

constexpr const char* kReportName = "report.html";
constexpr auto kProgressEvery = std::chrono::seconds(1);

// Progress on standard error once the work has taken more than a second.
class Progress {
 public:
  Progress(std::FILE* err, uint64_t total, const char* what) : err_(err), total_(total), what_(what) {}
  void Add(uint64_t bytes) {
    done_ += bytes;
    if (++calls_ % 4096 != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kProgressEvery) return;
    last_ = now;
    std::fprintf(err_, "CSReconcile: %s: %llu of %llu MB (%d%%)\n", what_, ToMegabytes(done_),
                 ToMegabytes(total_), total_ == 0 ? 100 : static_cast<int>(done_ * 100 / total_));
    std::fflush(err_);
  }

 private:
  static unsigned long long ToMegabytes(uint64_t bytes) { return bytes / 1000000; }
  std::FILE* err_;
  uint64_t total_;
  const char* what_;
  uint64_t done_ = 0;
  uint64_t calls_ = 0;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

}  // namespace

std::string Count(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

int Verdict(const Findings& findings, size_t settlementProblems, std::string& summary) {
  int64_t doubtCents = 0;
  for (const DoubtItem& item : findings.Doubts) doubtCents += item.Cents;
  size_t critical = 0;
  for (const NumberReused& reused : findings.Reused) critical += reused.Critical ? 1 : 0;
  const size_t differences = findings.Matches.size();
  const size_t items = findings.Doubts.size() + findings.Reused.size() + findings.Backwards.size() + differences;

  std::string what = Count(findings.Doubts.size(), "transaction", "transactions") + " with money in doubt (" +
                     AmountText(doubtCents) + "), " + Count(findings.Reused.size(), "number", "numbers") +
                     " used twice (" + std::to_string(critical) + " critical), " +
                     Count(findings.Backwards.size(), "number", "numbers") + " backwards";
  if (findings.Matching) what += ", " + Count(differences, "difference", "differences") + " from the settlement";
  const int64_t unread = findings.UnreadLines + findings.UnreadFiles + static_cast<int64_t>(settlementProblems);
  int code = kNothingInDoubt;
  if (unread > 0) {
    code = kInputNotRead;
    std::string parts;
    auto part = [&parts](int64_t count, const char* one, const char* many) {
      if (count == 0) return;
      parts += (parts.empty() ? "" : ", ") + Count(static_cast<size_t>(count), one, many);
    };
    part(findings.UnreadFiles, "journal file", "journal files");
    part(findings.UnreadLines, "journal line", "journal lines");
    part(static_cast<int64_t>(settlementProblems), "problem with the settlement", "problems with the settlement");
    summary = "input it could not read: " + parts + " (on standard error); of what was read: " + what;
  } else if (items > 0) {
    code = kItemsInDoubt;
    summary = "items in doubt: " + what;
  } else {
    summary = "nothing in doubt: " + Count(findings.Records, "record", "records") + " in " +
              Count(findings.Files.size(), "file", "files");
  }
  return code;
}

int Reconcile(const Options& options, std::FILE* out, std::FILE* err) {
  auto printNote = [&](const Findings& findings) {
    return [&findings, err](const InputNote& note) {
      std::fprintf(err, "%s\n", NoteText(findings, note).c_str());
    };
  };
  std::vector<FoundFile> files;
  std::vector<std::string> unreadable;  // journals given that could not be searched
  for (const std::string& journals : options.Journals) {
    std::string error;
    if (!FindJournalFiles(journals, files, error)) unreadable.push_back(journals + ": could not be read: " + error);
  }
  if (files.empty() && unreadable.empty()) unreadable.push_back("no CSJournal-*.csv file in what was given");

  TerminalNames terminals;
  std::unique_ptr<Settlement> settlement;
  std::vector<std::string> settlementProblems;
  if (!options.Gateway.empty()) {
    settlement = std::make_unique<Settlement>(terminals);
    if (!settlement->Load(options.Gateway, options.Columns, settlementProblems) && settlementProblems.empty()) {
      settlementProblems.push_back(options.Gateway + ": could not be read");
    }
  }
  for (const std::string& problem : unreadable) std::fprintf(err, "CSReconcile: %s\n", problem.c_str());
  for (const std::string& problem : settlementProblems) std::fprintf(err, "CSReconcile: %s\n", problem.c_str());

  uint64_t total = 0;
  for (const FoundFile& file : files) total += file.Size;
  // A run over the journals; watched: the numbers whose uses to name.
  auto run = [&](Findings& findings, std::set<UseKey> watched, bool printNotes, const char* what) {
    for (const FoundFile& file : files) findings.Files.push_back(file.Path);
    findings.UnreadFiles = static_cast<int>(unreadable.size());
    if (settlement) {
      settlement->Reset();
      findings.SettlementPath = options.Gateway;
    }
    if (options.Month != 0) findings.Month = options.Month;
    Ledger ledger(findings, terminals, settlement.get(), options.Month, std::move(watched),
                  printNotes ? std::function<void(const InputNote&)>(printNote(findings)) : nullptr);
    Progress progress(err, total, what);
    const StreamCounts counts =
        StreamJournals(files, options.Month, ledger, [&progress](uint64_t bytes) { progress.Add(bytes); });
    findings.LinesRead = counts.Lines;
    findings.CopiedLines = counts.CopiedLines;
    findings.CopyFiles = counts.CopyFiles;
    findings.LeftOutFiles = counts.LeftOutFiles;
    ledger.Finish();
    return ledger.Reused();
  };
  auto findings = std::make_unique<Findings>();
  const std::set<UseKey> reused = run(*findings, {}, true, "reading");
  if (!reused.empty()) {
    findings = std::make_unique<Findings>();
    run(*findings, reused, false, "reading again for the numbers used twice");
  }

  std::string summary;
  int code = Verdict(*findings, settlementProblems.size(), summary);
  std::string error;
  const std::string report = JoinPath(options.Out, kReportName);
  bool written = MakeFolder(options.Out, error) && WriteCsvReports(*findings, options.Out, error);
  if (written) {
    std::FILE* html = std::fopen(report.c_str(), "wb");
    const std::string page = HtmlReport(*findings, summary);
    written = html != nullptr && std::fwrite(page.data(), 1, page.size(), html) == page.size();
    if (html == nullptr || std::fclose(html) != 0) written = false;
    if (!written) error = report + ": could not be written";
  }
  std::fprintf(out, "CSReconcile: %s\n", summary.c_str());
  if (!written) {
    std::fprintf(err, "CSReconcile: the report could not be written: %s\n", error.c_str());
    return kInputNotRead;
  }
  std::fprintf(out, "CSReconcile: report in %s\n", report.c_str());
  return code;
}
