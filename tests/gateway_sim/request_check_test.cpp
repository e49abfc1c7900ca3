#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "tools/gateway_sim/request_check.h"

namespace {

using gwsim::CheckFormRequest;
using gwsim::CheckMessage;
using gwsim::RequestCheck;

using Fields = std::array<std::string, gwsim::kMessageFieldCount>;

// The charge of the documented worked example, field by field.
Fields ExampleFields() {
  return {"IPS.123456", "022000887700123", "T0001", "C0000001000017CU00 D7066039501234567890",
          "H", "Y", "", "250", "", "", "", "5999", "840", "U", "N07182018140509",
          "", "", "", "", "", "", ""};
}

std::string Join(const Fields& fields) {
  std::string message;
  for (const std::string& field : fields) message += field + '\x1C';
  return message;
}

constexpr const char* kExampleBody =
    "Transaction=IPS.123456%1C022000887700123%1CT0001%1CC0000001000017CU00%20D70660395012345"
    "67890%1CH%1CY%1C%1C250%1C%1C%1C%1C5999%1C840%1CU%1CN07182018140509%1C%1C%1C%1C%1C%1C%1C"
    "%1C";
constexpr const char* kFormType = "application/x-www-form-urlencoded";

TEST(RequestCheckTest, WorkedExampleBodyIsReadWhole) {
  const RequestCheck check = CheckFormRequest(kFormType, kExampleBody);
  ASSERT_TRUE(check.ok()) << check.reason;
  EXPECT_EQ(200, check.request.transactionCode);
  EXPECT_EQ("887700123", check.request.merchantId);
  EXPECT_EQ("T0001", check.request.terminalId);
  EXPECT_EQ("000001", check.request.batch);
  EXPECT_EQ("000017", check.request.sequence);
  EXPECT_EQ(706, check.request.zoneCode);
  EXPECT_EQ("6039501234567890", check.request.card);
  EXPECT_EQ(250, check.request.amountCents);
  EXPECT_EQ("5999", check.request.categoryCode);
  EXPECT_EQ("07182018140509", check.request.timestamp);
}

TEST(RequestCheckTest, WellFormedVariationsAreAccepted) {
  struct Row {
    size_t field;  // counted from 1
    std::string value;
  };
  const Row rows[] = {
      {2, "021000887700123"},                                 // configuration test
      {2, "022000X"},                                         // one-character merchant
      {4, "C01234567000001CU00 D7056039501234567890"},        // seven-digit batch
      {4, "C0000001999999CU00 D7086039501234567890=4912101"},  // track data
      {4, "C0000001000001CU00 D707" + std::string(79, '9')},  // 79-character card
      {8, "-250"},
      {8, "0"},
      {8, "2147483647"},
      {12, "0742"},
      {12, "123456"},
      {15, "N12312099235960"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("field " + std::to_string(row.field) + " = " + row.value);
    Fields fields = ExampleFields();
    fields[row.field - 1] = row.value;
    const RequestCheck check = CheckMessage(Join(fields));
    EXPECT_TRUE(check.ok()) << check.reason;
  }
}

TEST(RequestCheckTest, EachMalformedFieldIsNamed) {
  struct Row {
    size_t field;
    std::string value;
    const char* reason;
  };
  const Row rows[] = {
      {1, "IPS.12345", "field1:header"},
      {2, "032000887700123", "field2:prefix"},
      {2, "023000887700123", "field2:transaction_code"},
      {2, "02200887700123", "field2:transaction_code"},
      {2, "022000", "field2:merchant_id_empty"},
      {3, "", "field3:terminal_id_empty"},
      {4, "D0000001000017CU00 D7066039501234567890", "field4:prefix"},
      {4, "C000001000017CU00 D7066039501234567890", "field4:batch_sequence"},
      {4, "C0000001000000CU00 D7066039501234567890", "field4:sequence_zero"},
      {4, "C0000001000017CU01 D7066039501234567890", "field4:cu_digits"},
      {4, "C0000001000017CU00D7066039501234567890", "field4:indicators"},
      {4, "C0000001000017CU00 C7066039501234567890", "field4:indicators"},
      {4, "C0000001000017CU00 D7046039501234567890", "field4:zone_code"},
      {4, "C0000001000017CU00 D709", "field4:zone_code"},
      {4, "C0000001000017CU00 D70", "field4:zone_code"},
      {4, "C0000001000017CU00 D706", "field4:card_empty"},
      {5, "h", "field5:not_H"},
      {6, "", "field6:not_Y"},
      {7, " ", "field7:not_empty"},
      {8, "", "field8:amount"},
      {8, "0250", "field8:amount"},
      {8, "2.50", "field8:amount"},
      {8, "-0", "field8:amount"},
      {8, "+250", "field8:amount"},
      {8, "2147483648", "field8:amount"},
      {10, "0", "field10:not_empty"},
      {12, "742", "field12:category_code"},
      {12, "-742", "field12:category_code"},
      {13, "978", "field13:currency_code"},
      {14, "u", "field14:not_U"},
      {15, "07182018140509", "field15:timestamp"},
      {15, "N13182018140509", "field15:timestamp"},
      {15, "N07182018240509", "field15:timestamp"},
      {15, "N0718201814050", "field15:timestamp"},
      {22, "x", "field22:not_empty"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("field " + std::to_string(row.field) + " = '" + row.value + "'");
    Fields fields = ExampleFields();
    fields[row.field - 1] = row.value;
    const RequestCheck check = CheckMessage(Join(fields));
    EXPECT_TRUE(check.fieldsRead);
    EXPECT_EQ(row.reason, check.reason);
  }
}

TEST(RequestCheckTest, FirstFaultIsReportedAndLaterFieldsStillRead) {
  Fields fields = ExampleFields();
  fields[0] = "IPS";
  fields[7] = "x";
  const RequestCheck check = CheckMessage(Join(fields));
  EXPECT_EQ("field1:header", check.reason);
  EXPECT_EQ("6039501234567890", check.request.card);
  EXPECT_FALSE(check.request.amountRead);
}

TEST(RequestCheckTest, WrongSeparatorCountReadsNoField) {
  const std::string message = Join(ExampleFields());
  struct Row {
    std::string message;
    const char* reason;
  };
  const Row rows[] = {
      {message.substr(0, message.size() - 1), "message:field_count_21"},  // empty last field
      {message.substr(0, message.size() - 1) + "X", "message:no_final_separator"},
      {message + "X", "message:no_final_separator"},
      {message + '\x1C', "message:field_count_23"},
      {message.substr(1 + message.find('\x1C')), "message:field_count_21"},
      {"", "message:field_count_0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reason);
    const RequestCheck check = CheckMessage(row.message);
    EXPECT_EQ(row.reason, check.reason);
    EXPECT_FALSE(check.fieldsRead);
    EXPECT_EQ("", check.request.card);  // a shifted message must not yield a card
  }
}

TEST(RequestCheckTest, FormBodyEncodingIsCheckedBeforeDecoding) {
  const std::string body = kExampleBody;
  const size_t blank = body.find("%20");
  struct Row {
    std::string contentType;
    std::string body;
    const char* reason;  // "" when accepted
  };
  const Row rows[] = {
      {"application/x-www-form-urlencoded; charset=ISO-8859-1", body, ""},
      {"Application/X-WWW-Form-Urlencoded", body, ""},
      {"text/plain", body, "form:content_type"},
      {"", body, "form:content_type"},
      {kFormType, "transaction=" + body.substr(12), "form:no_transaction_parameter"},
      {kFormType, body.substr(12), "form:no_transaction_parameter"},
      {kFormType, body + "&x=1", "form:extra_parameter"},
      {kFormType, body + "&", "form:extra_parameter"},
      {kFormType, body.substr(0, blank) + "+" + body.substr(blank + 3), "form:unescaped:2B"},
      {kFormType, body.substr(0, blank) + " " + body.substr(blank + 3), "form:unescaped:20"},
      {kFormType, body + "~", "form:unescaped:7E"},
      {kFormType, body.substr(0, body.size() - 3) + "%1c", "form:bad_escape"},
      {kFormType, body.substr(0, body.size() - 2), "form:bad_escape"},
      {kFormType, body.substr(0, body.size() - 3) + "%1G", "form:bad_escape"},
      {kFormType, "Transaction=%49PS.123456", "form:needless_escape:49"},
      {kFormType, "Transaction=IPS%2E123456", "form:needless_escape:2E"},
      {kFormType, "Transaction=", "message:field_count_0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.contentType + " | " + row.body);
    EXPECT_EQ(row.reason, CheckFormRequest(row.contentType, row.body).reason);
  }
}

TEST(RequestCheckTest, HighBytesAndMarksAreDecodedByTheirEscapes) {
  // Merchant id "M\xE9'()*-._!" and terminal "T~1": escapes decode to the very bytes.
  std::string body = kExampleBody;
  body.replace(body.find("887700123"), 9, "M%E9'()*-._!");
  body.replace(body.find("T0001"), 5, "T%7E1");
  const RequestCheck check = CheckFormRequest(kFormType, body);
  ASSERT_TRUE(check.ok()) << check.reason;
  EXPECT_EQ("M\xE9'()*-._!", check.request.merchantId);
  EXPECT_EQ("T~1", check.request.terminalId);
}

}  // namespace
