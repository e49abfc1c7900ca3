// The request and reply work done on the user-interface thread per transaction, and the
// journal month that the first number of a batch after a load reads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "fakes/fake_platform.h"
#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
#include "records/journal_scan.h"
#include "worked_example.h"

namespace {

char FormBody[kFormBodySize];  // where the benchmarks have the request built

TransactionRecord ExampleRecord() {
  fake::ResetPlatformFakes();
  return WorkedExampleRecord();
}

void BuildRequestExample(benchmark::State& state) {
  const TransactionRecord record = ExampleRecord();
  for (auto _ : state) {
    BuildRequest(record, FormBody);
    benchmark::DoNotOptimize(FormBody);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BuildRequestExample);

// The longest texts the record holds, each byte needing an escape.
void BuildRequestWidest(benchmark::State& state) {
  TransactionRecord record = ExampleRecord();
  std::memset(record.MerchantID, '~', 31);
  std::memset(record.TerminalID, '~', 31);
  std::memset(record.CardNumber, '~', 79);
  for (auto _ : state) {
    BuildRequest(record, FormBody);
    benchmark::DoNotOptimize(FormBody);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BuildRequestWidest);

void UrlEncodeExampleMessage(benchmark::State& state) {
  const TransactionRecord record = ExampleRecord();
  char message[kRequestMessageSize];
  FormatRequestMessage(record, message);
  char encoded[kRequestMessageSize * 3 + 1];
  for (auto _ : state) {
    UrlEncodeForm(message, encoded);
    benchmark::DoNotOptimize(encoded);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(UrlEncodeExampleMessage);

void ParseReplyExample(benchmark::State& state) {
  const std::string reply =
      "ABC\x1C" "12\x1CX\x1C" "ABCDEFG00HI\x1CK\x1C\x1CQ\x1CR\x1C" "APPROVED THANK YOU\x1CZ";
  GatewayResponse response;
  for (auto _ : state) {
    ParseGatewayReply(reply.c_str(), response);
    benchmark::DoNotOptimize(response);
  }
}
BENCHMARK(ParseReplyExample);

// A full 1024-byte reply whose ninth field is cut to 255 characters.
void ParseReplyFull(benchmark::State& state) {
  std::string reply = "ABC\x1C" "12\x1CX\x1C" "ABCDEFG00HI\x1CK\x1C\x1CQ\x1CR\x1C";
  reply += std::string(1024 - reply.size(), 'm');
  GatewayResponse response;
  for (auto _ : state) {
    ParseGatewayReply(reply.c_str(), response);
    benchmark::DoNotOptimize(response);
  }
}
BENCHMARK(ParseReplyFull);

// A month of 5,000 charges of another batch, handed over in the 4 KiB pieces of the Win32
// reader: the scan reads every line whatever it finds.
void ScanJournalMonth(benchmark::State& state) {
  std::string month;
  for (int i = 1; i <= 5000; ++i) {
    month += "2026-12-08 10:" + std::to_string(10 + i % 50) + ":00,charge,T0001,2," + std::to_string(i) +
             ",1.50,603950******7890,approved,00,APPROVED,1\r\n";
  }
  for (auto _ : state) {
    JournalSequenceScan scan("T0001", 1);
    for (size_t at = 0; at < month.size(); at += 4096) {
      scan.Feed(month.data() + at, std::min<size_t>(4096, month.size() - at));
    }
    benchmark::DoNotOptimize(scan.Finish());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * month.size()));
}
BENCHMARK(ScanJournalMonth);

}  // namespace
