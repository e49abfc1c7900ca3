// The gateway's certificate as the configuration test shows it: names as the platform
// prints them, calendar days, and the lines with their warning.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialogs/certificate_lines.h"
#include "gateway/certificate.h"

namespace {

TEST(CertificateName, PrintedNamesBecomeOneLineCommonNameFirst) {
  struct Row {
    const char* printed;
    const char* shown;
  };
  const Row rows[] = {
      {"gateway.test", "gateway.test"},
      {"\"Station Test CA\"", "Station Test CA"},  // Wine quotes a value with blanks
      {"Other Gateways Ltd\r\nother.example", "other.example, Other Gateways Ltd"},
      {"US\r\nWashington\r\nExample Org\r\nwww.example.com", "www.example.com, Example Org, Washington, US"},
      {"US, \"Example, Inc.\", host.example", "host.example, Example, Inc., US"},
      {"\"say \"\"hi\"\"\"", "say \"hi\""},
      {"a + b\r\nc", "c, a + b"},  // a multi-valued part stays whole
      {"\r\n\r\nx\r\n", "x"},
      {"\"two\nlines\"\r\nx", "x, two lines"},
      {"a\"b\r\nc", "a\"b  c"},  // an unmatched quote runs to the end, on one line
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.printed);
    char out[kCertificateNameSize];
    std::memset(out, 'x', sizeof out);
    CopyCertificateName(row.printed, out, sizeof out);
    EXPECT_STREQ(row.shown, out);
  }
}

TEST(CertificateName, IsCutToItsBufferKeepingTheCommonName) {
  char out[8];
  CopyCertificateName("Other Gateways Ltd\r\nother.example", out, sizeof out);
  EXPECT_STREQ("other.e", out);
  const std::string longName(400, 'n');
  char name[kCertificateNameSize];
  CopyCertificateName(longName.c_str(), name, sizeof name);
  EXPECT_EQ(longName.substr(0, kCertificateNameSize - 1), name);

  std::string manyParts;
  for (int i = 0; i < 20; ++i) manyParts += "p" + std::to_string(i) + "\r\n";
  CopyCertificateName((manyParts + "host.example").c_str(), name, sizeof name);
  EXPECT_EQ(0u, std::string(name).rfind("host.example, p19, p18, ", 0)) << name;
}

TEST(CertificateDates, DaysAndOrderFollowTheCalendar) {
  struct Row {
    LocalDateTime from, to;
    int days;
  };
  const Row rows[] = {
      {{2026, 12, 8, 23, 59, 59}, {2026, 12, 18, 0, 0, 0}, 10},
      {{2026, 12, 8, 0, 0, 0}, {2026, 12, 8, 23, 0, 0}, 0},
      {{2026, 12, 31, 12, 0, 0}, {2027, 1, 1, 12, 0, 0}, 1},
      {{2028, 2, 28, 0, 0, 0}, {2028, 3, 1, 0, 0, 0}, 2},  // leap year
      {{2100, 2, 28, 0, 0, 0}, {2100, 3, 1, 0, 0, 0}, 1},  // no leap year
      {{2026, 12, 8, 0, 0, 0}, {2021, 1, 1, 0, 0, 0}, -2167},
      {{1999, 12, 31, 0, 0, 0}, {2036, 12, 5, 0, 0, 0}, 13489},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.days);
    EXPECT_EQ(row.days, DaysBetween(row.from, row.to));
    EXPECT_EQ(-row.days, DaysBetween(row.to, row.from));
  }
  const LocalDateTime moment{2026, 12, 8, 13, 30, 5};
  for (int field = 0; field < 6; ++field) {
    SCOPED_TRACE(field);
    LocalDateTime later = moment;
    int* parts[] = {&later.year, &later.month, &later.day, &later.hour, &later.minute, &later.second};
    ++*parts[field];
    EXPECT_TRUE(IsBefore(moment, later));
    EXPECT_FALSE(IsBefore(later, moment));
  }
  EXPECT_FALSE(IsBefore(moment, moment));
}

