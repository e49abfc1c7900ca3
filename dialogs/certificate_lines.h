#pragma once
// The lines the configuration dialog's Test adds to its result when the exchange met
// the gateway's certificate (approved or not, also when the certificate failed the
// send), so that an administrator learns of an expiring certificate in time:
//
//   Certificate issued to: gateway.test
//   Certificate issued by: Station Test CA
//   Certificate valid until: 2026-12-18
//   Warning: the gateway's certificate expires in 10 days.
//
// The warning line comes only when the certificate has expired or expires within
// kCertificateWarningDays days (counted in calendar days of the station's clock).
#include <cstddef>

#include "gateway/certificate.h"
#include "records/local_clock.h"

inline constexpr int kCertificateWarningDays = 30;
// The warning lines, each after a line feed.
inline constexpr const char* kCertificateExpiredFormat = "\nWarning: the gateway's certificate has expired.";
inline constexpr const char* kCertificateExpiresTodayFormat =
    "\nWarning: the gateway's certificate expires today.";
inline constexpr const char* kCertificateExpiresInOneDayFormat =
    "\nWarning: the gateway's certificate expires in 1 day.";
inline constexpr const char* kCertificateExpiresInDaysFormat =
    "\nWarning: the gateway's certificate expires in %d days.";

// Appends the lines to text (size bytes, terminated, cut to fit), after a line feed
// unless text is empty or already ends with one. Nothing when the certificate is not
// present.
void AppendCertificateLines(const GatewayCertificate& certificate, const LocalDateTime& now,
                            char* text, size_t size);

// The line for a certificate made out to another name than the host, which only lenient
// checks accept (strict ones fail the send with 12038, which says so itself): the host,
// twice.
inline constexpr const char* kCertificateOtherHostFormat =
    "\nWarning: the certificate is not made out to %s; only StrictCertificates=0 lets it pass. "
    "Write the Access URL with the name it is issued to, or ask the card office for a "
    "certificate for %s; then set StrictCertificates=1.";

// Appends that line to text (as AppendCertificateLines) when the certificate names another
// host and checks are lenient; nothing otherwise.
void AppendOtherHostLine(const GatewayCertificate& certificate, bool strictChecks, char* text, size_t size);
