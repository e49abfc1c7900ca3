// Figures, not checks of speed: how long PostToGateway blocks against gateways that
// stall, drop the connection or answer late, and how many requests they received.
// Disabled by default (it runs for over a minute); run under run_with_gateways.sh with
//   --gtest_also_run_disabled_tests --gtest_filter=TransportTimingWin32.*
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gateway/transport.h"
#include "win32_test_support.h"

namespace {

char ReplyBuffer[kReplyCapacity + 1];  // what the exchanges under test leave

constexpr const char* kBody = "Transaction=IPS.123456%1C0200%1C";

std::string JournalOf(const std::string& address) {
  std::string dir = std::string("Z:") + std::getenv("GATEWAYS_DIR") + "/" + address + ".journal";
  for (char& c : dir) {
    if (c == '/') c = '\\';
  }
  return dir;
}

size_t RequestsReceived(const std::string& address) {
  const std::string journal = testenv::ReadTextFile(JournalOf(address));
  size_t lines = 0;
  for (char c : journal) lines += c == '\n' ? 1 : 0;
  return lines;
}

TEST(TransportTimingWin32, DISABLED_HowLongAnExchangeBlocks) {
  ASSERT_NE(nullptr, std::getenv("GATEWAYS_DIR")) << "run under tests/win32/run_with_gateways.sh";
  struct Row {
    const char* what;
    const char* address;
    bool succeeds;  // else the reply is an error text
  };
  const Row rows[] = {
      {"normal answer", "127.0.0.2", true},
      {"accepts, never answers", "127.0.0.9", false},
      {"resets after reading the request", "127.0.0.10", false},
      {"answers after 10 s", "127.0.0.11", true},
      {"nothing listens", "127.0.0.50", false},
  };
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string url = std::string("https://") + row.address + "/ipsx/gateway";
    const size_t before = RequestsReceived(row.address);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    PostToGateway(url.c_str(), CertificateChecks::Lenient, kBody, ReplyBuffer);
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    const size_t requests = RequestsReceived(row.address) - before;
    const std::string reply = ReplyBuffer;
    std::printf("figure: %-34s %9.0f ms  requests received %zu  reply \"%s\"\n", row.what, ms, requests,
                reply.substr(0, reply.find_first_of("\n\x1C")).c_str());
    EXPECT_EQ(row.succeeds, reply.rfind("Error:", 0) != 0) << reply;
  }
}

}  // namespace
