// The transport over the real WinINet under Wine, against the gateway stand-ins over
// TLS. The stand-ins are Linux programs started around this test program by
// tests/win32/run_with_gateways.sh (its header lists who answers on which address);
// they are found through GATEWAYS_DIR, and their journals are read through Z:.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gateway/exchange_job.h"
#include "gateway/request_message.h"
#include "gateway/transport.h"
#include "settings/module_state.h"
#include "settings/settings.h"
#include "win32_test_support.h"

using testenv::GatewaysDir;
using testenv::JournalLines;
using testenv::JournalValue;

namespace {

char ReplyBuffer[kReplyCapacity + 1];  // what the exchanges under test leave

constexpr const char* kBody = "Transaction=IPS.123456%1C0200%1C";
constexpr const char* kGatewayPath = "/ipsx/gateway";
constexpr char kFieldSeparator = '\x1C';

// Who answers where: see run_with_gateways.sh.
constexpr const char* kNormal = "127.0.0.2";
constexpr const char* kNormalOnOtherPort = "127.0.0.2-8443";  // journal name, port 8443
constexpr const char* kStatus404 = "127.0.0.3";
constexpr const char* kStatus500 = "127.0.0.4";
constexpr const char* kEmpty = "127.0.0.5";
constexpr const char* kOversize = "127.0.0.6";
constexpr const char* kGarbage = "127.0.0.7";
constexpr const char* kRogueCertificate = "127.0.0.8";
constexpr const char* kLateAnswer = "127.0.0.11";  // after 10 s
constexpr const char* kCapture = "127.0.0.12";
constexpr const char* kRedirect = "127.0.0.14";  // 307 to kGatewayPath + "/moved"
constexpr const char* kNoListener = "127.0.0.50";

// WinINet's numbers for the failures the stand-ins provoke.
constexpr int kCannotConnect = 12029;     // ERROR_INTERNET_CANNOT_CONNECT
constexpr int kInvalidCa = 12045;         // ERROR_INTERNET_INVALID_CA
constexpr int kNameNotResolved = 12007;   // ERROR_INTERNET_NAME_NOT_RESOLVED

std::string UrlOf(const std::string& address) { return "https://" + address + kGatewayPath; }

std::string SendError(int number) { return testenv::FailureText(TransportStep::Send, number); }

class TransportWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { ResetModuleState(); }
  std::string Post(const std::string& url, const char* body = kBody) {
    std::memset(ReplyBuffer, 'x', sizeof ReplyBuffer);
    PostToGateway(url.c_str(), CertificateChecks::Lenient, body, ReplyBuffer);
    return ReplyBuffer;
  }
};

class GatewayExchangeWin32Test : public TransportWin32Test {
 protected:
  void SetUp() override {
    TransportWin32Test::SetUp();
    ASSERT_NE("", GatewaysDir()) << "GATEWAYS_DIR is not set: run under tests/win32/run_with_gateways.sh";
  }
};

TEST_F(TransportWin32Test, InvalidUrlFailsAtOnce) {
  const char* urls[] = {"HTTPS://127.0.0.50/ipsx/gateway", "https://127.0.0.50", "https:/", ""};
  for (const char* url : urls) {
    SCOPED_TRACE(url);
    EXPECT_EQ(testenv::FailureText(TransportStep::SplitUrl, 0), Post(url));
  }
}

TEST_F(TransportWin32Test, NoListenerFailsTheSend) {
  EXPECT_EQ(SendError(kCannotConnect), Post(UrlOf(kNoListener)));
}

TEST_F(GatewayExchangeWin32Test, RequestArrivesWithExactlyTheRequiredBytes) {
  const std::string body = std::string(kBody) + "%2A%7E";
  ASSERT_EQ("captured", Post(UrlOf(kCapture), body.c_str()));

  // The newest capture is ours: the listener numbers them from 1.
  std::string request;
  for (int n = 1;; ++n) {
    const std::string next = testenv::ReadTextFile(GatewaysDir() + "capture\\request-" + std::to_string(n) + ".bin");
    if (next.empty()) break;
    request = next;
  }
  const size_t headEnd = request.find("\r\n\r\n");
  ASSERT_NE(std::string::npos, headEnd) << "no complete request captured:\n" << request;
  const std::string head = request.substr(0, headEnd + 2);
  std::printf("request head as WinINet sent it:\n%s", head.c_str());

  EXPECT_EQ(0u, head.find("POST /ipsx/gateway HTTP/1.1\r\n")) << head;
  const char* requiredLines[] = {
      "\r\nContent-Type: application/x-www-form-urlencoded\r\n",
      "\r\nUser-Agent: Microsoft Internet Explorer\r\n",
      "\r\nHost: 127.0.0.12\r\n",
  };
  for (const char* line : requiredLines) {
    EXPECT_NE(std::string::npos, head.find(line)) << "missing " << line << " in\n" << head;
  }
  EXPECT_NE(std::string::npos, head.find("\r\nContent-Length: " + std::to_string(body.size()) + "\r\n")) << head;
  EXPECT_EQ(head.find("Content-Type"), head.rfind("Content-Type")) << "Content-Type sent twice:\n" << head;
  EXPECT_EQ(body, request.substr(headEnd + 4));
}

