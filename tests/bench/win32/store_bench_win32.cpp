// What the write-ahead rule adds to a charge between OK and the request leaving: the
// sequence number taken and the "sending" record written, as the plug-in does it now
// (the store replaced whole under its lock and read back, the record flushed, a short
// write taken back) and as it did before (the INI functions' read and write, the record
// appended and flushed). Nothing else on the way to the gateway changed. Prints figures;
// never fails on them.
//   store_bench.exe [ROUNDS]
// Run it from a folder of its own: like the plug-in, it keeps its store and journal
// beside its own module.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gateway/journal.h"
#include "gateway/journal_file.h"
#include "gateway/sequence_store.h"
#include "gateway/write_ahead.h"
#include "host/process_attach_win32.h"

namespace {

constexpr int kDefaultRounds = 200;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  std::printf("  %-34s %4zu  median %8.2f ms  95th percentile %8.2f ms  max %8.2f ms\n", what, n,
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

int Measure(int rounds, const std::string& folder) {
  ModuleInstance = GetModuleHandleA(nullptr);
  TransactionRecord record{};
  std::strcpy(record.TerminalID, "BENCH");
  std::strcpy(record.CardNumber, "6039501234567890");
  record.AmountCents = 150;

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
  Report("now: store replaced, read back, lock", Time(rounds, [&](int) {
    JournalEntry taken{};
    taken.Kept = true;  // the journal on, as a job claims it by default
    if (!TakeNumberAndRecordSending(record, TransactionKind::Charge, taken).MaySend()) ++refused;
  }));
  if (refused != 0) std::printf("  (%d of them refused: the figures do not count)\n", refused);
  return refused == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string folder(self, length);
  return Measure(rounds, folder.substr(0, folder.rfind('\\') + 1));
}
