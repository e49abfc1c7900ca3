#include "gateway/reply_parser.h"

#include <cstring>

#include "gateway/wire_format.h"
#include "settings/module_state.h"

namespace {

constexpr int kCodeSeparator = 3;     // the code sits in the field after this FS
constexpr int kMessageSeparator = 8;  // the message is the field after this FS
constexpr size_t kCodeOffset = 8;     // places after its FS of the code's first character
constexpr size_t kCodeLength = 2;

constexpr void CopyText(char* field, const char* text) {
  while (*text != '\0') *field++ = *text++;
  *field = '\0';
}

constexpr GatewayResponse DefaultResponse() {
  GatewayResponse response{};
  CopyText(response.ResponseCode, kDefaultResponseCode);
  CopyText(response.ResponseMessage, kDefaultResponseMessage);
  return response;
}

// The code characters that stand before the reply's end.
void TakeCode(const char* separator, GatewayResponse& response) {
  size_t ahead = 0;
  while (ahead < kCodeOffset + kCodeLength - 1 && separator[ahead + 1] != '\0') ++ahead;
  size_t taken = 0;
  for (size_t place = kCodeOffset; place <= ahead; ++place) {
    response.ResponseCode[taken++] = separator[place];
  }
  response.ResponseCode[taken] = '\0';
}

void TakeMessage(const char* start, GatewayResponse& response) {
  size_t length = 0;
  while (length < sizeof response.ResponseMessage - 1 && start[length] != '\0' &&
         start[length] != kFieldSeparator) {
    ++length;
  }
  std::memcpy(response.ResponseMessage, start, length);
  response.ResponseMessage[length] = '\0';
}

}  // namespace

constinit GatewayResponse CurrentResponse = DefaultResponse();

namespace {

const ModuleStateReset kResetResponse{[] { CurrentResponse = DefaultResponse(); }};

}  // namespace

void ParseGatewayReply(const char* reply, GatewayResponse& response) {
  response = DefaultResponse();
  if (reply == nullptr) return;

  int separators = 0;
  for (const char* p = reply; *p != '\0'; ++p) {
    if (*p != kFieldSeparator) continue;
    ++separators;
    if (separators == kCodeSeparator) TakeCode(p, response);
    if (separators == kMessageSeparator) TakeMessage(p + 1, response);
  }
}

bool BeginsWithErrorText(const char* reply) {
  return reply != nullptr && std::strncmp(reply, kErrorTextPrefix, std::strlen(kErrorTextPrefix)) == 0;
}

bool ReplyCarriesCode(const char* reply) {
  if (reply == nullptr) return false;
  int separators = 0;
  const char* p = reply;
  for (; *p != '\0' && separators < kCodeSeparator; ++p) {
    if (*p == kFieldSeparator) ++separators;
  }
  if (separators < kCodeSeparator) return false;
  // p is the first character of field 4, which must reach as far as the code's end.
  for (size_t place = 0; place < kCodeOffset + kCodeLength - 1; ++place) {
    if (p[place] == '\0' || p[place] == kFieldSeparator) return false;
  }
  return true;
}
