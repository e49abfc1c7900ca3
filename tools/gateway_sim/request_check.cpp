#include "tools/gateway_sim/request_check.h"

#include <httplib.h>

#include <charconv>
#include <cstdio>
#include <vector>

namespace gwsim {

namespace {

constexpr size_t kBatchSequenceMinDigits = 12;  // batch (6 or more) + sequence (6)
constexpr size_t kSequenceDigits = 6;
constexpr size_t kZoneDigits = 3;
constexpr size_t kCategoryMinDigits = 4;
constexpr size_t kTimestampDigits = 14;
constexpr std::string_view kField2Prefix = "02";
constexpr std::string_view kField4Prefix = "C0";
constexpr std::string_view kCuDigits = "CU00";
constexpr std::string_view kIndicators = " D";
constexpr std::string_view kCurrencyCode = "840";
constexpr std::string_view kTimestampPrefix = "N";
constexpr char kEscape = '%';
constexpr char kParameterSeparator = '&';

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

int DigitsValue(std::string_view digits) {
  int value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

bool IsUpperHex(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }

int HexValue(char upperHex) { return IsDigit(upperHex) ? upperHex - '0' : upperHex - 'A' + 10; }

// The 70 bytes a form encoder copies; every other byte arrives as %XX.
bool IsUnreserved(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(static_cast<char>(c))) {
    return true;
  }
  switch (c) {
    case '!': case '\'': case '(': case ')': case '*': case '-': case '.': case '_':
      return true;
    default:
      return false;
  }
}

std::string HexToken(const char* what, unsigned char byte) {
  char text[32];
  std::snprintf(text, sizeof text, "%s:%02X", what, byte);
  return text;
}

// The reason the encoded text is not exactly what the plug-in's encoder writes, or "".
std::string CheckEscapes(std::string_view encoded) {
  for (size_t i = 0; i < encoded.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(encoded[i]);
    if (c == kParameterSeparator) return "form:extra_parameter";
    if (c != kEscape) {
      if (!IsUnreserved(c)) return HexToken("form:unescaped", c);
      continue;
    }
    if (i + 2 >= encoded.size()) return "form:bad_escape";
    if (!IsUpperHex(encoded[i + 1]) || !IsUpperHex(encoded[i + 2])) return "form:bad_escape";
    const unsigned char value =
        static_cast<unsigned char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2]));
    if (IsUnreserved(value)) return HexToken("form:needless_escape", value);
    i += 2;
  }
  return "";
}

// The media type of a Content-Type value: before any ';', blanks trimmed, lower case.
std::string MediaType(std::string_view contentType) {
  std::string_view type = contentType.substr(0, contentType.find(';'));
  while (!type.empty() && type.front() == ' ') type.remove_prefix(1);
  while (!type.empty() && type.back() == ' ') type.remove_suffix(1);
  std::string lower(type);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool TakePrefix(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}

// Amount: optional minus, decimal digits without leading zeros, in 32-bit range.
bool ParseAmount(std::string_view text, int32_t& value) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  if (!AllDigits(digits) || (digits.size() > 1 && digits.front() == '0')) return false;
  if (text == "-0") return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool InRange(std::string_view digits, int low, int high) {
  const int value = DigitsValue(digits);
  return value >= low && value <= high;
}

// MMDDYYYYhhmmss with each part in its calendar range.
bool ValidTimestamp(std::string_view t) {
  constexpr int kLastMonth = 12, kLastDay = 31, kLastHour = 23, kLastMinute = 59,
                kLastSecond = 60;  // a leap second is a valid local time
  return t.size() == kTimestampDigits && AllDigits(t) && InRange(t.substr(0, 2), 1, kLastMonth) &&
         InRange(t.substr(2, 2), 1, kLastDay) && InRange(t.substr(8, 2), 0, kLastHour) &&
         InRange(t.substr(10, 2), 0, kLastMinute) && InRange(t.substr(12, 2), 0, kLastSecond);
}

void Fail(RequestCheck& check, std::string reason) {
  if (check.reason.empty()) check.reason = std::move(reason);
}

void CheckField2(std::string_view field, RequestCheck& check) {
  if (!TakePrefix(field, kField2Prefix)) return Fail(check, "field2:prefix");
  // The code is followed by a fixed "0" before the merchant id.
  if (TakePrefix(field, std::to_string(kChargeCode) + "0")) {
    check.request.transactionCode = kChargeCode;
  } else if (TakePrefix(field, std::to_string(kTestCode) + "0")) {
    check.request.transactionCode = kTestCode;
  } else {
    return Fail(check, "field2:transaction_code");
  }
  if (field.empty()) return Fail(check, "field2:merchant_id_empty");
  check.request.merchantId = field;
}

void CheckField4(std::string_view field, RequestCheck& check) {
  GatewayRequest& request = check.request;
  if (!TakePrefix(field, kField4Prefix)) return Fail(check, "field4:prefix");
  size_t digits = 0;
  while (digits < field.size() && IsDigit(field[digits])) ++digits;
  if (digits < kBatchSequenceMinDigits) return Fail(check, "field4:batch_sequence");
  request.batch = field.substr(0, digits - kSequenceDigits);
  request.sequence = field.substr(digits - kSequenceDigits, kSequenceDigits);
  field.remove_prefix(digits);
  if (DigitsValue(request.sequence) == 0) Fail(check, "field4:sequence_zero");
  if (!TakePrefix(field, kCuDigits)) return Fail(check, "field4:cu_digits");
  if (!TakePrefix(field, kIndicators)) return Fail(check, "field4:indicators");
  const std::string_view zone = field.substr(0, kZoneDigits);
  if (zone.size() != kZoneDigits || !AllDigits(zone) ||
      !InRange(zone, kFirstZoneCode, kLastZoneCode)) {
    return Fail(check, "field4:zone_code");
  }
  request.zoneCode = DigitsValue(zone);
  field.remove_prefix(kZoneDigits);
  if (field.empty()) return Fail(check, "field4:card_empty");
  request.card = field;
}

}  // namespace

