#include <gtest/gtest.h>

#include <string>

#include "tools/gateway_sim/accounts.h"

namespace {

using gwsim::AccountBook;
using gwsim::CardState;
using gwsim::GatewayRequest;

constexpr const char* kAccounts =
    "# card              balance  state       behaviour\n"
    "6039501234567890    10000    active\n"
    "\n"
    "   # indented comment\n"
    "6039500000000051\t100\tactive   # tabs, and a comment after the columns\n"
    "6039500000000005    5000     blocked\r\n"
    "6039500000000062    5000     restricted\n"
    "6039500000000404    5000     active      status:404\n"
    "6039500000000000    0        active\n";

AccountBook LoadedBook() {
  AccountBook book;
  std::string error;
  EXPECT_TRUE(book.Load(kAccounts, error)) << error;
  return book;
}

GatewayRequest Charge(const std::string& card, int32_t amount, int code = gwsim::kChargeCode) {
  GatewayRequest request;
  request.transactionCode = code;
  request.card = card;
  request.amountCents = amount;
  request.amountRead = true;
  return request;
}

TEST(AccountsTest, FileIsReadWithCommentsBlanksTabsAndBehaviours) {
  const AccountBook book = LoadedBook();
  EXPECT_EQ(6u, book.size());
  const gwsim::Account* blocked = book.Find("6039500000000005");
  ASSERT_NE(nullptr, blocked);
  EXPECT_EQ(CardState::Blocked, blocked->state);
  EXPECT_EQ(5000, blocked->balanceCents);
  const gwsim::Account* misbehaving = book.Find("6039500000000404=4912");
  ASSERT_NE(nullptr, misbehaving);
  ASSERT_TRUE(misbehaving->hasBehaviour);
  EXPECT_EQ(gwsim::BehaviourKind::Status, misbehaving->behaviour.kind);
  EXPECT_EQ(404, misbehaving->behaviour.argument);
  EXPECT_EQ(nullptr, book.Find("603950123456789"));
}

TEST(AccountsTest, MalformedLineIsReportedWithItsNumber) {
  struct Row {
    std::string text;
    std::string error;
  };
  const Row rows[] = {
      {"6039501234567890 100\n", "line 1: expected CARD BALANCE STATE [BEHAVIOUR], found 2 column(s)"},
      {"# c\n\n6039501234567890 100 active hang extra\n",
       "line 3: expected CARD BALANCE STATE [BEHAVIOUR], found 5 column(s)"},
      {"6039501234567890 12.50 active\n",
       "line 1: balance '12.50' is not a whole number of cents"},
      {"6039501234567890 -5 active\n", "line 1: balance '-5' is not a whole number of cents"},
      {"6039501234567890 99999999999999999999 active\n",
       "line 1: balance '99999999999999999999' is not a whole number of cents"},
      {"6039501234567890 100 open\n",
       "line 1: state 'open' is not active, blocked or restricted"},
      {"6039501234567890=4912 100 active\n",
       "line 1: card number 603950******7890 is not 1 to 79 digits"},
      {std::string(80, '1') + " 100 active\n",
       "line 1: card number 111111" + std::string(70, '*') + "1111 is not 1 to 79 digits"},
      {"6039501234567890 100 active delay\n",
       "line 1: behaviour delay needs a number, as in delay:5"},
      {"6039501234567890 1 active\n6039501234567890 2 active\n",
       "line 2: card 603950******7890 is listed twice"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    AccountBook book;
    std::string error;
    EXPECT_FALSE(book.Load(row.text, error));
    EXPECT_EQ(row.error, error);
    EXPECT_EQ(0u, book.size());
    EXPECT_EQ(std::string::npos, error.find("6039501234567890"));
  }
}

TEST(AccountsTest, AuthorisationFollowsTheCardAndTheAmount) {
  struct Row {
    const char* card;
    int32_t amount;
    int code;
    const char* verdict;
    bool known;
    int64_t balanceAfter;
  };
  const Row rows[] = {
      {"6039501234567890", 250, 200, "00", true, 9750},
      {"6039501234567890=49121010000", 250, 200, "00", true, 9750},
      {"6039501234567890", 10000, 200, "00", true, 0},
      {"6039501234567890", 10001, 200, "51", true, 10000},
      {"6039501234567890", 0, 200, "13", true, 10000},
      {"6039501234567890", -250, 200, "13", true, 10000},
      {"6039501234567890", 100, 100, "00", true, 10000},   // test moves no money
      {"6039501234567890", 20000, 100, "00", true, 10000},  // nor needs the balance
      {"6039500000000000", 1, 200, "51", true, 0},
      {"6039500000000005", 250, 200, "05", true, 5000},
      {"6039500000000005", 100, 100, "05", true, 5000},
      {"6039500000000062", 250, 200, "62", true, 5000},
      {"6039509999999999", 250, 200, "14", false, 0},
      {"60395012345678901", 250, 200, "14", false, 0},
      {"=6039501234567890", 250, 200, "14", false, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.card) + " " + std::to_string(row.amount) + " code " +
                 std::to_string(row.code));
    AccountBook book = LoadedBook();
    const gwsim::Authorisation result = book.Authorise(Charge(row.card, row.amount, row.code));
    EXPECT_STREQ(row.verdict, result.verdict.code);
    EXPECT_EQ(row.known, result.accountKnown);
    if (row.known) {
      EXPECT_EQ(row.balanceAfter, result.balanceAfter);
      EXPECT_EQ(row.balanceAfter, book.Find(row.card)->balanceCents);
    }
  }
}

TEST(AccountsTest, ApprovedChargesAddUpUntilTheBalanceRunsOut) {
  AccountBook book = LoadedBook();
  const char* card = "6039500000000051";  // 100 cents
  EXPECT_STREQ("00", book.Authorise(Charge(card, 60)).verdict.code);
  EXPECT_STREQ("51", book.Authorise(Charge(card, 60)).verdict.code);
  EXPECT_STREQ("00", book.Authorise(Charge(card, 40)).verdict.code);
  EXPECT_EQ(0, book.Find(card)->balanceCents);
}

TEST(AccountsTest, ReloadReplacesEverything) {
  AccountBook book = LoadedBook();
  std::string error;
  ASSERT_TRUE(book.Load("1234 5 active\n", error)) << error;
  EXPECT_EQ(1u, book.size());
  EXPECT_EQ(nullptr, book.Find("6039501234567890"));
}

}  // namespace
