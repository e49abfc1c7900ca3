// The transport over the real WinINet under Wine: what fails before any server is
// involved, and (with the gateway simulator) the exchange over TLS.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "gateway/transport.h"

namespace {

constexpr const char* kBody = "Transaction=IPS.123456%1C0200%1C";

// Nothing listens on this loopback address: the simulators use 127.0.0.2 and up.
constexpr const char* kNoListenerUrl = "https://127.0.0.50/ipsx/gateway";
constexpr int kCannotConnect = 12029;  // ERROR_INTERNET_CANNOT_CONNECT

class TransportWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { ResetTransportState(); }
  std::string Post(const char* url, const char* body = kBody) {
    std::memset(ReplyBuffer, 'x', sizeof ReplyBuffer);
    PostToGateway(url, body, ReplyBuffer);
    return ReplyBuffer;
  }
};

TEST_F(TransportWin32Test, InvalidUrlFailsAtOnce) {
  const char* urls[] = {"HTTPS://127.0.0.50/ipsx/gateway", "https://127.0.0.50", "https:/", ""};
  for (const char* url : urls) {
    SCOPED_TRACE(url);
    EXPECT_EQ("Error: Invalid URL", Post(url));
  }
}

TEST_F(TransportWin32Test, NoListenerFailsTheSend) {
  const DWORD started = GetTickCount();
  EXPECT_EQ("Error: HTTP Send [" + std::to_string(kCannotConnect) + "]\n", Post(kNoListenerUrl));
  std::printf("no listener: failed after %lu ms\n", GetTickCount() - started);
}

}  // namespace
