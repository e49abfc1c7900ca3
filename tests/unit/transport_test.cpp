#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_https.h"
#include "gateway/request_message.h"
#include "gateway/transport.h"
#include "gateway/transport_errors.h"
#include "gateway/exchange_job.h"
#include "settings/module_state.h"
#include "settings/settings.h"

namespace {

using Calls = std::vector<std::string>;

constexpr const char* kUrl = "https://gateway.test/ipsx/gateway";
char ReplyBuffer[kReplyCapacity + 1];
constexpr const char* kBody = "Transaction=IPS.123456%1C0200%1C";
const std::string kLimits = " 15000 30000 30000";

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetHttps();
    ResetModuleState();
  }
  // Leaves junk in the reply first, so that every byte the transport does not write shows.
  TransportResult Post(const char* url = kUrl, const char* body = kBody) {
    std::memset(ReplyBuffer, 'x', sizeof ReplyBuffer);
    return PostToGateway(url, CertificateChecks::Lenient, body, ReplyBuffer);
  }
  // The calls that followed the first call beginning with prefix.
  static Calls CallsAfter(const std::string& prefix) {
    for (size_t i = 0; i < fake::httpsCalls.size(); ++i) {
      if (fake::httpsCalls[i].rfind(prefix, 0) == 0) return Calls(fake::httpsCalls.begin() + i + 1, fake::httpsCalls.end());
    }
    ADD_FAILURE() << "no call beginning with " << prefix;
    return {};
  }
};

TEST_F(TransportTest, SplitsTheUrlIntoHostAndObjectName) {
  const std::string longHost(200, 'h');
  const std::string longPath(45, 'p');
  const std::string longUrl = "https://" + longHost + "/" + longPath;
  ASSERT_EQ(254u, longUrl.size());
  struct Row {
    std::string url;
    bool valid;
    std::string host;
    std::string object;
  };
  const Row rows[] = {
      {kUrl, true, "gateway.test", "ipsx/gateway"},
      {"HTTPS://gateway.test/ipsx/gateway", false, "", ""},
      {"Https://gateway.test/ipsx/gateway", false, "", ""},
      {"http://gateway.test/ipsx/gateway", false, "", ""},
      {"https:/", false, "", ""},
      {"", false, "", ""},
      {"https://", false, "", ""},
      {"https://gateway.test", false, "", ""},
      {"https://gateway.test/", true, "gateway.test", ""},
      {"https:///ipsx", false, "", ""},
      {"https://gateway.test:8443/ipsx/gateway", true, "gateway.test:8443", "ipsx/gateway"},
      {"https://gateway.test:1/x", true, "gateway.test:1", "x"},
      {"https://gateway.test:65535/x", true, "gateway.test:65535", "x"},
      {"https://gateway.test:443/x", true, "gateway.test", "x"},
      {"https://[::1]:8443/x", true, "[::1]:8443", "x"},
      {"https://gateway.test:0/x", false, "", ""},
      {"https://gateway.test:65536/x", false, "", ""},
      {"https://gateway.test:/x", false, "", ""},
      {"https://gateway.test:84a3/x", false, "", ""},
      {"https://:8443/x", false, "", ""},
      {"https://127.0.0.2/a/b?c=d/e", true, "127.0.0.2", "a/b?c=d/e"},
      {longUrl, true, longHost, longPath},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("url \"" + row.url + "\"");
    char host[kGatewayNameSize];
    char object[kGatewayNameSize];
    unsigned port = 0;
    ASSERT_EQ(row.valid, SplitGatewayUrl(row.url.c_str(), host, object, &port));
    fake::ResetHttps();
    Post(row.url.c_str());
    if (!row.valid) {
      EXPECT_STREQ("Error: Invalid URL", ReplyBuffer);
      EXPECT_EQ(Calls{}, fake::httpsCalls) << "an invalid URL must open nothing";
      continue;
    }
    // The host column shows the port as the connect records it: only when not 443.
    EXPECT_EQ(row.host, std::string(host) + (port == 443 ? "" : ":" + std::to_string(port)));
    EXPECT_EQ(row.object, object);
    ASSERT_GE(fake::httpsCalls.size(), 5u);
    EXPECT_EQ("connect " + row.host, fake::httpsCalls[2]);
    EXPECT_EQ("request " + row.object, fake::httpsCalls[3]);
  }
}

