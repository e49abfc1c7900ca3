#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tools/gateway_sim/exchange.h"
#include "tools/gateway_sim/reply.h"

namespace {

using gwsim::BehaviourKind;
using gwsim::Gateway;
using gwsim::IncomingRequest;
using gwsim::PlannedAnswer;

constexpr const char* kPath = "/ipsx/gateway";
constexpr const char* kFormType = "application/x-www-form-urlencoded";
constexpr const char* kGoodCard = "6039501234567890";

constexpr const char* kAccounts =
    "6039501234567890 1000 active\n"
    "6039500000000404 1000 active status:404\n"
    "6039500000000001 1000 active oversize\n"
    "6039500000000002 1000 active delay:2\n"
    "6039500000000003 1000 active none\n";

std::string Body(const std::string& card, const std::string& amount, const char* code = "200") {
  return std::string("Transaction=IPS.123456%1C02") + code + "0887700123%1CT0001%1C" +
         "C0000001000017CU00%20D706" + card + "%1CH%1CY%1C%1C" + amount +
         "%1C%1C%1C%1C5999%1C840%1CU%1CN07182018140509%1C%1C%1C%1C%1C%1C%1C%1C";
}

IncomingRequest Post(const std::string& body, const char* path = kPath) {
  return IncomingRequest{"POST", path, kFormType, body, "127.0.0.1", "2018-07-18T14:05:09"};
}

Gateway MakeGateway(const char* everyone = "none") {
  gwsim::AccountBook accounts;
  std::string error;
  EXPECT_TRUE(accounts.Load(kAccounts, error)) << error;
  gwsim::Behaviour behaviour;
  EXPECT_TRUE(gwsim::ParseBehaviour(everyone, behaviour, error)) << error;
  return Gateway(std::move(accounts), kPath, behaviour);
}

// key -> value of a journal line.
std::map<std::string, std::string> Parse(const std::string& line) {
  std::map<std::string, std::string> values;
  size_t start = 0;
  while (start < line.size()) {
    size_t end = line.find_first_of(" \n", start);
    if (end == std::string::npos) end = line.size();
    const std::string pair = line.substr(start, end - start);
    const size_t equals = pair.find('=');
    values[pair.substr(0, equals)] = pair.substr(equals + 1);
    start = end + 1;
  }
  return values;
}

std::map<std::string, std::string> Journal(const PlannedAnswer& answer) {
  const std::string line = gwsim::FormatJournalLine(answer.journal);
  EXPECT_EQ(std::string::npos, line.find(kGoodCard));
  return Parse(line);
}

// The response code as the plug-in reads it (8th and 9th characters of field 4).
std::string Code(const std::string& reply) {
  size_t at = 0;
  for (int i = 0; i < 3; ++i) at = reply.find('\x1C', at) + 1;
  return reply.substr(at + 7, 2);
}

TEST(ExchangeTest, ApprovedChargesLowerTheBalanceRequestByRequest) {
  Gateway gateway = MakeGateway();
  const PlannedAnswer first = gateway.Handle(Post(Body(kGoodCard, "250")));
  const PlannedAnswer second = gateway.Handle(Post(Body(std::string(kGoodCard) + "%3D4912", "700")));
  const PlannedAnswer third = gateway.Handle(Post(Body(kGoodCard, "100")));
  EXPECT_EQ("00", Code(first.body));
  EXPECT_EQ("00", Code(second.body));
  EXPECT_EQ("51", Code(third.body));
  const auto j1 = Journal(first), j2 = Journal(second), j3 = Journal(third);
  EXPECT_EQ("1", j1.at("n"));
  EXPECT_EQ("3", j3.at("n"));
  EXPECT_EQ("750", j1.at("balance"));
  EXPECT_EQ("50", j2.at("balance"));
  EXPECT_EQ("yes", j2.at("track"));
  EXPECT_EQ("50", j3.at("balance"));
  EXPECT_EQ("51", j3.at("rc"));
  EXPECT_EQ("603950******7890", j1.at("card"));
  EXPECT_EQ("200", j1.at("tc"));
  EXPECT_EQ("887700123", j1.at("merchant"));
  EXPECT_EQ("T0001", j1.at("terminal"));
  EXPECT_EQ("000001", j1.at("batch"));
  EXPECT_EQ("000017", j1.at("seq"));
  EXPECT_EQ("706", j1.at("zone"));
  EXPECT_EQ("250", j1.at("amount"));
  EXPECT_EQ("none", j1.at("behaviour"));
  EXPECT_EQ("-", j1.at("reason"));
}

TEST(ExchangeTest, MalformedRequestIsAFormatErrorWithItsReason) {
  Gateway gateway = MakeGateway();
  const PlannedAnswer answer = gateway.Handle(Post(Body(kGoodCard, "2.50")));
  EXPECT_EQ(gwsim::kStatusOk, answer.status);
  EXPECT_EQ("30", Code(answer.body));
  EXPECT_NE(std::string::npos, answer.body.find("FORMAT ERROR"));
  EXPECT_NE(std::string::npos, answer.body.find("field8:amount"));
  const auto journal = Journal(answer);
  EXPECT_EQ("30", journal.at("rc"));
  EXPECT_EQ("field8:amount", journal.at("reason"));
  EXPECT_EQ("1000", journal.at("balance"));  // untouched
}

TEST(ExchangeTest, BehaviourOfTheCardWinsOverTheCommonOne) {
  struct Row {
    const char* everyone;
    const char* card;
    BehaviourKind kind;
    int status;
    const char* journalStatus;
    const char* balance;  // after the 250-cent charge
  };
  const Row rows[] = {
      {"none", "6039500000000404", BehaviourKind::Status, 404, "404", "1000"},
      {"none", "6039500000000001", BehaviourKind::Oversize, 200, "200", "750"},
      {"none", "6039500000000002", BehaviourKind::Delay, 200, "200", "750"},
      {"hang", "6039500000000003", BehaviourKind::Normal, 200, "200", "750"},
      {"hang", kGoodCard, BehaviourKind::Hang, 200, "-", "1000"},
      {"reset", kGoodCard, BehaviourKind::Reset, 200, "-", "1000"},
      {"empty", kGoodCard, BehaviourKind::Empty, 200, "200", "1000"},
      {"garbage", kGoodCard, BehaviourKind::Garbage, 200, "200", "1000"},
      {"error", kGoodCard, BehaviourKind::ErrorText, 200, "200", "1000"},
      {"redirect", kGoodCard, BehaviourKind::Redirect, 307, "307", "1000"},
      {"status:500", "6039509999999999", BehaviourKind::Status, 500, "500", "-"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.everyone) + " " + row.card);
    Gateway gateway = MakeGateway(row.everyone);
    const PlannedAnswer answer = gateway.Handle(Post(Body(row.card, "250")));
    EXPECT_EQ(row.kind, answer.behaviour.kind);
    EXPECT_EQ(row.status, answer.status);
    const auto journal = Journal(answer);
    EXPECT_EQ(row.journalStatus, journal.at("status"));
    EXPECT_EQ(row.balance, journal.at("balance"));
    EXPECT_EQ(gwsim::BehaviourName(answer.behaviour), journal.at("behaviour"));
    const bool replied = row.kind == BehaviourKind::Normal ||
                         row.kind == BehaviourKind::Oversize || row.kind == BehaviourKind::Delay;
    EXPECT_EQ(replied ? "00" : "-", journal.at("rc"));
    switch (row.kind) {
      case BehaviourKind::Oversize:
        EXPECT_EQ(gwsim::kOversizeReplyLength, answer.body.size());
        break;
      case BehaviourKind::Empty:
        EXPECT_EQ("", answer.body);
        break;
      case BehaviourKind::ErrorText:
        EXPECT_EQ(0u, answer.body.rfind("Error:", 0));
        break;
      case BehaviourKind::Garbage:
        EXPECT_EQ(std::string::npos, answer.body.find('\x1C'));
        break;
      case BehaviourKind::Redirect:  // somewhere a client that follows it is seen
        EXPECT_EQ("/ipsx/gateway/moved", answer.location);
        break;
      default:
        break;
    }
  }
}

