#include "gateway/request_message.h"

#include <cstdio>
#include <cstring>

#include "gateway/wire_format.h"
#include "records/local_clock.h"
#include "settings/bounded_text.h"
#include "settings/secure_erase.h"
#include "settings/settings.h"


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

void CopyIndicator(char (&field)[8], const char* value) {
  std::memcpy(field, value, std::strlen(value) + 1);
}

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

int32_t SystemTimeZoneCode() {
  const unsigned short keyInitial = ZoneKeyInitial();
  return TimeZoneCodeFor(keyInitial != 0 ? keyInitial : StandardZoneInitial());
}

void FillTransaction(TransactionRecord& record, TransactionKind kind, const PluginSettings& s) {
  record.TransactionCode =
      kind == TransactionKind::Test ? kTestTransactionCode : kChargeTransactionCode;
  static_assert(sizeof record.MerchantID == sizeof s.MerchantID &&
                sizeof record.TerminalID == sizeof s.TerminalID);
  std::memcpy(record.MerchantID, s.MerchantID, sizeof record.MerchantID);
  std::memcpy(record.TerminalID, s.TerminalID, sizeof record.TerminalID);
  record.BatchNumber = s.BatchNumber;
  record.MerchantCode = s.MerchantCode;
  record.CuDigits = kCuDigits;
  CopyIndicator(record.Indicator1, kBlankIndicator);
  CopyIndicator(record.Indicator2, kDebitIndicator);
  record.TimeZoneCode = SystemTimeZoneCode();
  CopyIndicator(record.Indicator3, kIndicator3);
  CopyIndicator(record.Indicator4, kIndicator4);
  if (kind == TransactionKind::Test) record.AmountCents = kTestAmountCents;
  record.CurrencyCode = kCurrencyCodeUsd;
}

size_t FormatRequestMessage(const TransactionRecord& r, char* message) {
  BoundedText w(message, kRequestMessageSize);
  w.Format("%s", kMessagePrefix);
  w.Repeat(kFieldSeparator, 1);
  w.Format("02%d0%s", static_cast<int>(r.TransactionCode), r.MerchantID);
  w.Repeat(kFieldSeparator, 1);
  w.Format("%s", r.TerminalID);
  w.Repeat(kFieldSeparator, 1);
  w.Format("C0%06d%06dCU%02d%1s%1s%03d%s", static_cast<int>(r.BatchNumber),
           static_cast<int>(r.SequenceNumber), static_cast<int>(r.CuDigits), r.Indicator1,
           r.Indicator2, static_cast<int>(r.TimeZoneCode), r.CardNumber);
  w.Repeat(kFieldSeparator, 1);
  w.Format("%s", r.Indicator3);
  w.Repeat(kFieldSeparator, 1);
  w.Format("%s", r.Indicator4);
  w.Repeat(kFieldSeparator, 2);
  w.Format("%d", static_cast<int>(r.AmountCents));
  w.Repeat(kFieldSeparator, 4);
  w.Format("%04d", static_cast<int>(r.MerchantCode));
  w.Repeat(kFieldSeparator, 1);
  w.Format("%03d", static_cast<int>(r.CurrencyCode));
  w.Repeat(kFieldSeparator, 1);
  w.Format("%s", kUnitIndicator);
  w.Repeat(kFieldSeparator, 1);
  const LocalDateTime t = CurrentLocalTime();
  w.Format("%1s%02d%02d%04d%02d%02d%02d", kTimeStampIndicator, t.month, t.day, t.year, t.hour,
           t.minute, t.second);
  w.Repeat(kFieldSeparator, 1);
  w.Repeat(kFieldSeparator, kTrailingSeparators);
  return w.Length();
}

void BuildRequest(const TransactionRecord& record, char* formBody) {
  char message[kRequestMessageSize];
  FormatRequestMessage(record, message);
  const size_t prefix = std::strlen(kFormFieldName);
  std::memcpy(formBody, kFormFieldName, prefix);
  UrlEncodeForm(message, formBody + prefix);
  SecureErase(message, sizeof message);  // it holds the card number
}