TEST_F(GatewayExchangeWin32Test, EachKindOfAnswerLeavesItsReplyAfterOneRequest) {
  enum class Expect {
    Exactly,      // the reply is expected, byte for byte
    FirstRead,    // 1024 bytes of a longer body, no error text
    GatewayText,  // some text of the gateway's, fields separated by FS or not
  };
  struct Row {
    const char* address;
    Expect kind;
    std::string expected;  // Exactly: the reply; GatewayText: "FS" when separated
    size_t requests;       // requests the stand-in journals: one attempt, no retry
  };
  const Row rows[] = {
      {kStatus404, Expect::Exactly, testenv::FailureText(TransportStep::CheckStatus, 404), 1},
      {kStatus500, Expect::Exactly, testenv::FailureText(TransportStep::CheckStatus, 500), 1},
      {kEmpty, Expect::Exactly, "", 1},
      {kOversize, Expect::FirstRead, "", 1},
      {kGarbage, Expect::GatewayText, "", 1},
      {kNormal, Expect::GatewayText, "FS", 1},
      {kRogueCertificate, Expect::Exactly, SendError(kInvalidCa), 0},
      // Not followed: the request reaches the gateway once, never at the Location.
      {kRedirect, Expect::Exactly, testenv::FailureText(TransportStep::CheckStatus, 307), 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.address);
    const size_t before = JournalLines(row.address).size();
    const std::string reply = Post(UrlOf(row.address));
    const std::vector<std::string> journal = JournalLines(row.address);
    ASSERT_EQ(before + row.requests, journal.size());
    for (size_t line = before; line < journal.size(); ++line) {
      EXPECT_EQ("POST", JournalValue(journal[line], "method"));
      EXPECT_EQ(kGatewayPath, JournalValue(journal[line], "path"));
    }
    switch (row.kind) {
      case Expect::Exactly:
        EXPECT_EQ(row.expected, reply);
        break;
      case Expect::FirstRead:
        EXPECT_EQ(kReplyCapacity, reply.size());
        EXPECT_NE(0u, reply.find("Error:")) << reply;
        break;
      case Expect::GatewayText:
        EXPECT_FALSE(reply.empty());
        EXPECT_NE(0u, reply.find("Error:")) << reply;
        EXPECT_EQ(row.expected == "FS", reply.find(kFieldSeparator) != std::string::npos) << reply;
        break;
    }
  }
}

TEST_F(GatewayExchangeWin32Test, APortInTheUrlIsConnectedTo) {
  // Only the simulator on port 8443 hears the request; the one on 443 does not.
  const size_t before = JournalLines(kNormal).size();
  const size_t beforeOnPort = JournalLines(kNormalOnOtherPort).size();
  const std::string reply = Post("https://127.0.0.2:8443/ipsx/gateway");
  EXPECT_EQ(std::string::npos, reply.find("Error:")) << reply;
  EXPECT_EQ(before, JournalLines(kNormal).size());
  EXPECT_EQ(beforeOnPort + 1, JournalLines(kNormalOnOtherPort).size());
}

TEST_F(GatewayExchangeWin32Test, WorkerGoesBusyThenFinishedWhateverTheOutcome) {
  struct Row {
    std::string url;
    bool mustBeSeenBusy;  // long enough an exchange for a 1 ms poll to catch the busy state
    std::string reply;    // "FS" for a gateway reply with separators
  };
  const Row rows[] = {
      {UrlOf(kLateAnswer), true, "FS"},
      {UrlOf(kNoListener), false, SendError(kCannotConnect)},
      {"HTTPS://127.0.0.2/ipsx/gateway", false, testenv::FailureText(TransportStep::SplitUrl, 0)},
  };
  constexpr DWORD kPollDeadlineMs = 60000;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    ResetModuleState();
    std::strcpy(CurrentSettings.URL, row.url.c_str());
    ExchangeJob* job = ClaimExchangeJob();
    ASSERT_NE(nullptr, job);
    std::strcpy(job->Body, kBody);

    // The watch's notice, on the worker's thread, sets the event; the reply must be
    // complete by then.
    HANDLE told = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WatchExchangeJob(*job, [](uintptr_t event, ExchangeJob*) { SetEvent(reinterpret_cast<HANDLE>(event)); },
                     reinterpret_cast<uintptr_t>(told));
    std::vector<int32_t> seen = {job->Status.load(std::memory_order_acquire)};
    ASSERT_TRUE(StartExchangeJob(*job));
    const DWORD started = GetTickCount();
    while (seen.back() != kJobFinished && GetTickCount() - started < kPollDeadlineMs) {
      Sleep(1);
      const int32_t now = job->Status.load(std::memory_order_acquire);
      if (now != seen.back()) seen.push_back(now);
    }
    const std::vector<int32_t> full = {kJobIdle, kJobBusy, kJobFinished};
    const std::vector<int32_t> quick = {kJobIdle, kJobFinished};
    EXPECT_TRUE(seen == full || (!row.mustBeSeenBusy && seen == quick))
        << "status went " << ::testing::PrintToString(seen);
    ASSERT_EQ(kJobFinished, seen.back());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(told, 5000)) << "the watch was told";
    CloseHandle(told);
    EXPECT_TRUE(LeaveExchangeJob(*job));

    const std::string reply = job->Reply;
    if (row.reply == "FS") {
      EXPECT_NE(std::string::npos, reply.find(kFieldSeparator)) << reply;
    } else {
      EXPECT_EQ(row.reply, reply);
    }
    ReleaseExchangeJob(*job);
  }
}

}  // namespace
