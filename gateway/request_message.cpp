#include "gateway/request_message.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "gateway/local_clock.h"
#include "gateway/sequence_store.h"
#include "gateway/wire_format.h"
#include "settings/module_state.h"
#include "settings/secure_erase.h"

char FormBody[kFormBodySize];

namespace {

constexpr const char* kMessagePrefix = "IPS.123456";
constexpr const char* kBlankIndicator = " ";
constexpr const char* kDebitIndicator = "D";
constexpr const char* kIndicator3 = "H";
constexpr const char* kIndicator4 = "Y";
constexpr const char* kUnitIndicator = "U";
constexpr const char* kTimeStampIndicator = "N";
constexpr int32_t kCuDigits = 0;
constexpr int kTrailingSeparators = 7;

constexpr int32_t kZoneCodeOther = 705;
constexpr int32_t kZoneCodeCentral = 706;
constexpr int32_t kZoneCodeMountain = 707;
constexpr int32_t kZoneCodePacific = 708;

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kUnescapedMarks[] = "!'()*-._";

// Appends formatted text at the end of the message so far. A piece that would not fit
// is cut at the buffer instead of running past it.
class MessageWriter {
 public:
  explicit MessageWriter(char* message) : message_(message) { message_[0] = '\0'; }

  __attribute__((format(printf, 2, 3))) void Append(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written =
        std::vsnprintf(message_ + length_, kRequestMessageSize - length_, format, args);
    va_end(args);
    if (written > 0) length_ += static_cast<size_t>(written);
    if (length_ >= kRequestMessageSize) length_ = kRequestMessageSize - 1;
  }

  void Separators(int count) {
    for (int i = 0; i < count && length_ + 1 < kRequestMessageSize; ++i) {
      message_[length_++] = kFieldSeparator;
    }
    message_[length_] = '\0';
  }

  size_t length() const { return length_; }

 private:
  char* message_;
  size_t length_ = 0;
};

void CopyIndicator(char (&field)[8], const char* value) {
  std::memcpy(field, value, std::strlen(value) + 1);
}

const ModuleStateReset kResetFormBody{[] { std::memset(FormBody, 0, sizeof FormBody); }};

}  // namespace

bool NeedsEscape(unsigned char byte) {
  if (byte >= 'A' && byte <= 'Z') return false;
  if (byte >= 'a' && byte <= 'z') return false;
  if (byte >= '0' && byte <= '9') return false;
  return byte == '\0' || std::strchr(kUnescapedMarks, byte) == nullptr;
}

void UrlEncodeForm(const char* source, char* destination) {
  char* out = destination;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(source); *p != '\0'; ++p) {
    if (NeedsEscape(*p)) {
      *out++ = '%';
      *out++ = kHexDigits[*p >> 4];
      *out++ = kHexDigits[*p & 0x0F];
    } else {
      *out++ = static_cast<char>(*p);
    }
  }
  *out = '\0';
}

int32_t TimeZoneCodeFor(unsigned short zoneInitial) {
  switch (zoneInitial) {
    case u'C':
      return kZoneCodeCentral;
    case u'M':
      return kZoneCodeMountain;
    case u'P':
      return kZoneCodePacific;
    default:
      return kZoneCodeOther;
  }
}

void FillTransaction(TransactionRecord& record, TransactionKind kind) {
  record.TransactionCode =
      kind == TransactionKind::Test ? kTestTransactionCode : kChargeTransactionCode;
  record.SequenceNumber = NextSequenceNumber(record.BatchNumber);
  record.CuDigits = kCuDigits;
  CopyIndicator(record.Indicator1, kBlankIndicator);
  CopyIndicator(record.Indicator2, kDebitIndicator);
  record.TimeZoneCode = TimeZoneCodeFor(StandardZoneInitial());
  CopyIndicator(record.Indicator3, kIndicator3);
  CopyIndicator(record.Indicator4, kIndicator4);
  if (kind == TransactionKind::Test) record.AmountCents = kTestAmountCents;
  record.CurrencyCode = kCurrencyCodeUsd;
}

size_t FormatRequestMessage(const TransactionRecord& r, char* message) {
  MessageWriter w(message);
  w.Append("%s", kMessagePrefix);
  w.Separators(1);
  w.Append("02%d0%s", static_cast<int>(r.TransactionCode), r.MerchantID);
  w.Separators(1);
  w.Append("%s", r.TerminalID);
  w.Separators(1);
  w.Append("C0%06d%06dCU%02d%1s%1s%03d%s", static_cast<int>(r.BatchNumber),
           static_cast<int>(r.SequenceNumber), static_cast<int>(r.CuDigits), r.Indicator1,
           r.Indicator2, static_cast<int>(r.TimeZoneCode), r.CardNumber);
  w.Separators(1);
  w.Append("%s", r.Indicator3);
  w.Separators(1);
  w.Append("%s", r.Indicator4);
  w.Separators(2);
  w.Append("%d", static_cast<int>(r.AmountCents));
  w.Separators(4);
  w.Append("%04d", static_cast<int>(r.MerchantCode));
  w.Separators(1);
  w.Append("%03d", static_cast<int>(r.CurrencyCode));
  w.Separators(1);
  w.Append("%s", kUnitIndicator);
  w.Separators(1);
  const LocalDateTime t = CurrentLocalTime();
  w.Append("%1s%02d%02d%04d%02d%02d%02d", kTimeStampIndicator, t.month, t.day, t.year, t.hour,
           t.minute, t.second);
  w.Separators(1);
  w.Separators(kTrailingSeparators);
  return w.length();
}

void BuildRequest(const TransactionRecord& record, char* formBody) {
  char message[kRequestMessageSize];
  FormatRequestMessage(record, message);
  const size_t prefix = std::strlen(kFormFieldName);
  std::memcpy(formBody, kFormFieldName, prefix);
  UrlEncodeForm(message, formBody + prefix);
  SecureErase(message, sizeof message);  // it holds the card number
}
