#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "gateway/request_message.h"
#include "gateway/transaction_record.h"
#include "gateway/write_ahead.h"
#include "records/sequence_store.h"
#include "settings/module_state.h"
#include "settings/settings.h"

namespace {

char FormBody[kFormBodySize];  // where the tests have the request built

const std::string FS = "\x1C";

// The charge of the worked example: 18 July 2018, 14:05:09, a zone name beginning 'C'.
const std::string kExampleMessage =
    "IPS.123456" + FS + "022000887700123" + FS + "T0001" + FS +
    "C0000001000017CU00 D7066039501234567890" + FS + "H" + FS + "Y" + FS + FS + "250" + FS +
    FS + FS + FS + "5999" + FS + "840" + FS + "U" + FS + "N07182018140509" + FS + FS + FS + FS +
    FS + FS + FS + FS;
const std::string kExampleFormBody =
    "Transaction=IPS.123456%1C022000887700123%1CT0001%1CC0000001000017CU00%20D7066039501234567890"
    "%1CH%1CY%1C%1C250%1C%1C%1C%1C5999%1C840%1CU%1CN07182018140509%1C%1C%1C%1C%1C%1C%1C%1C";

std::string HexCell(const std::string& text, size_t i) {
  if (i >= text.size()) return "   ";
  char cell[4];
  std::snprintf(cell, sizeof cell, "%02X ", static_cast<unsigned char>(text[i]));
  return cell;
}

// Both texts side by side, 16 bytes a row, rows that differ marked with '!'.
std::string HexDiff(const std::string& expected, const std::string& actual) {
  std::string out = "\n  offset  expected                                         actual\n";
  const size_t length = std::max(expected.size(), actual.size());
  for (size_t row = 0; row < length; row += 16) {
    char line[160];
    std::string left;
    std::string right;
    for (size_t i = row; i < row + 16; ++i) {
      left += HexCell(expected, i);
      right += HexCell(actual, i);
    }
    const bool same = expected.compare(row, 16, actual, row, 16) == 0;
    std::snprintf(line, sizeof line, "%c %06zx  %s %s\n", same ? ' ' : '!', row, left.c_str(),
                  right.c_str());
    out += line;
  }
  return out;
}

#define EXPECT_BYTES(expected, actual) \
  EXPECT_EQ(expected, actual) << HexDiff(expected, actual)

std::vector<std::string> SplitFields(const std::string& message) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t fs = message.find('\x1C'); fs != std::string::npos; fs = message.find('\x1C', start)) {
    fields.push_back(message.substr(start, fs - start));
    start = fs + 1;
  }
  EXPECT_EQ(message.size(), start) << "message does not end with FS";
  return fields;
}

// An independent reading of the form encoding, for round trips.
std::string DecodeForm(const std::string& encoded) {
  std::string out;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '%' && i + 2 < encoded.size()) {
      out += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += encoded[i];
    }
  }
  return out;
}

class RequestMessageTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetAll(); }

  void ResetAll() {
    fake::ResetPlatformFakes();
    ResetModuleState();
    std::memset(&record_, 0, sizeof record_);
    // The merchant identity FillTransaction copies into the record.
    std::strcpy(CurrentSettings.MerchantID, "887700123");
    std::strcpy(CurrentSettings.TerminalID, "T0001");
    CurrentSettings.BatchNumber = 1;
    CurrentSettings.MerchantCode = 5999;
  }

  // Fills and builds as the dialogs do; the store hands out storedBefore + 1.
  void Build(TransactionKind kind, int32_t storedBefore) {
    char section[32];
    std::snprintf(section, sizeof section, "Batch%06d", CurrentSettings.BatchNumber);
    fake::storeFiles["C:\\Station\\CSBatchSeq.INI"] =
        std::string("[") + section + "]\r\nSeqNumber=" + std::to_string(storedBefore) + "\r\n";
    FillAndBuild(kind);
  }
  void FillAndBuild(TransactionKind kind) {
    FillTransaction(record_, kind);
    JournalEntry entry{};
    ASSERT_TRUE(TakeNumberAndRecordSending(record_, kind, entry).MaySend());
    BuildRequest(record_, FormBody);
  }
  std::string Message() const {
    char message[kRequestMessageSize];
    FormatRequestMessage(record_, message);
    return message;
  }

  TransactionRecord record_;
};

