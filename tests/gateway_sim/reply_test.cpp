#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/gateway_sim/reply.h"

namespace {

constexpr char kFs = '\x1C';
constexpr size_t kClientReadLimit = 1024;  // what the plug-in reads of a reply

std::vector<std::string> Split(const std::string& reply) {
  std::vector<std::string> fields(1);
  for (char c : reply) {
    if (c == kFs) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// The reply as the plug-in reads it: the two characters 8 and 9 places after FS 3,
// and the text after FS 8 up to the next FS.
void ReadAsClient(const std::string& reply, std::string& code, std::string& message) {
  code = "99";
  message = "Unknown data";
  int separators = 0;
  for (size_t i = 0; i < reply.size(); ++i) {
    if (reply[i] != kFs) continue;
    ++separators;
    if (separators == 3) code = reply.substr(i + 8, 2);
    if (separators == 8) message = reply.substr(i + 1, reply.find(kFs, i + 1) - i - 1);
  }
}

gwsim::ReplyFields Fields(const char* code, const char* message, unsigned authorisation) {
  gwsim::ReplyFields fields;
  fields.transactionCode = "200";
  fields.terminalId = "T0001";
  fields.sequence = "000017";
  fields.responseCode = code;
  fields.authorisation = authorisation;
  fields.maskedCard = "603950******7890";
  fields.amount = "250";
  fields.balance = "9750";
  fields.batch = "000001";
  fields.message = message;
  return fields;
}

TEST(ReplyTest, CodeAndMessageSitWhereTheClientReadsThem) {
  struct Row {
    const char* code;
    const char* message;
    unsigned authorisation;
    const char* field4;
  };
  const Row rows[] = {
      {"00", "APPROVED", 1, "R00001700000001"},
      {"51", "INSUFFICIENT FUNDS", 0, "R00001751000000"},
      {"14", "INVALID CARD", 0, "R00001714000000"},
      {"30", "FORMAT ERROR", 0, "R00001730000000"},
      {"00", "APPROVED", 999999, "R00001700999999"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    const std::string reply = gwsim::BuildReply(Fields(row.code, row.message, row.authorisation));
    const std::vector<std::string> fields = Split(reply);
    ASSERT_EQ(gwsim::kReplyFieldCount, fields.size());
    EXPECT_EQ("IPS.123456", fields[0]);
    EXPECT_EQ(row.field4, fields[3]);
    EXPECT_EQ("603950******7890", fields[4]);
    EXPECT_EQ("9750", fields[6]);
    std::string code, message;
    ReadAsClient(reply, code, message);
    EXPECT_EQ(row.code, code);
    EXPECT_EQ(row.message, message);
  }
}

TEST(ReplyTest, UnreadableSequenceKeepsTheCodeInPlace) {
  gwsim::ReplyFields fields = Fields("30", "FORMAT ERROR", 0);
  fields.sequence = "";
  fields.terminalId = "C0000001000017CU00 D7066039501234567890";  // shifted message
  const std::string reply = gwsim::BuildReply(fields);
  std::string code, message;
  ReadAsClient(reply, code, message);
  EXPECT_EQ("30", code);
  EXPECT_EQ("FORMAT ERROR", message);
  EXPECT_EQ(std::string::npos, reply.find("6039501234567890"));
}

TEST(ReplyTest, OversizeReplyIsValidWithinTheFirstReadAndLongPastIt) {
  const std::string reply = gwsim::BuildReply(Fields("00", "APPROVED", 7));
  const std::string padded = gwsim::PadReply(reply);
  EXPECT_EQ(gwsim::kOversizeReplyLength, padded.size());
  EXPECT_GT(padded.size(), kClientReadLimit);
  EXPECT_EQ(reply + kFs, padded.substr(0, reply.size() + 1));
  std::string code, message;
  ReadAsClient(padded.substr(0, kClientReadLimit), code, message);
  EXPECT_EQ("00", code);
  EXPECT_EQ("APPROVED", message);
}

TEST(ReplyTest, MisbehavingBodiesHaveTheirShape) {
  EXPECT_EQ(std::string::npos, gwsim::GarbageReply().find(kFs));
  EXPECT_FALSE(gwsim::GarbageReply().empty());
  EXPECT_EQ(0u, gwsim::ErrorTextReply().rfind("Error:", 0));
}

}  // namespace