RequestCheck CheckMessage(std::string_view message) {
  RequestCheck check;
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t i = 0; i < message.size(); ++i) {
    if (message[i] != kFieldSeparator) continue;
    fields.push_back(message.substr(start, i - start));
    start = i + 1;
  }
  if (start != message.size()) {
    check.reason = "message:no_final_separator";
    return check;
  }
  if (fields.size() != kMessageFieldCount) {
    check.reason = "message:field_count_" + std::to_string(fields.size());
    return check;
  }
  check.fieldsRead = true;

  // Field numbers below are those of the message, counted from 1.
  const auto field = [&fields](size_t number) { return fields[number - 1]; };
  const auto expect = [&](size_t number, std::string_view wanted, const char* reason) {
    if (field(number) != wanted) Fail(check, "field" + std::to_string(number) + ":" + reason);
  };
  GatewayRequest& request = check.request;

  expect(1, kMessageHeader, "header");
  CheckField2(field(2), check);
  if (field(3).empty()) Fail(check, "field3:terminal_id_empty");
  request.terminalId = field(3);
  CheckField4(field(4), check);
  expect(5, "H", "not_H");
  expect(6, "Y", "not_Y");
  expect(7, "", "not_empty");
  request.amountRead = ParseAmount(field(8), request.amountCents);
  if (!request.amountRead) Fail(check, "field8:amount");
  for (size_t number : {9, 10, 11}) expect(number, "", "not_empty");
  if (field(12).size() < kCategoryMinDigits || !AllDigits(field(12))) {
    Fail(check, "field12:category_code");
  } else {
    request.categoryCode = field(12);
  }
  expect(13, kCurrencyCode, "currency_code");
  expect(14, "U", "not_U");
  std::string_view stamp = field(15);
  if (!TakePrefix(stamp, kTimestampPrefix) || !ValidTimestamp(stamp)) {
    Fail(check, "field15:timestamp");
  } else {
    request.timestamp = stamp;
  }
  for (size_t number = 16; number <= kMessageFieldCount; ++number) {
    expect(number, "", "not_empty");
  }
  return check;
}

RequestCheck CheckFormRequest(std::string_view contentType, std::string_view body) {
  RequestCheck check;
  if (MediaType(contentType) != kFormContentType) {
    check.reason = "form:content_type";
    return check;
  }
  if (body.substr(0, kFormPrefix.size()) != kFormPrefix) {
    check.reason = "form:no_transaction_parameter";
    return check;
  }
  const std::string_view encoded = body.substr(kFormPrefix.size());
  const std::string fault = CheckEscapes(encoded);
  if (!fault.empty()) {
    check.reason = fault;
    return check;
  }
  return CheckMessage(httplib::detail::decode_url(std::string(encoded), true));
}

}  // namespace gwsim