TEST_F(RequestMessageTest, WorkedExampleIsPinnedByteForByte) {
  std::strcpy(record_.CardNumber, "6039501234567890");
  record_.AmountCents = 250;
  Build(TransactionKind::Charge, 16);

  ASSERT_EQ(119u, kExampleMessage.size());
  ASSERT_EQ(177u, kExampleFormBody.size());
  EXPECT_BYTES(kExampleMessage, Message());
  EXPECT_BYTES(kExampleFormBody, std::string(FormBody));
  EXPECT_EQ(22u, SplitFields(Message()).size());
}

TEST_F(RequestMessageTest, FillingSetsEveryPerTransactionField) {
  struct Row { TransactionKind kind; int32_t code; int32_t amount; };
  const Row rows[] = {
      {TransactionKind::Charge, 200, 250},
      {TransactionKind::Deposit, 200, 250},
      {TransactionKind::Test, 100, 100},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    std::memset(record_.Indicator1, 'x', sizeof record_.Indicator1);
    std::memset(record_.Indicator3, 'x', sizeof record_.Indicator3);
    std::strcpy(record_.CardNumber, "6039501234567890");
    record_.AmountCents = 250;
    record_.CuDigits = 5;
    record_.CurrencyCode = 0;
    std::strcpy(record_.MerchantID, "stale");
    record_.BatchNumber = 9;
    FillTransaction(record_, row.kind);
    EXPECT_EQ(row.code, record_.TransactionCode);
    EXPECT_EQ(0, record_.CuDigits);
    EXPECT_STREQ(" ", record_.Indicator1);
    EXPECT_STREQ("D", record_.Indicator2);
    EXPECT_EQ(706, record_.TimeZoneCode);
    EXPECT_STREQ("H", record_.Indicator3);
    EXPECT_STREQ("Y", record_.Indicator4);
    EXPECT_EQ(row.amount, record_.AmountCents);
    EXPECT_EQ(840, record_.CurrencyCode);
    EXPECT_STREQ("6039501234567890", record_.CardNumber);  // the caller's
    EXPECT_STREQ("887700123", record_.MerchantID);         // from the settings
    EXPECT_STREQ("T0001", record_.TerminalID);
    EXPECT_EQ(1, record_.BatchNumber);
    EXPECT_EQ(5999, record_.MerchantCode);
  }
}

TEST_F(RequestMessageTest, TimeZoneCodeLooksAtTheFirstCharacterOnly) {
  struct Row { unsigned short initial; int32_t code; };
  const Row rows[] = {
      {u'C', 706}, {u'M', 707}, {u'P', 708}, {u'c', 705}, {u'm', 705}, {u'p', 705},
      {u'E', 705}, {u'A', 705}, {0, 705},    {0x0143, 705}, {0xFF2D, 705},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.initial);
    EXPECT_EQ(row.code, TimeZoneCodeFor(row.initial));
  }
}

// The zone's key name decides, whatever language Windows shows its names in; the
// translated standard-time name counts only where there is no key name.
TEST_F(RequestMessageTest, TimeZoneCodeFollowsTheKeyNameNotTheTranslatedName) {
  struct Row { std::u16string key, standard; int32_t code; };
  const Row rows[] = {
      {u"Pacific Standard Time", u"Hora est\u00e1ndar del Pac\u00edfico", 708},
      {u"Mountain Standard Time", u"Heure normale des Rocheuses", 707},
      {u"Central Standard Time", u"Hora est\u00e1ndar central", 706},
      {u"W. Europe Standard Time", u"Mitteleurop\u00e4ische Zeit", 705},
      {u"", u"Pacific Standard Time", 708},
      {u"", u"", 705},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.key.begin(), row.key.end()));
    fake::zoneKeyName = row.key;
    fake::zoneStandardName = row.standard;
    FillTransaction(record_, TransactionKind::Charge);
    EXPECT_EQ(row.code, record_.TimeZoneCode);
  }
}

