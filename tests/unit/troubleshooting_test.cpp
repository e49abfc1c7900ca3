// The troubleshooting table against the texts the code can produce: every error the
// transport knows has advice, the guide follows the limits, and the configuration
// Test's plain line is found for each kind of text it shows as it stands.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dialogs/certificate_lines.h"
#include "dialogs/deposit_dialog.h"
#include "dialogs/troubleshooting.h"
#include "fakes/fake_https.h"
#include "gateway/transport_errors.h"
#include "records/file_errors.h"
#include "tools/admin_guide/troubleshooting_rows.h"

namespace {

TEST(Troubleshooting, EveryKnownErrorHasAdviceAndNoAdviceIsForAnUnknownOne) {
  std::set<std::string> known;
  for (const TransportError& error : TransportErrors()) known.insert(error.name);
  std::set<std::string> advised;
  for (const std::string& name : AdvisedErrorNames()) {
    EXPECT_TRUE(advised.insert(name).second) << name << " advised twice";
  }
  EXPECT_EQ(known, advised);
  // Every row says what its text means: a status with advice has its plain line.
  const std::string table = TroubleshootingTable(ProductLimits());
  EXPECT_EQ(std::string::npos, table.find("|  |"));
  // The plug-in's own numbers each have a row of their own.
  for (const PluginErrorText& row : PluginErrorTexts()) {
    char shown[kErrorNumberTextSize];
    FormatErrorNumber(row.error, shown, sizeof shown);
    EXPECT_NE(std::string::npos, table.find(std::string("| `") + shown + "` |")) << shown;
  }
}

// The guide's texts are the code's: change a limit and the table changes with it.
TEST(Troubleshooting, TheGuideFollowsTheLimits) {
  const GuideLimits product = ProductLimits();
  EXPECT_EQ(kMaxDepositUnits, product.maxDepositUnits);
  EXPECT_EQ(kCertificateWarningDays, product.certificateWarningDays);
  struct Row {
    GuideLimits limits;
    std::string expected;
  };
  const Row rows[] = {
      {product, "`Amounts of 1 to 21474836 can be deposited.`"},
      {product, "runs out within 30 days"},
      {{5, 500, 30}, "`Amounts of 5 to 500 can be deposited.`"},
      {{1, 21474836, 14}, "runs out within 14 days"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    EXPECT_NE(std::string::npos, TroubleshootingTable(row.limits).find(row.expected));
  }
}

TEST(Troubleshooting, TheTestsPlainLineForEachKindOfText) {
  struct Row {
    TransportResult result;
    std::string reply;
    const char* line;  // nullptr: none
  };
  const Row rows[] = {
      {fake::Failure(TransportStep::Send, 12029), "", "Nothing answers at this address and port."},
      {fake::Failure(TransportStep::Read, 12002), "", "The gateway did not answer in time."},
      {fake::Failure(TransportStep::CheckStatus, 404), "",
       "There is no gateway at this path of the server (HTTP 404)."},
      {fake::Failure(TransportStep::CheckStatus, 418), "", nullptr},
      {fake::Failure(TransportStep::Send, 12345), "", nullptr},
      {fake::Failure(TransportStep::SplitUrl, 0), "", nullptr},
      // The gateway's own texts are never read as a failed step.
      {TransportResult{}, "Error: HTTP Send [12029]\n", "The gateway answered with an error text of its own."},
      {TransportResult{}, "Error: gateway down", "The gateway answered with an error text of its own."},
      {TransportResult{}, "", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(fake::FailureText(row.result.FailedStep, row.result.Number()) + row.reply);
    const char* line = PlainLineFor(row.result, row.reply.c_str());
    if (row.line == nullptr) {
      EXPECT_EQ(nullptr, line);
    } else {
      ASSERT_NE(nullptr, line);
      EXPECT_STREQ(row.line, line);
    }
  }
}

}  // namespace
