#include "gateway/reply_parser.h"

#include <cstring>

#include "gateway/wire_format.h"

namespace {

constexpr int kCodeSeparator = 3;     // the code sits in the field after this FS
constexpr int kMessageSeparator = 8;  // the message is the field after this FS
constexpr size_t kCodeOffset = 8;     // the code's first character is field 4's eighth
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

// True when the field that begins at start reaches the code's last place: a shorter
// field carries no code, and reading on would take characters of the next field.
bool FieldHoldsCode(const char* start) {
  for (size_t place = 0; place < kCodeOffset + kCodeLength - 1; ++place) {
    if (start[place] == '\0' || start[place] == kFieldSeparator) return false;
  }
  return true;
}

// Only a field 4 long enough gives a code; otherwise the default stays.
void TakeCode(const char* field, GatewayResponse& response) {
  if (!FieldHoldsCode(field)) return;
  std::memcpy(response.ResponseCode, field + kCodeOffset - 1, kCodeLength);
  response.ResponseCode[kCodeLength] = '\0';
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

void ParseGatewayReply(const char* reply, GatewayResponse& response) {
  response = DefaultResponse();
  if (reply == nullptr) return;

  int separators = 0;
  for (const char* p = reply; *p != '\0'; ++p) {
    if (*p != kFieldSeparator) continue;
    ++separators;
    if (separators == kCodeSeparator) TakeCode(p + 1, response);
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
  return FieldHoldsCode(p);  // p is the first character of field 4
}
