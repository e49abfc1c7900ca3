#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gateway/exchange_outcome.h"
#include "gateway/reply_parser.h"
#include "settings/module_state.h"

namespace {

const std::string FS = "\x1C";

std::string Join(const std::vector<std::string>& fields) {
  std::string reply;
  for (size_t i = 0; i < fields.size(); ++i) reply += (i == 0 ? "" : FS) + fields[i];
  return reply;
}

// The ten fields of the documented example, cut to the first count.
std::string Example(size_t count = 10) {
  std::vector<std::string> fields = {"ABC", "12", "X", "ABCDEFG00HI", "K",
                                     "",    "Q",  "R", "APPROVED THANK YOU", "Z"};
  fields.resize(count);
  return Join(fields);
}

// Eight fields, then the message field and whatever follows.
std::string WithField4(const std::string& field4, const std::string& rest = "") {
  return Join({"A", "B", "C", field4}) + rest;
}

// How the dialogs take a body the gateway sent: shown as it stands, approved, or shown
// as its code and message.
enum class ReplyKind { TransportError, Approved, NotApproved };

ReplyKind ClassifyReply(const char* reply, GatewayResponse& response) {
  const TransportResult answered{};
  const ExchangeOutcome outcome = ClassifyExchange(answered, reply, response);
  if (ReplyShownAsText(answered, reply)) return ReplyKind::TransportError;
  return outcome == ExchangeOutcome::Approved ? ReplyKind::Approved : ReplyKind::NotApproved;
}

const char* KindName(ReplyKind kind) {
  switch (kind) {
    case ReplyKind::TransportError: return "transport error";
    case ReplyKind::Approved: return "approved";
    case ReplyKind::NotApproved: return "not approved";
  }
  return "?";
}

struct Row {
  const char* what;
  std::string reply;  // may hold a NUL: the reply then ends there
  const char* code;
  std::string message;
  ReplyKind kind;
};

TEST(ReplyParser, Replies) {
  const std::string eightFields = Join({"1", "2", "3", "ABCDEFG00HI", "5", "6", "7", "8"});
  const Row rows[] = {
      {"worked example", Example(), "00", "APPROVED THANK YOU", ReplyKind::Approved},
      {"cut after field 5", Example(5), "00", "Unknown data", ReplyKind::Approved},
      {"cut after field 2", Example(2), "99", "Unknown data", ReplyKind::NotApproved},
      {"cut after field 9", Example(9), "00", "APPROVED THANK YOU", ReplyKind::Approved},
      {"empty", "", "99", "Unknown data", ReplyKind::NotApproved},
      {"no separator", "ABCDEFG00HI APPROVED", "99", "Unknown data", ReplyKind::NotApproved},
      {"two separators", "A" + FS + "B" + FS + "ABCDEFG00", "99", "Unknown data",
       ReplyKind::NotApproved},
      {"empty message at the end", eightFields + FS, "00", "", ReplyKind::Approved},
      {"FS 8 followed by FS 9", eightFields + FS + FS + "Z", "00", "", ReplyKind::Approved},
      {"seven separators only", Example(8), "00", "Unknown data", ReplyKind::Approved},
      {"later separators change nothing", Example() + FS + "X" + FS + FS + "Y", "00",
       "APPROVED THANK YOU", ReplyKind::Approved},
      {"declined", WithField4("ABCDEFG05HI", Join({"", "", "", "", "", "DECLINED"})), "05",
       "DECLINED", ReplyKind::NotApproved},
      // A field 4 shorter than nine characters carries no code, whatever follows it.
      {"field 4 of eight, then FS", WithField4("ABCDEFGH", FS + "K"), "99", "Unknown data",
       ReplyKind::NotApproved},
      {"field 4 of two, 00 in field 5", WithField4("R9", FS + "ERRR00" + FS + FS + FS + FS +
       "FORMAT ERROR"), "99", "FORMAT ERROR", ReplyKind::NotApproved},
      {"field 4 of eight at the end", WithField4("ABCDEFG0"), "99", "Unknown data",
       ReplyKind::NotApproved},
      {"field 4 empty, 00 ahead", WithField4("", FS + "0000000000"), "99", "Unknown data",
       ReplyKind::NotApproved},
      {"field 4 of nine at the end", WithField4("ABCDEFG00"), "00", "Unknown data",
       ReplyKind::Approved},
      // 00 anywhere else in field 4 is not an approval.
      {"00 at the start of field 4", WithField4("00CDEFGHI"), "HI", "Unknown data",
       ReplyKind::NotApproved},
      {"00 one place late", WithField4("ABCDEFGH00"), "H0", "Unknown data",
       ReplyKind::NotApproved},
      {"000 from place 8", WithField4("ABCDEFG000"), "00", "Unknown data", ReplyKind::Approved},
      {"00 in field 3", Join({"A", "B", "00000000000", "ABCDEFG99"}), "99", "Unknown data",
       ReplyKind::NotApproved},
      {"letter O for zero", WithField4("ABCDEFG0O"), "0O", "Unknown data",
       ReplyKind::NotApproved},
      // A NUL ends the reply for every purpose.
      {"NUL before FS 8", Example(7) + std::string(1, '\0') + FS + "R" + FS + "MSG", "00",
       "Unknown data", ReplyKind::Approved},
      {"NUL inside the message", Example(8) + FS + "APPROVED" + std::string(1, '\0') + " MORE",
       "00", "APPROVED", ReplyKind::Approved},
      {"NUL inside the code", WithField4("ABCDEFG0" + std::string(1, '\0') + "0HI"), "99",
       "Unknown data", ReplyKind::NotApproved},
      {"NUL inside Error:", "Err" + std::string(1, '\0') + "or: x", "99", "Unknown data",
       ReplyKind::NotApproved},
      // The transport's own texts, and a gateway reply that looks like one.
      {"transport error", "Error: [12029]\n", "", "", ReplyKind::TransportError},
      {"Error: alone", "Error:", "", "", ReplyKind::TransportError},
      {"Error: then NUL", "Error:" + std::string(1, '\0') + "x", "", "", ReplyKind::TransportError},
      {"gateway text beginning Error:", "Error:" + FS + Example(), "", "",
       ReplyKind::TransportError},
      {"lower-case error:", "error: [500]", "99", "Unknown data", ReplyKind::NotApproved},
      {"no colon", "Error [500]", "99", "Unknown data", ReplyKind::NotApproved},
      {"leading blank", " Error:", "99", "Unknown data", ReplyKind::NotApproved},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    // An exactly-sized copy, so that the sanitizers see any read past the terminator.
    const size_t size = std::strlen(row.reply.c_str()) + 1;
    std::unique_ptr<char[]> reply(new char[size]);
    std::memcpy(reply.get(), row.reply.c_str(), size);

    GatewayResponse response;
    std::strcpy(response.ResponseCode, "");
    std::strcpy(response.ResponseMessage, "");
    const ReplyKind kind = ClassifyReply(reply.get(), response);
    EXPECT_STREQ(KindName(row.kind), KindName(kind));
    EXPECT_EQ(row.kind == ReplyKind::TransportError, BeginsWithErrorText(reply.get()));
    // A transport error is not parsed, so the response stays as it was.
    EXPECT_STREQ(row.code, response.ResponseCode);
    EXPECT_EQ(row.message, response.ResponseMessage);
  }
}

TEST(ReplyParser, MessageIsCutAt255Characters) {
  struct Length { size_t in; size_t out; };
  for (const Length& length : {Length{254, 254}, Length{255, 255}, Length{256, 255},
                               Length{1000, 255}}) {
    SCOPED_TRACE(length.in);
    const std::string message(length.in, 'm');
    GatewayResponse response;
    ParseGatewayReply((Example(8) + FS + message + FS + "Z").c_str(), response);
    EXPECT_EQ(message.substr(0, length.out), response.ResponseMessage);
    EXPECT_STREQ("00", response.ResponseCode);
  }
}

TEST(ReplyParser, EachParseStartsFromTheDefaults) {
  GatewayResponse response;
  ParseGatewayReply(Example().c_str(), response);
  EXPECT_STREQ("00", response.ResponseCode);
  ParseGatewayReply("ABC", response);
  EXPECT_STREQ("99", response.ResponseCode);
  EXPECT_STREQ("Unknown data", response.ResponseMessage);

  ParseGatewayReply(Example().c_str(), response);
  ParseGatewayReply(Example().c_str(), response);
  EXPECT_STREQ("00", response.ResponseCode);
  EXPECT_STREQ("APPROVED THANK YOU", response.ResponseMessage);
  ParseGatewayReply(nullptr, response);
  EXPECT_STREQ("99", response.ResponseCode);
  EXPECT_STREQ("Unknown data", response.ResponseMessage);
}

}  // namespace
