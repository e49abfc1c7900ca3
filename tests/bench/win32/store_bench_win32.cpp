// What the write-ahead rule adds to a charge between OK and the request leaving: the
// sequence number taken and the "sending" record written, as the plug-in does it now
// (the store replaced whole under its lock and read back, the record flushed, a short
// write taken back) and as it did before (the INI functions' read and write, the record
// appended and flushed). Nothing else on the way to the gateway changed. Then the same
// on a station whose journal holds 12 months of 5,000 lines each: the first charge after
// a load reads the journal, for a batch in this month's file and for one last seen 12
// months ago (every file read), and the charges after it do not. Prints figures; never
// fails on them.
//   store_bench.exe [ROUNDS [LOADS]]
// Run it from a folder of its own: like the plug-in, it keeps its store and journal
// beside its own module.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gateway/exchange_journal.h"
#include "gateway/write_ahead.h"
#include "host/process_attach_win32.h"
#include "records/journal.h"
#include "records/journal_file.h"
#include "records/sequence_store.h"
#include "settings/module_state.h"
#include "settings/settings.h"

namespace {

constexpr int kDefaultRounds = 200;
constexpr int kDefaultLoads = 20;
constexpr int kJournalMonths = 12;
constexpr int kLinesPerMonth = 5000;
constexpr int32_t kBenchBatch = 1;
// Batches seen only in the oldest month, one for each load measured.
constexpr int32_t kOldBatches = 1000;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  std::printf("  %-38s %4zu  median %8.2f ms  95th percentile %8.2f ms  max %8.2f ms\n", what, n,
              times[n / 2], times[(n * 95) / 100], times[n - 1]);
}

template <typename Step>
std::vector<double> Time(int rounds, Step step) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    step(i);
    QueryPerformanceCounter(&to);
    times.push_back(Milliseconds(from, to));
  }
  return times;
}

void Add(std::vector<double>& to, const std::vector<double>& times) { to.insert(to.end(), times.begin(), times.end()); }

// A plug-in as just loaded, with the journal on.
void Load() {
  ResetModuleState();
  ModuleInstance = GetModuleHandleA(nullptr);
  CurrentSettings.Journal = true;
}

TransactionRecord BenchRecord(int32_t batch) {
  TransactionRecord record{};
  std::strcpy(record.TerminalID, "BENCH");
  std::strcpy(record.CardNumber, "6039501234567890");
  record.AmountCents = 150;
  record.BatchNumber = batch;
  return record;
}

// Takes a number and writes its "sending" line; counts the refusals.
void Charge(TransactionRecord& record, int* refused) {
  JournalEntry taken{};
  taken.Kept = true;  // the journal on, as a job claims it then
  if (!TakeNumberAndRecordSending(record, TransactionKind::Charge, taken).MaySend()) ++*refused;
}

// kJournalMonths files of kLinesPerMonth charges each, ending with this month's (which
// keeps what it held): of kBenchBatch and other batches, and in the oldest month one of
// each batch kOldBatches + load.
void WriteJournals(const std::string& folder, int loads) {
  const LocalDateTime now = CurrentLocalTime();
  for (int back = kJournalMonths - 1; back >= 0; --back) {
    const int key = now.year * 12 + now.month - 1 - back;
    const LocalDateTime month{key / 12, key % 12 + 1, 1, 0, 0, 0};
    char name[kJournalFileNameSize];
    JournalFileName(month, name, sizeof name);
    std::string text = back == 0 ? "" : kJournalHeader;
    for (int i = 0; i < kLinesPerMonth; ++i) {
      const bool old = back == kJournalMonths - 1 && i < loads;
      char line[kJournalRecordSize];
      std::snprintf(line, sizeof line, "%04d-%02d-%02d 10:%02d:00,charge,BENCH,%d,%d,1.50,603950******7890,"
                    "approved,00,APPROVED,1\r\n", month.year, month.month, 1 + i % 28, i % 60,
                    old ? kOldBatches + i : (i % 3 == 0 ? kBenchBatch : 2 + i % 7), back * kLinesPerMonth + i + 1);
      text += line;
    }
    HANDLE file = CreateFileA((folder + name).c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }
}

int Measure(int rounds, int loads, const std::string& folder) {
  Load();
  TransactionRecord record = BenchRecord(kBenchBatch);

  const std::string oldStore = folder + "OldBatchSeq.INI";
  const std::string oldJournal = folder + "OldJournal.csv";
  char line[kJournalRecordSize];
  JournalEntry entry{};
  BeginJournalEntry(entry, record, TransactionKind::Charge);
  FormatJournalRecord(entry, JournalRecord{JournalEvent::Sending, "", "", std::nullopt},
                      LocalDateTime{2026, 12, 8, 12, 0, 0}, line);

  std::printf("number taken and \"sending\" written, per charge\n");
  Report("before: INI functions, flushed line", Time(rounds, [&](int) {
    const UINT last = GetPrivateProfileIntA("Batch000001", "SeqNumber", 0, oldStore.c_str());
    char text[16];
    std::snprintf(text, sizeof text, "%u", last + 1);
    WritePrivateProfileStringA("Batch000001", "SeqNumber", text, oldStore.c_str());
    AppendJournalRecord(oldJournal.c_str(), kJournalHeader, line);
  }));
  int refused = 0;
  Report("now: store replaced, read back, lock", Time(rounds, [&](int) { Charge(record, &refused); }));

  WriteJournals(folder, loads);
  std::printf("the same with %d months of journal, %d lines each\n", kJournalMonths, kLinesPerMonth);
  std::vector<double> thisMonth;
  std::vector<double> yearAgo;
  std::vector<double> others;
  for (int load = 0; load < loads; ++load) {
    Load();
    TransactionRecord old = BenchRecord(kOldBatches + load);
    Add(thisMonth, Time(1, [&](int) { Charge(record, &refused); }));
    Add(yearAgo, Time(1, [&](int) { Charge(old, &refused); }));
    Add(others, Time(rounds / loads, [&](int) { Charge(old, &refused); }));
  }
  Report("first after a load, batch this month", thisMonth);
  Report("first after a load, batch a year ago", yearAgo);
  Report("the charges after the first", others);
  if (refused != 0) std::printf("  (%d of them refused: the figures do not count)\n", refused);
  return refused == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string folder(self, length);
  const int loads = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultLoads;
  return Measure(rounds, std::min(loads, rounds), folder.substr(0, folder.rfind('\\') + 1));
}
