// The reply parser and the classification against a plain restatement of the reply
// format: fields split at FS up to the first NUL, the code the 8th and 9th characters
// of field 4 when it has nine or more, "99" otherwise, the message the field after FS 8 cut to 255 characters.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "gateway/exchange_outcome.h"
#include "gateway/reply_parser.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly sized and terminated: a read past the terminator lands in ASan's redzone.
  std::unique_ptr<char[]> reply(new char[size + 1]);
  std::memcpy(reply.get(), data, size);
  reply[size] = '\0';
  const std::string_view text(reply.get());  // up to the first NUL

  GatewayResponse response;
  std::memset(&response, 'x', sizeof response);
  response.ResponseMessage[sizeof response.ResponseMessage - 1] = '\0';
  response.ResponseCode[sizeof response.ResponseCode - 1] = '\0';
  const GatewayResponse before = response;
  const TransportResult answered{};
  const ExchangeOutcome outcome = ClassifyExchange(answered, reply.get(), response);

  if (text.substr(0, 6) == "Error:") {
    // The gateway's own text: shown as it stands, not parsed, and says nothing certain.
    Check(ReplyShownAsText(answered, reply.get()));
    Check(outcome == ExchangeOutcome::Unknown);
    Check(std::memcmp(&before, &response, sizeof response) == 0);
    return 0;
  }

  std::string code = "99";
  std::string message = "Unknown data";
  size_t separators = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\x1C') continue;
    ++separators;
    if (separators == 3) {
      const std::string_view rest = text.substr(i + 1);
      const std::string_view field4 = rest.substr(0, rest.find('\x1C'));
      if (field4.size() >= 9) code = std::string(field4.substr(7, 2));
    }
    if (separators == 8) {
      const std::string_view rest = text.substr(i + 1);
      message = std::string(rest.substr(0, std::min(rest.find('\x1C'), size_t{255})));
    }
  }
  Check(code == response.ResponseCode);
  Check(message == response.ResponseMessage);
  Check(!ReplyShownAsText(answered, reply.get()));
  Check((outcome == ExchangeOutcome::Approved) == (code == "00"));

  // A second parse of the same reply gives the same result.
  GatewayResponse again;
  ParseGatewayReply(reply.get(), again);
  Check(std::strcmp(again.ResponseCode, response.ResponseCode) == 0);
  Check(std::strcmp(again.ResponseMessage, response.ResponseMessage) == 0);
  return 0;
}
