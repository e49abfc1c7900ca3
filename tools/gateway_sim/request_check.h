#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The gateway's side of the request: the form body "Transaction=" + the form-encoded
// message, and the message of 22 FS-terminated fields. Decoding is cpp-httplib's,
// deliberately not the plug-in's own, so that the two check each other.
namespace gwsim {

inline constexpr char kFieldSeparator = '\x1C';
inline constexpr size_t kMessageFieldCount = 22;
inline constexpr std::string_view kFormPrefix = "Transaction=";
inline constexpr std::string_view kFormContentType = "application/x-www-form-urlencoded";
inline constexpr std::string_view kMessageHeader = "IPS.123456";
inline constexpr int kChargeCode = 200;
inline constexpr int kTestCode = 100;
inline constexpr int kFirstZoneCode = 705;
inline constexpr int kLastZoneCode = 708;

// What the message says. Text fields are as received; a field whose check failed, or
// that follows a failed structural check, stays empty (numbers 0).
struct GatewayRequest {
  int transactionCode = 0;    // 200 or 100
  std::string merchantId;
  std::string terminalId;
  std::string batch;          // digits as sent, at least six
  std::string sequence;       // six digits
  int zoneCode = 0;           // 705 to 708
  std::string card;           // the rest of field 4: card number, maybe "=" and track data
  int32_t amountCents = 0;
  bool amountRead = false;
  std::string categoryCode;   // at least four digits
  std::string timestamp;      // MMDDYYYYhhmmss
};

// The outcome of the checks. reason is empty when the request is well formed, else a
// short token without blanks naming the first fault, such as "field4:zone_code".
struct RequestCheck {
  GatewayRequest request;
  std::string reason;
  bool fieldsRead = false;    // the message had its 22 fields, so request is filled

  bool ok() const { return reason.empty(); }
};

// Checks the Content-Type (its media type), the form body's single "Transaction"
// parameter and its escapes (exactly the bytes other than A-Z a-z 0-9 ! ' ( ) * - . _
// as %XX with upper-case digits, nothing else), decodes it and checks the message.
RequestCheck CheckFormRequest(std::string_view contentType, std::string_view body);

// Checks a decoded message.
RequestCheck CheckMessage(std::string_view message);

}  // namespace gwsim
