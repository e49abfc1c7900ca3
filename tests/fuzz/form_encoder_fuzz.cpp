// The form encoder on arbitrary bytes, and BuildRequest on records made from them:
// the output holds only the 70 copied characters and upper-case escapes, and decodes
// back to exactly the input (the message, for a built request).
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fakes/fake_platform.h"
#include "gateway/request_message.h"
#include "records/sequence_store.h"

namespace {

char FormBody[kFormBodySize];  // where the request is built

constexpr char kCopied[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!'()*-._";

void Check(bool condition) {
  if (!condition) std::abort();
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower case included: escapes must be upper case
}

// Decodes, checking the form on the way.
std::string Decode(const char* encoded) {
  std::string out;
  for (const char* p = encoded; *p != '\0'; ++p) {
    if (*p != '%') {
      Check(std::strchr(kCopied, *p) != nullptr);
      out += *p;
      continue;
    }
    const int high = HexValue(p[1]);
    Check(high >= 0);
    const int low = HexValue(p[2]);
    Check(low >= 0);
    const char byte = static_cast<char>(high * 16 + low);
    Check(std::strchr(kCopied, byte) == nullptr || byte == '\0');  // escaped only when needed
    out += byte;
    p += 2;
  }
  return out;
}

// Copies up to room bytes of the input into field, never a NUL, always terminated.
void TakeText(const uint8_t*& data, size_t& size, char* field, size_t room) {
  size_t n = 0;
  while (n < room && size > 0 && *data != '\0') {
    field[n++] = static_cast<char>(*data++);
    --size;
  }
  field[n] = '\0';
  if (size > 0) {
    ++data;
    --size;
  }
}

int32_t TakeNumber(const uint8_t*& data, size_t& size) {
  uint32_t value = 0;
  for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) value = value << 8 | *data;
  return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> source(new char[size + 1]);
  std::memcpy(source.get(), data, size);
  source[size] = '\0';
  const size_t length = std::strlen(source.get());
  std::unique_ptr<char[]> encoded(new char[length * 3 + 1]);  // exactly the contract's room
  UrlEncodeForm(source.get(), encoded.get());
  Check(Decode(encoded.get()) == std::string(source.get(), length));

  // A record whose texts and numbers come from the input.
  fake::ResetPlatformFakes();
  TransactionRecord record{};
  TakeText(data, size, record.MerchantID, sizeof record.MerchantID - 1);
  TakeText(data, size, record.TerminalID, sizeof record.TerminalID - 1);
  TakeText(data, size, record.CardNumber, sizeof record.CardNumber - 1);
  TakeText(data, size, record.Indicator1, sizeof record.Indicator1 - 1);
  for (int32_t* number : {&record.TransactionCode, &record.BatchNumber, &record.SequenceNumber,
                          &record.TimeZoneCode, &record.AmountCents, &record.MerchantCode,
                          &record.CurrencyCode}) {
    *number = TakeNumber(data, size);
  }
  fake::now.year = TakeNumber(data, size);
  fake::now.second = TakeNumber(data, size);
  char message[kRequestMessageSize];
  const size_t messageLength = FormatRequestMessage(record, message);
  Check(messageLength < kRequestMessageSize);
  BuildRequest(record, FormBody);
  Check(std::strncmp(FormBody, kFormFieldName, std::strlen(kFormFieldName)) == 0);
  Check(std::strlen(FormBody) < kFormBodySize);
  Check(Decode(FormBody + std::strlen(kFormFieldName)) == std::string(message, messageLength));
  return 0;
}
