// The request and reply work done on the user-interface thread per transaction.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "fakes/fake_platform.h"
#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
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

}  // namespace
