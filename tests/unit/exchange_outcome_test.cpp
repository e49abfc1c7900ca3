#include "gateway/exchange_outcome.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "fakes/fake_https.h"
#include "gateway/wire_format.h"

namespace {

// A gateway reply carrying code (characters 8 and 9 of field 4) and message (field 9).
std::string Reply(const char* code, const char* message) {
  const std::string fs(1, kFieldSeparator);
  return "ID" + fs + "12" + fs + "X" + fs + "ABCDEFG" + code + "HI" + fs + "K" + fs + fs + "Q" + fs +
         "R" + fs + message + fs + "Z";
}

// A golden reply of tests/data/replies, byte for byte.
std::string Golden(const char* name) {
  std::ifstream in(std::string(TEST_DATA_DIR) + "/replies/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ExchangeOutcome, EachResultAndReplyStandsForItsOutcome) {
  using enum ExchangeOutcome;
  const std::string fs(1, kFieldSeparator);
  const TransportResult answered{};
  struct Row {
    const char* what;
    TransportResult result;
    std::string reply;
    ExchangeOutcome outcome;
    bool shownAsText;
  };
  auto failed = [](TransportStep step, int number, ExchangeOutcome outcome) {
    return Row{"", fake::Failure(step, number), fake::FailureText(step, number), outcome, true};
  };
  Row rows[] = {
      {"approved", answered, Golden("approved"), Approved, false},
      {"worked example", answered, Golden("worked_example"), Approved, false},
      {"declined", answered, Golden("declined"), Declined, false},
      {"code 99 written by the gateway", answered, Reply("99", "SYSTEM ERROR"), Declined, false},
      // Answers from which no code can be read: the gateway may have acted.
      {"empty body", answered, Golden("empty"), Unknown, false},
      {"maintenance page", answered, Golden("maintenance_page"), Unknown, false},
      {"field 4 cut short", answered, Golden("short_field4"), Unknown, false},
      {"cut in the code", answered, "ID" + fs + "12" + fs + "X" + fs + "ABCDEFG0", Unknown, false},
      {"field 4 too short", answered, "ID" + fs + "12" + fs + "X" + fs + "ABC" + fs + "K", Unknown, false},
      // A code is only ever read from field 4.
      {"00 beyond a short field 4", answered, "A" + fs + "B" + fs + "C" + fs + "DE" + fs + "FG0000",
       Unknown, false},
      // The gateway's own "Error:" texts are its answers, whatever they look like.
      {"the gateway's own Error: text", answered, Golden("error_text"), Unknown, true},
      {"a body like a failure text", answered, fake::FailureText(TransportStep::Send, 12029), Unknown, true},
      {"a body like a failure, with a code", answered, Golden("error_text_with_code"), Unknown, true},
      failed(TransportStep::Send, 12029, NotSent),
      failed(TransportStep::SplitUrl, 0, NotSent),
      failed(TransportStep::Send, 12045, NotSent),
      failed(TransportStep::Send, 12030, Unknown),
      failed(TransportStep::CheckStatus, 0, Unknown),
      failed(TransportStep::CheckStatus, 404, NotSent),
      failed(TransportStep::CheckStatus, 502, Unknown),
      failed(TransportStep::Read, 12030, Unknown),
  };
  for (Row& row : rows) {
    SCOPED_TRACE(row.what[0] != '\0' ? row.what : row.reply.c_str());
    GatewayResponse response{"x", "untouched"};
    EXPECT_EQ(row.outcome, ClassifyExchange(row.result, row.reply.c_str(), response));
    EXPECT_EQ(row.shownAsText, ReplyShownAsText(row.result, row.reply.c_str()));
    // A text shown as it stands is not parsed.
    if (row.shownAsText) {
      EXPECT_STREQ("untouched", response.ResponseMessage);
    }
  }
}

}  // namespace
