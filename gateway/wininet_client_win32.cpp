// The HTTPS seam over WinINet, ANSI forms. WinINet makes the TLS connection itself
// during HttpSendRequestA and verifies the server against the system's roots.
#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>

#include "gateway/https_client.h"

namespace {

constexpr char kUserAgent[] = "Microsoft Internet Explorer";
constexpr char kEmptyText[] = "";
constexpr char kVerb[] = "POST";
constexpr char kContentTypeHeader[] = "Content-Type: application/x-www-form-urlencoded";
constexpr DWORD kContentTypeHeaderLength = sizeof kContentTypeHeader - 1;
static_assert(kContentTypeHeaderLength == 47);

// Nothing cached, TLS, no redirect followed, and a certificate that has lapsed or names
// another host accepted. Following a redirect would send the card's request a second
// time (Windows keeps the method and body for 307 and 308, to a host whose certificate
// name it does not check) or a request without its body (Wine): a 3xx comes back as the
// status that turned the request away.
constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE |
                                INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_IGNORE_CERT_DATE_INVALID |
                                INTERNET_FLAG_IGNORE_CERT_CN_INVALID;
static_assert(kRequestFlags == 0x04A03000);
// The same without the two "ignore" flags: WinINet then fails the send with 12037 or 12038.
constexpr DWORD kStrictRequestFlags =
    INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT;
static_assert(kStrictRequestFlags == 0x04A00000);

constexpr DWORD kStatusQuery = HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER;
static_assert(kStatusQuery == 0x20000013);

void SetWait(HINTERNET handle, DWORD option, DWORD milliseconds) {
  InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds);
}

// WinINet allocates the texts of the structure with LocalAlloc and leaves them to us.
void FreeText(char* text) {
  if (text != nullptr) LocalFree(text);
}

// The expiry comes in UTC; the administrator reads dates on the station's own clock.
LocalDateTime LocalDateOf(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME time;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) {
    return LocalDateTime{};
  }
  return LocalDateTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

// Whether the server's certificate is made out to another name than host, as Windows'
// TLS check of names decides it (subject alternative names, wildcards), with every other
// check left out: lenient checks accept such a certificate, and the Test says so.
bool NamesOtherHost(HINTERNET request, const char* host) {
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  DWORD size = sizeof chain;
  if (!InternetQueryOptionA(request, INTERNET_OPTION_SERVER_CERT_CHAIN_CONTEXT, &chain, &size) || chain == nullptr) {
    return false;
  }
  wchar_t wideHost[256];
  bool otherHost = false;
  if (MultiByteToWideChar(CP_ACP, 0, host, -1, wideHost, 256) != 0) {
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_REVOCATION |
                    SECURITY_FLAG_IGNORE_WRONG_USAGE | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
    ssl.pwszServerName = wideHost;
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    otherHost = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) != FALSE &&
                status.dwError == static_cast<DWORD>(CERT_E_CN_NO_MATCH);
  }
  CertFreeCertificateChain(chain);
  return otherHost;
}

}  // namespace

HttpsHandle HttpsOpenSession() {
  return InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, kEmptyText, nullptr, 0);
}

HttpsHandle HttpsConnect(HttpsHandle session, const char* host, unsigned port) {
  return InternetConnectA(session, host, static_cast<INTERNET_PORT>(port), kEmptyText, kEmptyText,
                          INTERNET_SERVICE_HTTP, 0, 0);
}

HttpsHandle HttpsOpenRequest(HttpsHandle connection, const char* objectName,
                             CertificateChecks checks) {
  const DWORD flags = checks == CertificateChecks::Strict ? kStrictRequestFlags : kRequestFlags;
  return HttpOpenRequestA(connection, kVerb, objectName, nullptr, nullptr, nullptr, flags, 0);
}

bool HttpsSend(HttpsHandle request, const char* body, unsigned long length) {
  // WinINet does not write through the optional data; the cast only meets its signature.
  return HttpSendRequestA(request, kContentTypeHeader, kContentTypeHeaderLength,
                          const_cast<char*>(body), length) != FALSE;
}

bool HttpsQueryStatus(HttpsHandle request, unsigned long* status) {
  DWORD code = 0;
  DWORD length = sizeof code;
  DWORD index = 0;
  if (HttpQueryInfoA(request, kStatusQuery, &code, &length, &index) == FALSE) return false;
  *status = code;
  return true;
}

bool HttpsRead(HttpsHandle request, char* buffer, unsigned long size, unsigned long* count) {
  DWORD read = 0;
  if (InternetReadFile(request, buffer, size, &read) == FALSE) return false;
  *count = read;
  return true;
}

void HttpsClose(HttpsHandle handle) { InternetCloseHandle(handle); }

int HttpsLastError() { return static_cast<int>(GetLastError()); }

bool HttpsQueryCertificate(HttpsHandle request, const char* host, GatewayCertificate* certificate) {
  INTERNET_CERTIFICATE_INFO info = {};
  DWORD size = sizeof info;
  if (!InternetQueryOptionA(request, INTERNET_OPTION_SECURITY_CERTIFICATE_STRUCT, &info, &size)) {
    return false;
  }
  CopyCertificateName(info.lpszSubjectInfo != nullptr ? info.lpszSubjectInfo : "",
                      certificate->issuedTo, sizeof certificate->issuedTo);
  CopyCertificateName(info.lpszIssuerInfo != nullptr ? info.lpszIssuerInfo : "",
                      certificate->issuedBy, sizeof certificate->issuedBy);
  certificate->validUntil = LocalDateOf(info.ftExpiry);
  FreeText(info.lpszSubjectInfo);
  FreeText(info.lpszIssuerInfo);
  FreeText(info.lpszProtocolName);
  FreeText(info.lpszSignatureAlgName);
  FreeText(info.lpszEncryptionAlgName);
  std::snprintf(certificate->host, sizeof certificate->host, "%s", host);
  certificate->namesOtherHost = NamesOtherHost(request, host);
  return true;
}

void HttpsLimitWaits(HttpsHandle handle, unsigned long connectMs, unsigned long sendMs,
                     unsigned long receiveMs) {
  if (handle == nullptr) return;
  SetWait(handle, INTERNET_OPTION_CONNECT_TIMEOUT, connectMs);
  SetWait(handle, INTERNET_OPTION_SEND_TIMEOUT, sendMs);
  SetWait(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, receiveMs);
}
