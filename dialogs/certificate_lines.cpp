#include "dialogs/certificate_lines.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kCertificateFormat =
    "%sCertificate issued to: %s\nCertificate issued by: %s\nCertificate valid until: %04d-%02d-%02d";

// The warning that fits the days left, or nullptr for none.
const char* WarningFormat(const LocalDateTime& now, const LocalDateTime& until, int daysLeft) {
  if (!IsBefore(now, until)) return kCertificateExpiredFormat;
  if (daysLeft == 0) return kCertificateExpiresTodayFormat;
  if (daysLeft == 1) return kCertificateExpiresInOneDayFormat;
  return daysLeft <= kCertificateWarningDays ? kCertificateExpiresInDaysFormat : nullptr;
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

void AppendOtherHostLine(const GatewayCertificate& certificate, bool strictChecks, char* text, size_t size) {
  if (!certificate.present || !certificate.namesOtherHost || strictChecks) return;
  const size_t length = std::strlen(text);
  std::snprintf(text + length, size - length, kCertificateOtherHostFormat, certificate.host, certificate.host);
}