TEST_F(TransportTest, SuccessfulExchangeMakesEveryStepOnceAndClosesInOrder) {
  fake::https.body = "reply\x1C" "fields";
  const TransportResult result = Post();
  EXPECT_STREQ("reply\x1C" "fields", ReplyBuffer);
  EXPECT_FALSE(result.Failed());
  EXPECT_EQ(200, result.HttpStatus);
  const Calls expected = {
      "open",
      "limit session" + kLimits,
      "connect gateway.test",
      "request ipsx/gateway",
      "limit request" + kLimits,
      "send " + std::to_string(std::strlen(kBody)) + " " + kBody,
      "query",
      "read 1024",
      "close request",
      "close connection",
      "close session",
  };
  EXPECT_EQ(expected, fake::httpsCalls);
}

TEST_F(TransportTest, EachFailingStepLeavesItsTextAndClosesWhatWasOpened) {
  struct Row {
    TransportStep step;
    int error;
    const char* lastStepCall;  // the failing call (or, for the session, the connect after it)
    const char* text;
    Calls after;
  };
  const Row rows[] = {
      {TransportStep::OpenSession, 12001, "connect", "Error: HTTP Connect [6]\n", {"close null"}},
      {TransportStep::Connect, 12007, "connect", "Error: HTTP Connect [12007]\n", {"close session"}},
      {TransportStep::OpenRequest, 12005, "request", "Error: HTTP Open [12005]\n",
       {"close connection", "close session"}},
      {TransportStep::Send, 12029, "send", "Error: HTTP Send [12029]\n",
       {"close request", "close connection", "close session"}},
      {TransportStep::Send, 12002, "send", "Error: HTTP Send [12002]\n",
       {"close request", "close connection", "close session"}},
      {TransportStep::QueryStatus, 12150, "query", "Error: HTTP Query [12150]\n",
       {"close request", "close connection", "close session"}},
      {TransportStep::Read, 12030, "read", "Error: HTTP Read [12030]\n",
       {"close request", "close connection", "close session"}},
      {TransportStep::Read, -2, "read", "Error: HTTP Read [-2]\n",
       {"close request", "close connection", "close session"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    fake::ResetHttps();
    fake::https.failingStep = row.step;
    fake::https.errorNumber = row.error;
    fake::https.body = "never read";
    const TransportResult result = Post();
    EXPECT_STREQ(row.text, ReplyBuffer);
    // A failed session is reported as the connect it makes fail, with the connect's number.
    const bool session = row.step == TransportStep::OpenSession;
    EXPECT_EQ(session ? TransportStep::Connect : row.step, result.FailedStep);
    EXPECT_EQ(session ? 6 : row.error, result.SystemError);
    EXPECT_EQ(row.step == TransportStep::Read ? 200 : 0, result.HttpStatus);
    EXPECT_EQ(row.after, CallsAfter(row.lastStepCall));
  }
}

TEST_F(TransportTest, StatusOtherThan200IsAServerErrorWithTheStatus) {
  const unsigned long statuses[] = {404, 500, 201, 302, 100};
  for (unsigned long status : statuses) {
    SCOPED_TRACE(status);
    fake::ResetHttps();
    fake::https.status = status;
    fake::https.body = "not found";
    const TransportResult result = Post();
    EXPECT_EQ(fake::FailureText(TransportStep::CheckStatus, static_cast<int>(status)), ReplyBuffer);
    EXPECT_EQ(TransportStep::CheckStatus, result.FailedStep);
    EXPECT_EQ(static_cast<int>(status), result.HttpStatus);
    EXPECT_EQ((Calls{"close request", "close connection", "close session"}), CallsAfter("query"));
  }
}

TEST_F(TransportTest, ReplyIsOneReadOfAtMost1024BytesEndedAtTheCount) {
  std::string big(3000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('A' + i % 26);
  struct Row {
    const char* what;
    std::string body;
    unsigned long delivered;
    std::string expected;
  };
  const Row rows[] = {
      {"empty 200", "", 0xFFFFFFFF, ""},
      {"short reply", "00\x1C" "APPROVED", 0xFFFFFFFF, "00\x1C" "APPROVED"},
      {"3000 bytes cut to the buffer", big, 0xFFFFFFFF, big.substr(0, 1024)},
      {"exactly 1024 bytes", big.substr(0, 1024), 0xFFFFFFFF, big.substr(0, 1024)},
      {"a read that delivers less than the body", big, 100, big.substr(0, 100)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fake::ResetHttps();
    fake::https.body = row.body;
    fake::https.maxDelivered = row.delivered;
    Post();
    EXPECT_EQ(row.expected.size(), std::strlen(ReplyBuffer));
    EXPECT_EQ(row.expected, std::string(ReplyBuffer));
    EXPECT_EQ((Calls{"read 1024", "close request", "close connection", "close session"}), CallsAfter("query"));
  }
}

TEST_F(TransportTest, ReplyIsEmptiedBeforeTheExchange) {
  char seenDuringSend = 'x';
  fake::https.duringSend = [&] { seenDuringSend = ReplyBuffer[0]; };
  fake::https.failingStep = TransportStep::Send;
  Post();
  EXPECT_EQ('\0', seenDuringSend);
}

// The certificate is asked for only by a caller that wants it, right after the send
// (also a failed one), and only once the send's error number has been taken; the
// strict setting drops the lenient checks on every path, the worker's included.
TEST_F(TransportTest, CertificateIsTakenAfterTheSendAndStrictChecksFollowTheSetting) {
  const GatewayCertificate met = {true, "gateway.test", "Station Test CA", {2036, 12, 5, 13, 27, 31}};
  struct Row {
    const char* name;
    std::optional<TransportStep> failing;
    std::optional<GatewayCertificate> reported;
    std::string text;
  };
  const Row rows[] = {
      {"approved", std::nullopt, met, "reply"},
      {"send refused over the certificate", TransportStep::Send, met, fake::FailureText(TransportStep::Send, 12038)},
      {"no certificate met", TransportStep::Send, std::nullopt, fake::FailureText(TransportStep::Send, 12038)},
      {"read fails after it", TransportStep::Read, met, fake::FailureText(TransportStep::Read, 12038)},
  };
  for (const Row& row : rows) {
    for (const bool strict : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (strict ? ", strict" : ""));
      fake::ResetHttps();
      ResetModuleState();
      CurrentSettings.StrictCertificates = strict;
      fake::https.failingStep = row.failing;
      fake::https.errorNumber = 12038;
      fake::https.body = "reply";
      fake::https.certificate = row.reported;
      GatewayCertificate seen;
      std::memset(&seen, 'x', sizeof seen);
      PostToGateway(kUrl, strict ? CertificateChecks::Strict : CertificateChecks::Lenient, kBody,
                    ReplyBuffer, &seen);
      EXPECT_EQ(row.text, ReplyBuffer);
      EXPECT_EQ(row.reported.has_value(), seen.present);
      if (row.reported) {
        EXPECT_STREQ("gateway.test", seen.issuedTo);
        EXPECT_STREQ("Station Test CA", seen.issuedBy);
        EXPECT_EQ(2036, seen.validUntil.year);
      }
      EXPECT_EQ("certificate", CallsAfter("send").at(0));
      EXPECT_EQ(strict ? "request ipsx/gateway strict" : "request ipsx/gateway", fake::httpsCalls.at(3));

      // The worker's exchange asks for no certificate, and checks as the job was claimed.
      fake::ResetHttps();
      fake::https.certificate = met;
      std::strcpy(CurrentSettings.URL, kUrl);
      ExchangeJob* job = ClaimExchangeJob();
      CurrentSettings.StrictCertificates = !strict;
      std::strcpy(job->Body, kBody);
      WatchExchangeJob(*job, [](uintptr_t, ExchangeJob*) {}, 0);
      std::thread([job] { RunExchangeJob(*job); }).join();
      ReleaseExchangeJob(*job);
      EXPECT_EQ(0, std::count(fake::httpsCalls.begin(), fake::httpsCalls.end(), "certificate"));
      EXPECT_EQ(strict ? "request ipsx/gateway strict" : "request ipsx/gateway", fake::httpsCalls.at(3));
    }
  }
}

// What a watch's notice saw, on the worker's thread.
struct SeenNotice {
  const ExchangeJob* job;
  int32_t status;
  std::string reply;
};
std::vector<SeenNotice> seenNotices;

void RecordNotice(uintptr_t target, ExchangeJob* job) {
  EXPECT_EQ(42u, target);
  seenNotices.push_back({job, job->Status.load(std::memory_order_acquire), job->Reply});
}

TEST_F(TransportTest, AJobPostsItsBodyToItsOwnUrlAndFinishesAfterTheReply) {
  std::strcpy(CurrentSettings.URL, "https://127.0.0.2/ipsx/gateway");
  ExchangeJob* job = ClaimExchangeJob();
  ASSERT_NE(nullptr, job);
  EXPECT_EQ(nullptr, ClaimExchangeJob()) << "one exchange at a time";
  // Settings saved while the job waits do not reach it.
  std::strcpy(CurrentSettings.URL, "https://elsewhere.test/x");
  std::strcpy(job->Body, kBody);
  fake::https.body = std::string(1500, 'r');
  int32_t seenDuringSend = 0;
  fake::https.duringSend = [&] { seenDuringSend = job->Status.load(std::memory_order_relaxed); };
  seenNotices.clear();
  WatchExchangeJob(*job, RecordNotice, 42);

  EXPECT_EQ(kJobIdle, job->Status.load());
  std::thread worker([job] { RunExchangeJob(*job); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (job->Status.load(std::memory_order_acquire) != kJobFinished &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  ASSERT_EQ(kJobFinished, job->Status.load(std::memory_order_acquire));
  // Read before the join: only the status hands the reply over.
  EXPECT_EQ(std::string(1024, 'r'), std::string(job->Reply));
  worker.join();
  EXPECT_EQ(kJobBusy, seenDuringSend);
  EXPECT_EQ("connect 127.0.0.2", CallsAfter("limit session").at(0));
  EXPECT_EQ("send " + std::to_string(std::strlen(kBody)) + " " + kBody, CallsAfter("limit request").at(0));
  ASSERT_EQ(1u, seenNotices.size()) << "the watch is told once";
  EXPECT_EQ(job, seenNotices[0].job);
  EXPECT_EQ(kJobFinished, seenNotices[0].status) << "told after -1 is stored";
  EXPECT_EQ(std::string(1024, 'r'), seenNotices[0].reply);
  EXPECT_EQ(std::string(sizeof job->Body, '\0'), std::string(job->Body, sizeof job->Body))
      << "the sent body, with the card number, is erased";
  EXPECT_TRUE(LeaveExchangeJob(*job)) << "finished: still its watcher's";
}

TEST_F(TransportTest, AJobFinishesWhateverTheOutcome) {
  struct Row {
    const char* url;
    std::optional<TransportStep> failing;
    std::string text;
  };
  const Row rows[] = {
      {"ftp://gateway.test/x", std::nullopt, fake::FailureText(TransportStep::SplitUrl, 0)},
      {kUrl, TransportStep::Send, fake::FailureText(TransportStep::Send, 12029)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    fake::ResetHttps();
    ResetModuleState();
    seenNotices.clear();
    std::strcpy(CurrentSettings.URL, row.url);
    fake::https.failingStep = row.failing;
    fake::https.errorNumber = 12029;
    ExchangeJob* job = ClaimExchangeJob();
    WatchExchangeJob(*job, RecordNotice, 42);
    std::thread([job] { RunExchangeJob(*job); }).join();
    EXPECT_EQ(kJobFinished, job->Status.load(std::memory_order_acquire));
    EXPECT_EQ(row.text, job->Reply);
    EXPECT_TRUE(job->Result.Failed());
    EXPECT_EQ(1u, seenNotices.size());
  }
}

// A job whose dialog has gone: nobody will read its reply, so it journals its outcome,
// leaves nothing and is free for the next exchange.
TEST_F(TransportTest, AJobThatNobodyWatchesAnyMoreSeesItselfThrough) {
  for (const bool left : {false, true}) {
    SCOPED_TRACE(left ? "left while it ran" : "never watched");
    fake::ResetHttps();
    ResetModuleState();
    seenNotices.clear();
    std::strcpy(CurrentSettings.URL, kUrl);
    ExchangeJob* job = ClaimExchangeJob();
    std::strcpy(job->Body, kBody);
    fake::https.body = "reply";
    if (left) {
      WatchExchangeJob(*job, RecordNotice, 42);
      fake::https.duringSend = [job] { EXPECT_FALSE(LeaveExchangeJob(*job)) << "still running"; };
    }
    std::thread([job] { RunExchangeJob(*job); }).join();
    EXPECT_EQ(std::string(sizeof job->Reply, '\0'), std::string(job->Reply, sizeof job->Reply));
    EXPECT_TRUE(seenNotices.empty());
    EXPECT_EQ(job, ClaimExchangeJob()) << "released";
  }
}

TEST(TransportErrors, TableIsInAscendingOrderAndNamesEachNumberOnce) {
  int previous = 0;
  for (const TransportError& row : TransportErrors()) {
    SCOPED_TRACE(row.name);
    EXPECT_GT(row.number, previous);
    previous = row.number;
    EXPECT_EQ(&row, FindTransportError(row.number));
    EXPECT_NE('\0', row.meaning[0]);
  }
  EXPECT_EQ(nullptr, FindTransportError(12345));
  EXPECT_STREQ("ERROR_INTERNET_CANNOT_CONNECT", FindTransportError(12029)->name);
}

// Whether a failed exchange may have reached the gateway decides between "transport
// error" and "outcome unknown" in the journal.
TEST(TransportErrors, OnlyFailuresThatProveNothingWasSentRuleOutTheGateway) {
  struct Row {
    TransportStep step;
    int number;
    bool mayHaveArrived;
  };
  const Row rows[] = {
      // WinINet connects only during the send: nothing before it reaches anyone.
      {TransportStep::SplitUrl, 0, false},
      {TransportStep::OpenSession, 8, false},
      {TransportStep::Connect, 6, false},
      {TransportStep::OpenRequest, 12005, false},
      // The send: name, connection and the certificate's check come before the request.
      {TransportStep::Send, 12007, false},
      {TransportStep::Send, 12029, false},
      {TransportStep::Send, 12045, false},
      {TransportStep::Send, 12057, false},
      {TransportStep::Send, 12038, false},
      // ...time-outs, lost connections and answers come after it, or may; so may a
      // failed secure channel (a renegotiation after the request) and a lost network.
      {TransportStep::Send, 12157, true},
      {TransportStep::Send, 12163, true},
      {TransportStep::Send, 6, true},
      {TransportStep::Send, 12002, true},
      {TransportStep::Send, 12030, true},
      {TransportStep::Send, 12031, true},
      {TransportStep::Send, 12044, true},
      {TransportStep::Send, 12152, true},
      {TransportStep::Send, 8, true},
      {TransportStep::Send, 12345, true},  // not in the table: it proves nothing
      {TransportStep::QueryStatus, 12150, true},
      // A server answered: a refusal of the request as such, or anything else.
      {TransportStep::CheckStatus, 300, false},
      {TransportStep::CheckStatus, 301, false},
      {TransportStep::CheckStatus, 404, false},
      {TransportStep::CheckStatus, 499, false},
      {TransportStep::CheckStatus, 0, true},
      {TransportStep::CheckStatus, 204, true},
      {TransportStep::CheckStatus, 299, true},
      {TransportStep::CheckStatus, 500, true},
      {TransportStep::CheckStatus, 504, true},
      {TransportStep::Read, 12030, true},
      {TransportStep::None, 0, true},  // the gateway answered
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(fake::FailureText(row.step, row.number));
    EXPECT_EQ(row.mayHaveArrived, RequestMayHaveArrived(fake::Failure(row.step, row.number)));
  }
}

}  // namespace
