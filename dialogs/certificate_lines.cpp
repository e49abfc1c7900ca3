#include "dialogs/certificate_lines.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kCertificateFormat =
    "%sCertificate issued to: %s\nCertificate issued by: %s\nCertificate valid until: %04d-%02d-%02d";
constexpr const char* kExpiredFormat = "\nWarning: the gateway's certificate has expired.";
constexpr const char* kExpiresTodayFormat = "\nWarning: the gateway's certificate expires today.";
constexpr const char* kExpiresInOneDayFormat = "\nWarning: the gateway's certificate expires in 1 day.";
constexpr const char* kExpiresInDaysFormat = "\nWarning: the gateway's certificate expires in %d days.";

// The warning that fits the days left, or nullptr for none.
const char* WarningFormat(const LocalDateTime& now, const LocalDateTime& until, int daysLeft) {
  if (!IsBefore(now, until)) return kExpiredFormat;
  if (daysLeft == 0) return kExpiresTodayFormat;
  if (daysLeft == 1) return kExpiresInOneDayFormat;
  return daysLeft <= kCertificateWarningDays ? kExpiresInDaysFormat : nullptr;
}

}  // namespace

void AppendCertificateLines(const GatewayCertificate& certificate, const LocalDateTime& now,
                            char* text, size_t size) {
  if (!certificate.present) return;
  size_t length = std::strlen(text);
  const char* lineBreak = length > 0 && text[length - 1] != '\n' ? "\n" : "";
  const LocalDateTime& until = certificate.validUntil;
  std::snprintf(text + length, size - length, kCertificateFormat, lineBreak, certificate.issuedTo,
                certificate.issuedBy, until.year, until.month, until.day);

  const int daysLeft = DaysBetween(now, until);
  const char* warning = WarningFormat(now, until, daysLeft);
  if (warning == nullptr) return;
  length = std::strlen(text);
  std::snprintf(text + length, size - length, warning, daysLeft);  // only one format uses it
}
