#pragma once
// The gateway's TLS certificate as the HTTPS client reports it for one request: who it
// was issued to, who issued it, and until when it is valid. Fixed buffers; each name is
// one line of ANSI text, cut to fit.
#include <cstddef>

#include "records/local_clock.h"

inline constexpr size_t kCertificateNameSize = 256;

struct GatewayCertificate {
  bool present;                          // false: no TLS handshake got as far as the certificate
  char issuedTo[kCertificateNameSize];   // the subject's values, most specific first
  char issuedBy[kCertificateNameSize];   // the issuer's, likewise
  LocalDateTime validUntil;              // local time
  // The host the request went to, and whether the certificate is made out to another
  // name, as Windows matches names for TLS (subject alternative names, wildcards);
  // false when that could not be checked.
  char host[kCertificateNameSize];
  bool namesOtherHost;
};

// Writes a distinguished name as the platform prints it (values only, in encoded order,
// separated by line breaks or by ", "; a value in double quotes when it holds special
// characters, a quote inside it doubled) into out as one line: the values from last to
// first, so that the common name leads, joined by ", ", quotes taken off. outSize >= 1.
void CopyCertificateName(const char* printed, char* out, size_t outSize);

// Days from the calendar date of from to the calendar date of to; negative when to is
// the earlier one.
int DaysBetween(const LocalDateTime& from, const LocalDateTime& to);

// True when moment a comes before moment b.
bool IsBefore(const LocalDateTime& a, const LocalDateTime& b);
