// The bare exchange of the completion benchmark: the same POST a charge makes, over
// WinINet through the plug-in's own transport, with no dialog and no worker thread.
// Prints the time of each exchange in microseconds, one "exchange N" line each.
//   exchange_bench.exe URL COUNT
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
#include "gateway/transaction_record.h"
#include "gateway/transport.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: exchange_bench.exe URL COUNT\n");
    return 2;
  }
  const char* url = argv[1];
  const int count = std::atoi(argv[2]);
  TransactionRecord record{};
  std::strcpy(record.MerchantID, "887700123");
  std::strcpy(record.TerminalID, "T0001");
  std::strcpy(record.CardNumber, "6039501234567890=4912101");
  std::strcpy(record.Indicator1, " ");
  std::strcpy(record.Indicator2, "D");
  std::strcpy(record.Indicator3, "H");
  std::strcpy(record.Indicator4, "Y");
  record.TransactionCode = kChargeTransactionCode;
  record.BatchNumber = 9;
  record.TimeZoneCode = 705;
  record.AmountCents = 150;
  record.MerchantCode = 5999;
  record.CurrencyCode = kCurrencyCodeUsd;

  static char body[kFormBodySize];
  static char reply[kReplyCapacity + 1];
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 1; i <= count; ++i) {
    record.SequenceNumber = i;
    BuildRequest(record, body);
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    const TransportResult result = PostToGateway(url, CertificateChecks::Lenient, body, reply);
    QueryPerformanceCounter(&end);
    const long long micros = (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
    std::printf("exchange %lld%s\n", micros, result.Failed() ? " failed" : "");
  }
  return 0;
}