TEST_F(RequestMessageTest, FieldsFollowTheRecord) {
  struct Row {
    const char* what;
    void (*change)(TransactionRecord&);
    size_t field;  // 0-based
    const char* expected;
  };
  const Row rows[] = {
      {"first number of batch 1", [](TransactionRecord& r) { r.SequenceNumber = 1; }, 3,
       "C0000001000001CU00 D7066039501234567890"},
      {"seven-digit batch", [](TransactionRecord& r) { r.BatchNumber = 1234567; }, 3,
       "C01234567000017CU00 D7066039501234567890"},
      {"negative batch", [](TransactionRecord& r) { r.BatchNumber = -1; }, 3,
       "C0-00001000017CU00 D7066039501234567890"},
      {"wide zone code", [](TransactionRecord& r) { r.TimeZoneCode = 7; }, 3,
       "C0000001000017CU00 D0076039501234567890"},
      {"empty indicators pad to one blank",
       [](TransactionRecord& r) { r.Indicator1[0] = r.Indicator2[0] = '\0'; }, 3,
       "C0000001000017CU00  7066039501234567890"},
      {"merchant code 742", [](TransactionRecord& r) { r.MerchantCode = 742; }, 11, "0742"},
      {"merchant code 123456", [](TransactionRecord& r) { r.MerchantCode = 123456; }, 11,
       "123456"},
      {"negative merchant code", [](TransactionRecord& r) { r.MerchantCode = -5; }, 11, "-005"},
      {"empty merchant id", [](TransactionRecord& r) { r.MerchantID[0] = '\0'; }, 1, "022000"},
      {"test transaction", [](TransactionRecord& r) { r.TransactionCode = 100; }, 1,
       "021000887700123"},
      {"31-character merchant id",
       [](TransactionRecord& r) { std::memset(r.MerchantID, 'M', 31); r.MerchantID[31] = 0; }, 1,
       "022000MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM"},
      {"empty terminal id", [](TransactionRecord& r) { r.TerminalID[0] = '\0'; }, 2, ""},
      {"amount 0", [](TransactionRecord& r) { r.AmountCents = 0; }, 7, "0"},
      {"negative amount", [](TransactionRecord& r) { r.AmountCents = -250; }, 7, "-250"},
      {"largest amount", [](TransactionRecord& r) { r.AmountCents = INT_MAX; }, 7, "2147483647"},
      {"currency code", [](TransactionRecord& r) { r.CurrencyCode = 36; }, 12, "036"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ResetAll();
    std::strcpy(record_.CardNumber, "6039501234567890");
    record_.AmountCents = 250;
    Build(TransactionKind::Charge, 16);
    row.change(record_);
    const std::vector<std::string> fields = SplitFields(Message());
    ASSERT_EQ(22u, fields.size());
    EXPECT_EQ(row.expected, fields[row.field]);
  }
}

TEST_F(RequestMessageTest, TimeStampIsMonthDayYearHourMinuteSecond) {
  struct Row { LocalDateTime t; const char* field; };
  const Row rows[] = {
      {{2018, 7, 18, 14, 5, 9}, "N07182018140509"},
      {{2000, 1, 1, 0, 0, 0}, "N01012000000000"},
      {{2037, 12, 31, 23, 59, 59}, "N12312037235959"},
      {{999, 2, 29, 9, 8, 7}, "N02290999090807"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.field);
    fake::now = row.t;
    EXPECT_EQ(row.field, SplitFields(Message())[14]);
  }
}

TEST_F(RequestMessageTest, CardNumberOf79CharactersIsSentWhole) {
  std::memset(record_.CardNumber, '9', 79);
  record_.CardNumber[79] = '\0';
  Build(TransactionKind::Charge, 0);
  const std::string field4 = SplitFields(Message())[3];
  EXPECT_EQ(std::string("C0000001000001CU00 D706") + std::string(79, '9'), field4);
  EXPECT_NE(nullptr, std::strstr(FormBody, ("D706" + std::string(79, '9') + "%1CH").c_str()));
}

TEST_F(RequestMessageTest, ThreeMessagesInOneSecondDifferOnlyInTheirSequenceNumbers) {
  std::strcpy(record_.CardNumber, "6039501234567890");
  std::string bodies[3];
  for (std::string& body : bodies) {
    FillAndBuild(TransactionKind::Charge);
    body = FormBody;
  }
  for (int i = 0; i < 3; ++i) {
    std::string expected = bodies[0];
    expected.replace(expected.find("000001CU"), 6, "00000" + std::to_string(i + 1));
    EXPECT_BYTES(expected, bodies[i]);
  }
}

TEST_F(RequestMessageTest, WidestRecordFitsBothBuffers) {
  // Every string at its longest, every byte needing an escape, every number at its widest.
  std::memset(record_.MerchantID, '\xFF', 31);
  std::memset(record_.TerminalID, '\xFF', 31);
  std::memset(record_.CardNumber, '\xFF', 79);
  for (char* indicator : {record_.Indicator1, record_.Indicator2, record_.Indicator3,
                          record_.Indicator4}) {
    std::memset(indicator, '\xFF', 7);
  }
  for (int32_t* number : {&record_.TransactionCode, &record_.BatchNumber, &record_.SequenceNumber,
                          &record_.CuDigits, &record_.TimeZoneCode, &record_.AmountCents,
                          &record_.MerchantCode, &record_.CurrencyCode}) {
    *number = INT_MIN;
  }
  fake::now = LocalDateTime{-2147483647, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN};
  const std::string message = Message();
  BuildRequest(record_, FormBody);
  const std::string body = FormBody;
  EXPECT_LT(message.size(), kRequestMessageSize);
  EXPECT_LT(body.size(), kFormBodySize);
  EXPECT_EQ(22u, SplitFields(message).size());
  EXPECT_EQ(message, DecodeForm(body.substr(12)));
}

// The encoder, byte value by byte value.

TEST(FormEncoding, ExactlySeventyBytesAreCopied) {
  const std::string unescaped =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!'()*-._";
  ASSERT_EQ(70u, unescaped.size());
  int copied = 0;
  for (int byte = 0; byte < 256; ++byte) {
    SCOPED_TRACE(byte);
    const bool listed = byte != 0 && unescaped.find(static_cast<char>(byte)) != std::string::npos;
    EXPECT_EQ(!listed, NeedsEscape(static_cast<unsigned char>(byte)));
    copied += NeedsEscape(static_cast<unsigned char>(byte)) ? 0 : 1;
  }
  EXPECT_EQ(70, copied);
}

TEST(FormEncoding, EveryByteValueEncodesAsItselfOrAnUpperCaseEscape) {
  std::string all;
  std::string expectedAll;
  for (int byte = 1; byte < 256; ++byte) {
    SCOPED_TRACE(byte);
    const char source[2] = {static_cast<char>(byte), '\0'};
    char encoded[4];
    std::memset(encoded, '#', sizeof encoded);
    UrlEncodeForm(source, encoded);
    char expected[4];
    if (NeedsEscape(static_cast<unsigned char>(byte))) {
      std::snprintf(expected, sizeof expected, "%%%02X", byte);
    } else {
      std::snprintf(expected, sizeof expected, "%c", byte);
    }
    EXPECT_STREQ(expected, encoded);
    all += source;
    expectedAll += expected;
  }
  std::vector<char> encoded(all.size() * 3 + 1, '#');
  UrlEncodeForm(all.c_str(), encoded.data());
  EXPECT_EQ(expectedAll, std::string(encoded.data()));
  EXPECT_EQ(all, DecodeForm(encoded.data()));
}

TEST(FormEncoding, NamedCases) {
  struct Row { const char* source; const char* encoded; };
  const Row rows[] = {
      {"", ""},
      {" ", "%20"},
      {"\x1C", "%1C"},
      {"~", "%7E"},
      {"\xE9", "%E9"},
      {"a+b=c&d", "a%2Bb%3Dc%26d"},
      {"100%", "100%25"},
      {"it's (a)*-._!", "it's%20(a)*-._!"},
      {"\x7F\x80\xFF", "%7F%80%FF"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.source);
    char encoded[64];
    UrlEncodeForm(row.source, encoded);
    EXPECT_STREQ(row.encoded, encoded);
  }
}

TEST_F(RequestMessageTest, HighBytesInTheRecordAreEscapedOnce) {
  std::strcpy(CurrentSettings.MerchantID, "\xE9" "887");
  std::strcpy(CurrentSettings.TerminalID, "T\x80");
  std::strcpy(record_.CardNumber, "60395\xFF");
  Build(TransactionKind::Charge, 0);
  const std::string body = FormBody;
  EXPECT_NE(std::string::npos, body.find("%1C022000%E9887%1CT%80%1C")) << body;
  EXPECT_NE(std::string::npos, body.find("D70660395%FF%1CH")) << body;
  EXPECT_EQ(0u, body.find("Transaction=IPS.123456%1C"));
}

}  // namespace
