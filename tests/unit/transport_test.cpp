#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_https.h"
#include "gateway/request_message.h"
#include "gateway/transport.h"
#include "gateway/worker.h"
#include "settings/module_state.h"
#include "settings/settings.h"

namespace {

using Calls = std::vector<std::string>;

constexpr const char* kUrl = "https://gateway.test/ipsx/gateway";
constexpr const char* kBody = "Transaction=IPS.123456%1C0200%1C";
const std::string kLimits = " 15000 30000 30000";

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetHttps();
    ResetModuleState();
  }
  // Leaves junk in the reply first, so that every byte the transport does not write shows.
  void Post(const char* url = kUrl, const char* body = kBody) {
    std::memset(ReplyBuffer, 'x', sizeof ReplyBuffer);
    PostToGateway(url, body, ReplyBuffer);
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
      {"https:///ipsx", true, "", "ipsx"},
      {"https://gateway.test:8443/ipsx/gateway", true, "gateway.test:8443", "ipsx/gateway"},
      {"https://127.0.0.2/a/b?c=d/e", true, "127.0.0.2", "a/b?c=d/e"},
      {longUrl, true, longHost, longPath},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("url \"" + row.url + "\"");
    char host[kGatewayNameSize];
    char object[kGatewayNameSize];
    ASSERT_EQ(row.valid, SplitGatewayUrl(row.url.c_str(), host, object));
    fake::ResetHttps();
    Post(row.url.c_str());
    if (!row.valid) {
      EXPECT_STREQ("Error: Invalid URL", ReplyBuffer);
      EXPECT_EQ(Calls{}, fake::httpsCalls) << "an invalid URL must open nothing";
      continue;
    }
    EXPECT_EQ(row.host, host);
    EXPECT_EQ(row.object, object);
    ASSERT_GE(fake::httpsCalls.size(), 5u);
    EXPECT_EQ("connect " + row.host, fake::httpsCalls[2]);
    EXPECT_EQ("request " + row.object, fake::httpsCalls[3]);
  }
}

TEST_F(TransportTest, SuccessfulExchangeMakesEveryStepOnceAndClosesInOrder) {
  fake::https.body = "reply\x1C" "fields";
  Post();
  EXPECT_STREQ("reply\x1C" "fields", ReplyBuffer);
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
    fake::HttpsStep step;
    int error;
    const char* lastStepCall;  // the failing call (or, for the session, the connect after it)
    const char* text;
    Calls after;
  };
  const Row rows[] = {
      {fake::HttpsStep::OpenSession, 12001, "connect", "Error: HTTP Connect [6]\n", {"close null"}},
      {fake::HttpsStep::Connect, 12007, "connect", "Error: HTTP Connect [12007]\n", {"close session"}},
      {fake::HttpsStep::OpenRequest, 12005, "request", "Error: HTTP Open [12005]\n",
       {"close connection", "close session"}},
      {fake::HttpsStep::Send, 12029, "send", "Error: HTTP Send [12029]\n",
       {"close request", "close connection", "close session"}},
      {fake::HttpsStep::Send, 12002, "send", "Error: HTTP Send [12002]\n",
       {"close request", "close connection", "close session"}},
      {fake::HttpsStep::QueryStatus, 12150, "query", "Error: HTTP Query [12150]\n",
       {"close request", "close connection", "close session"}},
      {fake::HttpsStep::Read, 12030, "read", "Error: HTTP Read [12030]\n",
       {"close request", "close connection", "close session"}},
      {fake::HttpsStep::Read, -2, "read", "Error: HTTP Read [-2]\n",
       {"close request", "close connection", "close session"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    fake::ResetHttps();
    fake::https.failingStep = row.step;
    fake::https.errorNumber = row.error;
    fake::https.body = "never read";
    Post();
    EXPECT_STREQ(row.text, ReplyBuffer);
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
    Post();
    EXPECT_EQ("Error: HTTP Server [" + std::to_string(status) + "]\n", std::string(ReplyBuffer));
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
  fake::https.failingStep = fake::HttpsStep::Send;
  Post();
  EXPECT_EQ('\0', seenDuringSend);
}

TEST_F(TransportTest, WorkerPostsTheFormBodyToTheUrlSettingAndFinishesAfterTheReply) {
  std::strcpy(CurrentSettings.URL, "https://127.0.0.2/ipsx/gateway");
  std::strcpy(FormBody, kBody);
  fake::https.body = std::string(1500, 'r');
  int32_t seenDuringSend = 0;
  fake::https.duringSend = [&] { seenDuringSend = WorkerStatus.load(std::memory_order_relaxed); };

  EXPECT_EQ(kWorkerIdle, WorkerStatus.load());
  std::thread worker(GatewayWorker);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (WorkerStatus.load(std::memory_order_acquire) != kWorkerFinished &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  ASSERT_EQ(kWorkerFinished, WorkerStatus.load(std::memory_order_acquire));
  // Read before the join: only the status hands the reply over.
  EXPECT_EQ(std::string(1024, 'r'), std::string(ReplyBuffer));
  worker.join();
  EXPECT_EQ(kWorkerBusy, seenDuringSend);
  EXPECT_EQ("connect 127.0.0.2", CallsAfter("limit session").at(0));
  EXPECT_EQ("send " + std::to_string(std::strlen(kBody)) + " " + kBody, CallsAfter("limit request").at(0));
}

TEST_F(TransportTest, WorkerFinishesWhateverTheOutcome) {
  struct Row {
    const char* url;
    fake::HttpsStep failing;
    const char* text;
  };
  const Row rows[] = {
      {"ftp://gateway.test/x", fake::HttpsStep::None, "Error: Invalid URL"},
      {kUrl, fake::HttpsStep::Send, "Error: HTTP Send [12029]\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    fake::ResetHttps();
    ResetModuleState();
    std::strcpy(CurrentSettings.URL, row.url);
    fake::https.failingStep = row.failing;
    fake::https.errorNumber = 12029;
    std::thread(GatewayWorker).join();
    EXPECT_EQ(kWorkerFinished, WorkerStatus.load(std::memory_order_acquire));
    EXPECT_STREQ(row.text, ReplyBuffer);
  }
}

}  // namespace