TEST(CertificateLines, FollowTheTextWithAWarningWithin30Days) {
  const LocalDateTime now{2026, 12, 8, 14, 0, 0};
  const std::string issued =
      "Certificate issued to: gateway.test\nCertificate issued by: Station Test CA\n"
      "Certificate valid until: ";
  struct Row {
    LocalDateTime until;
    std::string lines;  // after the issued lines
  };
  const Row rows[] = {
      {{2036, 12, 5, 13, 27, 31}, "2036-12-05"},
      {{2027, 1, 8, 0, 0, 0}, "2027-01-08"},  // 31 days
      {{2027, 1, 7, 23, 0, 0}, "2027-01-07\nWarning: the gateway's certificate expires in 30 days."},
      {{2026, 12, 18, 13, 28, 0}, "2026-12-18\nWarning: the gateway's certificate expires in 10 days."},
      {{2026, 12, 9, 1, 0, 0}, "2026-12-09\nWarning: the gateway's certificate expires in 1 day."},
      {{2026, 12, 8, 14, 0, 1}, "2026-12-08\nWarning: the gateway's certificate expires today."},
      {{2026, 12, 8, 14, 0, 0}, "2026-12-08\nWarning: the gateway's certificate has expired."},
      {{2026, 12, 8, 9, 0, 0}, "2026-12-08\nWarning: the gateway's certificate has expired."},
      {{2021, 1, 1, 0, 0, 0}, "2021-01-01\nWarning: the gateway's certificate has expired."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lines);
    GatewayCertificate certificate = {true, "gateway.test", "Station Test CA", row.until};
    char text[1024] = "Response Code: 00\nMessage: APPROVED";
    AppendCertificateLines(certificate, now, text, sizeof text);
    EXPECT_EQ("Response Code: 00\nMessage: APPROVED\n" + issued + row.lines, text);
  }
}

TEST(CertificateLines, StartOnALineOfTheirOwnAndFitTheBuffer) {
  const LocalDateTime now{2026, 12, 8, 14, 0, 0};
  const GatewayCertificate certificate = {true, "a", "b", {2036, 1, 2, 0, 0, 0}};
  const std::string lines = "Certificate issued to: a\nCertificate issued by: b\nCertificate valid until: 2036-01-02";
  struct Row {
    const char* before;
    std::string after;
  };
  const Row rows[] = {
      {"", lines},
      {"Error: HTTP Send [12038]\n", "Error: HTTP Send [12038]\n" + lines},
      {"Message: OK", "Message: OK\n" + lines},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.before);
    char text[256];
    std::strcpy(text, row.before);
    AppendCertificateLines(certificate, now, text, sizeof text);
    EXPECT_EQ(row.after, text);
  }

  char text[40] = "Message: OK";
  AppendCertificateLines(certificate, now, text, sizeof text);
  EXPECT_EQ(("Message: OK\n" + lines).substr(0, sizeof text - 1), text);

  char unchanged[32] = "Message: OK";
  AppendCertificateLines(GatewayCertificate{}, now, unchanged, sizeof unchanged);
  EXPECT_STREQ("Message: OK", unchanged) << "no certificate, no lines";
}

// A certificate for another name than the host gets a line of its own while the checks
// are lenient; strict checks refuse it with 12038, which says so itself.
TEST(CertificateLines, AnotherHostsCertificateIsNamedWhileChecksAreLenient) {
  struct Row { bool present, otherHost, strict; const char* added; };
  const Row rows[] = {
      {true, true, false,
       "\nWarning: the certificate is not made out to 127.0.0.2; only StrictCertificates=0 lets it pass. "
       "Write the Access URL with the name it is issued to, or ask the card office for a certificate for "
       "127.0.0.2; then set StrictCertificates=1."},
      {true, true, true, ""},
      {true, false, false, ""},
      {false, true, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.present) + std::to_string(row.otherHost) + std::to_string(row.strict));
    GatewayCertificate certificate = {row.present, "gateway.test", "Station Test CA", {2036, 1, 2, 0, 0, 0}};
    std::strcpy(certificate.host, "127.0.0.2");
    certificate.namesOtherHost = row.otherHost;
    char text[512] = "Message: OK";
    AppendOtherHostLine(certificate, row.strict, text, sizeof text);
    EXPECT_EQ(std::string("Message: OK") + row.added, text);
  }
}

}  // namespace