TEST(ExchangeTest, OtherPathsAndMethodsAreRefusedAndJournaled) {
  Gateway gateway = MakeGateway("hang");
  IncomingRequest get = Post("");
  get.method = "GET";
  const PlannedAnswer wrongPath = gateway.Handle(Post(Body(kGoodCard, "250"), "/ipsx/gateway/"));
  const PlannedAnswer wrongMethod = gateway.Handle(get);
  EXPECT_EQ(gwsim::kStatusNotFound, wrongPath.status);
  EXPECT_EQ(gwsim::kStatusMethodNotAllowed, wrongMethod.status);
  EXPECT_EQ(BehaviourKind::Normal, wrongPath.behaviour.kind);  // no misbehaving here
  EXPECT_EQ("http:unknown_path", Journal(wrongPath).at("reason"));
  EXPECT_EQ("http:not_post", Journal(wrongMethod).at("reason"));
  EXPECT_EQ("GET", Journal(wrongMethod).at("method"));
  EXPECT_EQ("2", Journal(wrongMethod).at("n"));
  // The refused charge moved nothing.
  Gateway normal = MakeGateway();
  normal.Handle(Post(Body(kGoodCard, "250"), "/other"));
  EXPECT_EQ("750", Journal(normal.Handle(Post(Body(kGoodCard, "250")))).at("balance"));
}

TEST(ExchangeTest, TestTransactionOfAnUnknownCardIsInvalidCard) {
  Gateway gateway = MakeGateway();
  const PlannedAnswer unknown = gateway.Handle(Post(Body("6039509999999999", "100", "100")));
  const PlannedAnswer known = gateway.Handle(Post(Body(kGoodCard, "100", "100")));
  EXPECT_EQ("14", Code(unknown.body));
  EXPECT_EQ("-", Journal(unknown).at("balance"));
  EXPECT_EQ("00", Code(known.body));
  EXPECT_EQ("1000", Journal(known).at("balance"));
  EXPECT_EQ("100", Journal(known).at("tc"));
}

}  // namespace
