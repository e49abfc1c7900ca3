// The troubleshooting tables against the texts the code can produce: every error
// number the transport knows has advice, and the configuration Test's plain line is
// found for each kind of failure text.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dialogs/troubleshooting.h"
#include "fakes/fake_https.h"
#include "gateway/transport_errors.h"

namespace {

TEST(Troubleshooting, EveryKnownErrorNumberHasAdviceAndNoAdviceIsForAnUnknownOne) {
  std::set<int> known;
  for (const TransportError& error : TransportErrors()) known.insert(error.number);
  std::set<int> advised;
  const unsigned numbered = ~((1u << static_cast<unsigned>(TransportStep::SplitUrl)) |
                              (1u << static_cast<unsigned>(TransportStep::OpenSession)) |
                              (1u << static_cast<unsigned>(TransportStep::CheckStatus)));
  for (const TransportAdvice& advice : TransportAdviceRows()) {
    SCOPED_TRACE(advice.number);
    EXPECT_TRUE(advised.insert(advice.number).second) << "advised twice";
    EXPECT_NE(0u, advice.steps);
    EXPECT_EQ(0u, advice.steps & ~numbered) << "a step whose text carries no error number";
  }
  EXPECT_EQ(known, advised);
}

TEST(Troubleshooting, TheTestsPlainLineForEachKindOfText) {
  struct Row {
    std::string text;
    const char* line;  // nullptr: none
  };
  const Row rows[] = {
      {fake::FailureText(TransportStep::Send, 12029), "Nothing answers at this address and port."},
      {fake::FailureText(TransportStep::Read, 12002), "The gateway did not answer in time."},
      {fake::FailureText(TransportStep::CheckStatus, 404),
       "There is no gateway at this path of the server (HTTP 404)."},
      {fake::FailureText(TransportStep::CheckStatus, 418), nullptr},
      {fake::FailureText(TransportStep::Send, 12345), nullptr},
      {fake::FailureText(TransportStep::SplitUrl, 0), nullptr},
      {"Error: gateway down", nullptr},
      {"", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const char* line = PlainLineFor(row.text.c_str());
    if (row.line == nullptr) {
      EXPECT_EQ(nullptr, line);
    } else {
      ASSERT_NE(nullptr, line);
      EXPECT_STREQ(row.line, line);
    }
  }
}

}  // namespace
